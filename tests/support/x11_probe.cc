#include "x11_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>

#include "process.h"

namespace orn::test {

namespace {

int ignore_error(Display*, XErrorEvent*) {
    return 0;
}

// Swaps in an error handler that ignores errors for the requests made in
// its lifetime (the handler is process-wide: GTK's is put back afterwards).
class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);
        previous_ = XSetErrorHandler(ignore_error);
    }
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

  private:
    Display* display_;
    int (*previous_)(Display*, XErrorEvent*);
};

}  // namespace

X11Probe::X11Probe() {
    const char* name = std::getenv("DISPLAY");
    if (name && *name) display_ = XOpenDisplay(name);
}

X11Probe::~X11Probe() {
    if (display_) XCloseDisplay(display_);
}

Atom X11Probe::atom(const char* name) {
    return XInternAtom(display_, name, False);
}

// A property of 32-bit items (cardinals, windows or atoms); empty when absent.
std::vector<unsigned long> X11Probe::cardinals(Window window, const char* property, Atom type) {
    ErrorTrap trap(display_);
    Atom actual_type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display_, window, atom(property), 0, 4096, False, type, &actual_type,
                           &format, &count, &remaining, &data) == Success &&
        data && format == 32 && actual_type == type) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data) XFree(data);
    return items;
}

std::vector<unsigned long> X11Probe::icons(Window window) {
    return cardinals(window, "_NET_WM_ICON", XA_CARDINAL);
}

bool X11Probe::window_manager_running() {
    Window root = DefaultRootWindow(display_);
    auto check = cardinals(root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (check.size() != 1) return false;
    auto self = cardinals(check[0], "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    return self.size() == 1 && self[0] == check[0];
}

std::vector<Window> X11Probe::clients() {
    auto items = cardinals(DefaultRootWindow(display_), "_NET_CLIENT_LIST", XA_WINDOW);
    return {items.begin(), items.end()};
}

std::optional<Window> X11Probe::client_of_pid(pid_t pid, const std::optional<std::string>& title) {
    for (Window window : clients()) {
        auto owner = cardinals(window, "_NET_WM_PID", XA_CARDINAL);
        if (owner.size() != 1 || owner[0] != static_cast<unsigned long>(pid)) continue;
        if (!title || this->title(window) == title) return window;
    }
    return std::nullopt;
}

std::optional<Window> X11Probe::main_window_of_pid(pid_t pid) {
    for (Window window : clients()) {
        auto owner = cardinals(window, "_NET_WM_PID", XA_CARDINAL);
        if (owner.size() == 1 && owner[0] == static_cast<unsigned long>(pid) && !is_dialog(window))
            return window;
    }
    return std::nullopt;
}

std::optional<std::string> X11Probe::title(Window window) {
    ErrorTrap trap(display_);
    Atom actual_type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::optional<std::string> result;
    if (XGetWindowProperty(display_, window, atom("_NET_WM_NAME"), 0, 4096, False,
                           atom("UTF8_STRING"), &actual_type, &format, &count, &remaining,
                           &data) == Success &&
        data && format == 8)
        result = std::string(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return result;
}

std::vector<std::string> X11Probe::states(Window window) {
    std::vector<std::string> names;
    for (unsigned long state : cardinals(window, "_NET_WM_STATE", XA_ATOM)) {
        ErrorTrap trap(display_);
        if (char* name = XGetAtomName(display_, state)) {
            names.emplace_back(name);
            XFree(name);
        }
    }
    return names;
}

bool X11Probe::has_state(Window window, const std::string& state) {
    for (const auto& name : states(window))
        if (name == state) return true;
    return false;
}

bool X11Probe::is_dialog(Window window) {
    Atom dialog = atom("_NET_WM_WINDOW_TYPE_DIALOG");
    for (unsigned long type : cardinals(window, "_NET_WM_WINDOW_TYPE", XA_ATOM))
        if (type == dialog) return true;
    return false;
}

std::optional<Extents> X11Probe::frame_extents(Window window) {
    auto values = cardinals(window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    if (values.size() != 4) return std::nullopt;
    return Extents{static_cast<int>(values[0]), static_cast<int>(values[1]),
                   static_cast<int>(values[2]), static_cast<int>(values[3])};
}

bool X11Probe::viewable(Window window) {
    ErrorTrap trap(display_);
    XWindowAttributes attributes;
    return XGetWindowAttributes(display_, window, &attributes) &&
           attributes.map_state == IsViewable;
}

std::optional<Rect> X11Probe::client_geometry(Window window) {
    ErrorTrap trap(display_);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) return std::nullopt;
    int x = 0, y = 0;
    Window child = None;
    if (!XTranslateCoordinates(display_, window, attributes.root, 0, 0, &x, &y, &child))
        return std::nullopt;
    return Rect{x, y, attributes.width, attributes.height};
}

std::optional<Rect> X11Probe::frame_geometry(Window window) {
    auto client = client_geometry(window);
    auto frame = frame_extents(window);
    if (!client || !frame) return std::nullopt;
    return Rect{client->x - frame->left, client->y - frame->top,
                client->width + frame->left + frame->right,
                client->height + frame->top + frame->bottom};
}

bool xdotool(const std::vector<std::string>& args) {
    auto status = run_to_end("xdotool", args, Millis(5000));
    return status && status->exited && status->code == 0;
}

}  // namespace orn::test

namespace orn::test {

Rect X11Probe::work_area() {
    auto area = cardinals(DefaultRootWindow(display_), "_NET_WORKAREA", XA_CARDINAL);
    if (area.size() >= 4)
        return {static_cast<int>(area[0]), static_cast<int>(area[1]), static_cast<int>(area[2]),
                static_cast<int>(area[3])};
    Screen* screen = DefaultScreenOfDisplay(display_);
    return {0, 0, WidthOfScreen(screen), HeightOfScreen(screen)};
}

std::size_t X11Probe::property_bytes(WindowId window, const char* property) {
    ErrorTrap trap(display_);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::size_t bytes = 0;
    // Asks for no data: the reply says how much there is.
    if (XGetWindowProperty(display_, window, atom(property), 0, 0, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success)
        bytes = after;
    if (data) XFree(data);
    return bytes;
}

}  // namespace orn::test
