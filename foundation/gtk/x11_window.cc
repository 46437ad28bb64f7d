#include "gtk/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <poll.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace orn::x11 {

namespace {

// Reads a property of 32-bit items; returns the item count (0 when absent).
unsigned long read_cardinals(Display* display, Window window, const char* name, Atom type,
                             long max_items, unsigned long* out) {
    Atom property = XInternAtom(display, name, False);
    Atom actual_type = None;
    int actual_format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, max_items, False, type, &actual_type,
                           &actual_format, &count, &remaining, &data) != Success)
        return 0;
    unsigned long got = 0;
    if (data && actual_format == 32 && actual_type == type) {
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        for (; got < count; ++got) out[got] = items[got];
    }
    if (data) XFree(data);
    return got;
}

bool supports(Display* display, const char* atom_name) {
    Atom wanted = XInternAtom(display, atom_name, False);
    constexpr long kMax = 1024;
    std::vector<unsigned long> atoms(kMax);
    unsigned long count = read_cardinals(display, DefaultRootWindow(display), "_NET_SUPPORTED",
                                         XA_ATOM, kMax, atoms.data());
    for (unsigned long i = 0; i < count; ++i)
        if (atoms[i] == wanted) return true;
    return false;
}

int ignore_errors(Display*, XErrorEvent*) {
    return 0;
}

// Waits until the X server reports that a property of a window changed,
// and takes that event from the queue; false when the deadline passes
// first. Other events stay queued for the toolkit.
bool wait_for_property_change(Display* display, Window window, Atom property,
                              std::chrono::steady_clock::time_point deadline) {
    struct Wanted {
        Window window;
        Atom property;
    } wanted{window, property};
    auto is_wanted = [](Display*, XEvent* event, XPointer arg) -> Bool {
        const auto* change = reinterpret_cast<const Wanted*>(arg);
        return event->type == PropertyNotify && event->xproperty.window == change->window &&
               event->xproperty.atom == change->property;
    };
    while (true) {
        XEvent event;
        // Flushes what is asked and reads what has come without blocking.
        if (XCheckIfEvent(display, &event, is_wanted, reinterpret_cast<XPointer>(&wanted)))
            return true;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline -
                                                                 std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left.count()));
    }
}

}  // namespace

bool window_manager_running(Display* display) {
    unsigned long check = 0;
    if (read_cardinals(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW,
                       1, &check) != 1)
        return false;
    // The check window must still exist and point to itself.
    XSync(display, False);
    auto previous = XSetErrorHandler(ignore_errors);
    unsigned long self = 0;
    bool alive =
        read_cardinals(display, check, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, 1, &self) == 1 &&
        self == check;
    XSync(display, False);
    XSetErrorHandler(previous);
    return alive;
}

bool read_frame_extents(Display* display, Window window, FrameExtents& extents) {
    unsigned long values[4];
    if (read_cardinals(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL, 4, values) != 4)
        return false;
    extents = {static_cast<int>(values[0]), static_cast<int>(values[1]),
               static_cast<int>(values[2]), static_cast<int>(values[3])};
    return true;
}

FrameExtents request_frame_extents(Display* display, Window window, int timeout_ms) {
    FrameExtents extents;
    if (read_frame_extents(display, window, extents)) return extents;
    if (!supports(display, "_NET_REQUEST_FRAME_EXTENTS")) return extents;

    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    event.xclient.format = 32;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);

    // The answer is a property on our window: read again each time the
    // server says it changed.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    Atom property = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    do {
        if (read_frame_extents(display, window, extents)) return extents;
    } while (wait_for_property_change(display, window, property, deadline));
    return extents;
}

bool has_wm_state(Display* display, Window window) {
    Atom wm_state = XInternAtom(display, "WM_STATE", False);
    unsigned long state[2];
    return read_cardinals(display, window, "WM_STATE", wm_state, 2, state) > 0;
}

void set_fixed_size_hints(Display* display, Window window, int width, int height) {
    XSizeHints* hints = XAllocSizeHints();
    if (!hints) return;
    hints->flags = PMinSize | PMaxSize | PWinGravity;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    hints->win_gravity = NorthWestGravity;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
}

}  // namespace orn::x11
