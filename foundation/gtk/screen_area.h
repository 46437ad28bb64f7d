// What part of the screen a window covers: without a compositor only that
// part is ever painted, however large a zoomed picture makes the window.
#pragma once

#include <gtk/gtk.h>

namespace orn::gtk {

// The screen's resolution in dots per inch: X's customary 96 where no one
// has set it.
double screen_dpi(GdkScreen* screen);

// The screen's size in pixels: its root window's.
GdkRectangle screen_size(GdkScreen* screen);

// Where a window's corner is on the screen, as of the last configure event
// its toplevel has had (GDK keeps that in screen coordinates), plus the
// offsets of the windows in between. gdk_window_get_origin would ask the X
// server, and a round trip while it is busy (just when a window appears)
// costs milliseconds on each paint.
GdkPoint screen_origin(GdkWindow* window);

// The screen's area in the coordinates of a window whose corner is at origin.
cairo_rectangle_int_t screen_seen_from(GdkScreen* screen, GdkPoint origin);

// Without a compositor only what is on the screen needs painting: what
// comes into view later is exposed then. Keeping invalidated areas to the
// screen keeps GTK's paint buffer (a pixmap in the X server) screen-sized
// however far a picture is zoomed. An invalidate handler for a GdkWindow.
void clip_invalidation_to_screen(GdkWindow* window, cairo_region_t* region);

}  // namespace orn::gtk
