// What the window manager tells about a window, read straight from X11:
// whether one runs, and the frame it draws around a window.
#pragma once

#include <X11/Xlib.h>

#include "runtime/backend.h"

namespace orn::x11 {

// A window manager that follows the EWMH conventions is running.
bool window_manager_running(Display* display);

// The frame the window manager draws (or, before mapping, would draw)
// around the window: asks for it with _NET_REQUEST_FRAME_EXTENTS where the
// window manager supports that, and waits up to timeout_ms for the answer.
FrameExtents request_frame_extents(Display* display, Window window, int timeout_ms);

// The window's _NET_FRAME_EXTENTS now; false when it has none.
bool read_frame_extents(Display* display, Window window, FrameExtents& extents);

// The window manager has taken the window over (ICCCM's WM_STATE is set).
bool has_wm_state(Display* display, Window window);

// Tells the window manager the window's fixed size before it is mapped, so
// that the frame it reports is the one of a window the user cannot resize.
void set_fixed_size_hints(Display* display, Window window, int width, int height);

}  // namespace orn::x11
