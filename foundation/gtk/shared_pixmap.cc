#include "gtk/shared_pixmap.h"

#include <cairo-xlib.h>
#include <gdk/gdkx.h>

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <xcb/shm.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/socket.h>

#include "runtime/shared_surface.h"

namespace orn::gtk {

struct SharedPixmap::Parts {
    xcb_connection_t* connection = nullptr;
    xcb_shm_seg_t segment = 0;
    xcb_pixmap_t pixmap = 0;
};

namespace {

// A descriptor can be handed to the server only through a local socket.
bool server_is_local(Display* display) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    return getsockname(ConnectionNumber(display), reinterpret_cast<sockaddr*>(&address), &length) ==
               0 &&
           address.ss_family == AF_UNIX;
}

// MIT-SHM 1.2 takes memory as a descriptor; pixmaps on it must be offered.
bool offers_shared_pixmaps(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
    if (!extension || !extension->present) return false;
    xcb_shm_query_version_reply_t* version =
        xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr);
    bool offers = version && (version->major_version > 1 || version->minor_version >= 2) &&
                  version->shared_pixmaps && version->pixmap_format == XCB_IMAGE_FORMAT_Z_PIXMAP;
    std::free(version);
    return offers;
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
    if (!takes)
        takes = server_is_local(display) && offers_shared_pixmaps(XGetXCBConnection(display));
    return *takes;
}

// Whether a checked request failed; the error is let go.
bool failed(xcb_connection_t* connection, xcb_void_cookie_t request) {
    xcb_generic_error_t* error = xcb_request_check(connection, request);
    bool failed = error != nullptr;
    std::free(error);
    return failed;
}

}  // namespace

std::unique_ptr<SharedPixmap> SharedPixmap::create(GtkWidget* widget, cairo_surface_t* pixels) {
    int file = shared_memory_file_of(pixels);
    GdkScreen* screen = gtk_widget_get_screen(widget);
    if (file < 0 || !GDK_IS_X11_SCREEN(screen)) return nullptr;
    Display* display = GDK_SCREEN_XDISPLAY(screen);
    // The visual the widget's window has or will have.
    GdkVisual* visual = gtk_widget_get_visual(widget);
    Visual* xvisual = gdk_x11_visual_get_xvisual(visual);
    int depth = gdk_visual_get_depth(visual);
    if (!server_takes_shared_pixmaps(display) || !lays_out_as_rgb24(display, xvisual, depth))
        return nullptr;
    // The request takes the descriptor it is given and closes it once sent.
    int sent = fcntl(file, F_DUPFD_CLOEXEC, 0);
    if (sent < 0) return nullptr;

    auto parts = std::make_unique<Parts>();
    xcb_connection_t* connection = parts->connection = XGetXCBConnection(display);
    parts->segment = xcb_generate_id(connection);
    parts->pixmap = xcb_generate_id(connection);
    int width = cairo_image_surface_get_width(pixels);
    int height = cairo_image_surface_get_height(pixels);
    // One round trip tells whether the server could map the memory (within
    // its limits) and make the pixmap. The segment is writable: the server
    // makes no pixmaps on read-only ones.
    xcb_void_cookie_t attach = xcb_shm_attach_fd_checked(connection, parts->segment, sent, 0);
    xcb_void_cookie_t create = xcb_shm_create_pixmap_checked(
        connection, parts->pixmap, GDK_WINDOW_XID(gdk_screen_get_root_window(screen)),
        static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height),
        static_cast<std::uint8_t>(depth), parts->segment, 0);
    bool attach_failed = failed(connection, attach);
    bool create_failed = failed(connection, create);
    if (attach_failed || create_failed) {
        // Whichever of the two failed, nothing of them is left on the server.
        if (!create_failed) xcb_free_pixmap(connection, parts->pixmap);
        if (!attach_failed) xcb_shm_detach(connection, parts->segment);
        xcb_flush(connection);
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
    xcb_free_pixmap(parts_->connection, parts_->pixmap);
    xcb_shm_detach(parts_->connection, parts_->segment);
    xcb_flush(parts_->connection);
}

}  // namespace orn::gtk
