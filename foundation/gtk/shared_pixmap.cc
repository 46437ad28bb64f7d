#include "gtk/shared_pixmap.h"

#include <cairo-xlib.h>
#include <gdk/gdkx.h>

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <bit>
#include <optional>
#include <utility>

#include <sys/socket.h>

#include "runtime/shared_surface.h"

namespace orn::gtk {

struct SharedPixmap::Parts {
    GdkDisplay* display = nullptr;
    XShmSegmentInfo segment{};
    Pixmap pixmap = None;
};

namespace {

// A segment id means the same segment to the server only on this machine:
// a server reached through a local socket.
bool server_is_local(Display* display) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    return getsockname(ConnectionNumber(display), reinterpret_cast<sockaddr*>(&address), &length) ==
               0 &&
           address.ss_family == AF_UNIX;
}

bool offers_shared_pixmaps(Display* display) {
    int major = 0, minor = 0;
    Bool pixmaps = False;
    return XShmQueryVersion(display, &major, &minor, &pixmaps) && pixmaps &&
           XShmPixmapFormat(display) == ZPixmap;
}

// The server's pixmaps of this visual hold pixels as cairo's RGB24 does:
// 32 bits each, x8r8g8b8 in the client's byte order, rows unpadded.
bool lays_out_as_rgb24(Display* display, const Visual* visual, int depth) {
    if (depth != 24 || visual->red_mask != 0xff0000 || visual->green_mask != 0x00ff00 ||
        visual->blue_mask != 0x0000ff)
        return false;
    int client_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    if (ImageByteOrder(display) != client_order) return false;
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    bool matches = false;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth)
            matches = formats[i].bits_per_pixel == 32 && formats[i].scanline_pad == 32;
    XFree(formats);
    return matches;
}

// Whether the server can make pixmaps on this program's segments: asked
// once, as the program has the one display.
bool server_takes_shared_pixmaps(Display* display) {
    static std::optional<bool> takes;
    if (!takes) takes = server_is_local(display) && offers_shared_pixmaps(display);
    return *takes;
}

}  // namespace

std::unique_ptr<SharedPixmap> SharedPixmap::create(GtkWidget* widget, cairo_surface_t* pixels) {
    int id = shared_segment_of(pixels);
    GdkScreen* screen = gtk_widget_get_screen(widget);
    if (id < 0 || !GDK_IS_X11_SCREEN(screen)) return nullptr;
    auto parts = std::make_unique<Parts>();
    parts->display = gdk_screen_get_display(screen);
    Display* display = GDK_DISPLAY_XDISPLAY(parts->display);
    // The visual the widget's window has or will have.
    GdkVisual* visual = gtk_widget_get_visual(widget);
    Visual* xvisual = gdk_x11_visual_get_xvisual(visual);
    int depth = gdk_visual_get_depth(visual);
    if (!server_takes_shared_pixmaps(display) || !lays_out_as_rgb24(display, xvisual, depth))
        return nullptr;

    parts->segment.shmid = id;
    parts->segment.shmaddr = reinterpret_cast<char*>(cairo_image_surface_get_data(pixels));
    parts->segment.readOnly = False;  // the server makes no pixmaps on read-only ones
    int width = cairo_image_surface_get_width(pixels);
    int height = cairo_image_surface_get_height(pixels);
    // One round trip tells whether the server could map the segment (not
    // another user's server, within its limits) and make the pixmap.
    gdk_x11_display_error_trap_push(parts->display);
    XShmAttach(display, &parts->segment);
    parts->pixmap = XShmCreatePixmap(display, GDK_SCREEN_XSCREEN(screen)->root,
                                     parts->segment.shmaddr, &parts->segment, width, height, depth);
    if (gdk_x11_display_error_trap_pop(parts->display) != 0) {
        // Whichever of the two failed, nothing of them is left on the server.
        gdk_x11_display_error_trap_push(parts->display);
        XFreePixmap(display, parts->pixmap);
        XShmDetach(display, &parts->segment);
        gdk_x11_display_error_trap_pop_ignored(parts->display);
        return nullptr;
    }
    cairo_surface_t* surface =
        cairo_xlib_surface_create(display, parts->pixmap, xvisual, width, height);
    return std::unique_ptr<SharedPixmap>(new SharedPixmap(std::move(parts), surface));
}

SharedPixmap::SharedPixmap(std::unique_ptr<Parts> parts, cairo_surface_t* surface)
    : parts_(std::move(parts)), surface_(surface) {}

SharedPixmap::~SharedPixmap() {
    cairo_surface_destroy(surface_);
    Display* display = GDK_DISPLAY_XDISPLAY(parts_->display);
    XFreePixmap(display, parts_->pixmap);
    XShmDetach(display, &parts_->segment);
}

}  // namespace orn::gtk
