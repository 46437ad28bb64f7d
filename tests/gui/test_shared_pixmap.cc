// A picture's shared pixels as a pixmap on the real X server: the server
// sees exactly the client's pixels, including rows written after the
// pixmap was made, with nothing uploaded.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>

#include "gtk/shared_pixmap.h"
#include "gui_session.h"
#include "runtime/shared_surface.h"
#include "shared_memory.h"

#include <cairo-xlib.h>
#include <gdk/gdkx.h>
// Xlib last: its macros (None, Bool, Status) clash with other headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace orn::test {
namespace {

struct Surface {
    cairo_surface_t* pointer;
    ~Surface() { cairo_surface_destroy(pointer); }
};

std::uint32_t* row_of(cairo_surface_t* surface, int y) {
    auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface) + y * stride);
}

// Every pixel its own colour, so that a pixel out of place or channels in
// another order show.
std::uint32_t colour_at(int x, int y, int pass) {
    auto channel = [](int value) { return static_cast<std::uint32_t>(value & 0xff); };
    return channel(x * 7 + pass) << 16 | channel(y * 13) << 8 | channel(x + y + 0x40);
}

void fill_rows(cairo_surface_t* surface, int from, int to, int pass) {
    for (int y = from; y < to; ++y)
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x)
            row_of(surface, y)[x] = colour_at(x, y, pass);
}

// How many pixels of the pixmap differ from the expected colours.
int pixels_unlike(const gtk::SharedPixmap& pixmap, int width, int height, int pass_above,
                  int pass_below, int split) {
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    XImage* image = XGetImage(display, cairo_xlib_surface_get_drawable(pixmap.surface()), 0, 0,
                              width, height, AllPlanes, ZPixmap);
    if (!image) return width * height;
    int unlike = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((XGetPixel(image, x, y) & 0xffffff) !=
                colour_at(x, y, y < split ? pass_above : pass_below))
                ++unlike;
    XDestroyImage(image);
    return unlike;
}

// How many mappings the X server has of the surface's pixels.
int server_mappings(cairo_surface_t* surface) {
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    ucred server{};
    socklen_t length = sizeof server;
    struct stat file {};
    if (getsockopt(ConnectionNumber(display), SOL_SOCKET, SO_PEERCRED, &server, &length) != 0 ||
        fstat(shared_memory_file_of(surface), &file) != 0)
        return -1;
    return mappings_of_file(server.pid, file.st_ino);
}

TEST(SharedPixmap, TheServerSeesTheClientsPixelsAsTheyAreWritten) {
    if (!gui_session().skip_reason().empty()) GTEST_SKIP() << gui_session().skip_reason();
    constexpr int kWidth = 131, kHeight = 40;
    Surface pixels{create_shareable_surface(kWidth, kHeight)};
    ASSERT_GE(shared_memory_file_of(pixels.pointer), 0);
    fill_rows(pixels.pointer, 0, kHeight, 1);
    GtkWidget* area = g_object_ref_sink(gtk_drawing_area_new());
    // Not realized: the picture is set before its window is shown.
    auto pixmap = gtk::SharedPixmap::create(area, pixels.pointer);
    ASSERT_TRUE(pixmap) << "the test display is local and has MIT-SHM pixmaps";
    EXPECT_EQ(cairo_xlib_surface_get_width(pixmap->surface()), kWidth);
    EXPECT_EQ(cairo_xlib_surface_get_height(pixmap->surface()), kHeight);
    EXPECT_EQ(pixels_unlike(*pixmap, kWidth, kHeight, 1, 1, kHeight), 0);

    // Rows decoded after the pixmap was made show without anything sent.
    fill_rows(pixels.pointer, 25, kHeight, 2);
    EXPECT_EQ(pixels_unlike(*pixmap, kWidth, kHeight, 1, 2, 25), 0);

    // Let go, the pixmap leaves the pixels to the program alone: a zoom
    // step after another leaves nothing mapped in the server.
    EXPECT_EQ(server_mappings(pixels.pointer), 1);
    pixmap.reset();
    XSync(GDK_DISPLAY_XDISPLAY(gdk_display_get_default()), False);
    EXPECT_EQ(server_mappings(pixels.pointer), 0);
    g_object_unref(area);
}

TEST(SharedPixmap, PixelsOutsideSharedMemoryGetNone) {
    if (!gui_session().skip_reason().empty()) GTEST_SKIP() << gui_session().skip_reason();
    Surface plain{cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8)};
    GtkWidget* area = g_object_ref_sink(gtk_drawing_area_new());
    EXPECT_FALSE(gtk::SharedPixmap::create(area, plain.pointer));
    g_object_unref(area);
}

}  // namespace
}  // namespace orn::test
