#include "gtk/screen_area.h"

namespace orn::gtk {

double screen_dpi(GdkScreen* screen) {
    double dpi = gdk_screen_get_resolution(screen);
    return dpi > 0 ? dpi : 96.0;
}

GdkRectangle screen_size(GdkScreen* screen) {
    GdkWindow* root = gdk_screen_get_root_window(screen);
    return {0, 0, gdk_window_get_width(root), gdk_window_get_height(root)};
}

GdkPoint screen_origin(GdkWindow* window) {
    GdkPoint origin{0, 0};
    for (; window && gdk_window_get_window_type(window) != GDK_WINDOW_ROOT;
         window = gdk_window_get_parent(window)) {
        int x = 0, y = 0;
        gdk_window_get_position(window, &x, &y);
        origin.x += x;
        origin.y += y;
    }
    return origin;
}

cairo_rectangle_int_t screen_seen_from(GdkScreen* screen, GdkPoint origin) {
    GdkRectangle size = screen_size(screen);
    return {-origin.x, -origin.y, size.width, size.height};
}

void clip_invalidation_to_screen(GdkWindow* window, cairo_region_t* region) {
    GdkScreen* screen = gdk_window_get_screen(window);
    if (gdk_screen_is_composited(screen)) return;
    cairo_rectangle_int_t on_screen = screen_seen_from(screen, screen_origin(window));
    cairo_region_intersect_rectangle(region, &on_screen);
}

}  // namespace orn::gtk
