// Image surfaces whose pixels a local X server can map as a pixmap.
//
// A figure is decoded into such a surface. Shown one decoded pixel per
// screen pixel, it is then drawn by the server from memory it already
// maps, rather than copied into a staging segment and uploaded on every
// draw (see gtk/shared_pixmap.h).
#pragma once

#include <cairo.h>

namespace orn {

// An RGB24 image surface whose pixels lie in a System V shared memory
// segment. The segment is marked for removal as soon as it is attached:
// it goes with the last process that maps it, however this one ends.
// Where no segment can be had (limits, no SysV IPC), an ordinary image
// surface. Errors show as the surface's status, as cairo's do.
cairo_surface_t* create_shareable_surface(int width, int height);

// The segment under a surface made by create_shareable_surface, or -1.
int shared_segment_of(cairo_surface_t* surface);

}  // namespace orn
