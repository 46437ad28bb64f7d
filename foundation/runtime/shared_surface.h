// Image surfaces whose pixels a local X server can map as a pixmap.
//
// A figure is decoded into such a surface. Shown one decoded pixel per
// screen pixel, it is then drawn by the server from memory it already
// maps, rather than copied into a staging segment and uploaded on every
// draw (see gtk/shared_pixmap.h).
#pragma once

#include <cairo.h>

namespace orn {

// An RGB24 image surface whose pixels lie in an anonymous memory file,
// sealed at its size, that the server maps through its descriptor: the
// file has no name and goes with the last process that maps it, however
// this one ends. The server maps a file in strides of several pages per
// fault, where a System V segment costs it a fault per page. Where no such
// file can be had, an ordinary image surface. Errors show as the
// surface's status, as cairo's do.
cairo_surface_t* create_shareable_surface(int width, int height);

// The descriptor of the memory file under a surface made by
// create_shareable_surface (owned by the surface), or -1.
int shared_memory_file_of(cairo_surface_t* surface);

}  // namespace orn
