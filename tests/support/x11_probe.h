// What the X server and the window manager say about the windows under test,
// read over a connection of the test's own, and input sent with xdotool.
//
// Reads never fail the test process: a window that has gone away reads as
// absent (X errors are trapped around every request).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// Xlib's own header defines macros (None, Bool, Status) that clash with
// other headers, so it stays out of this one.
struct _XDisplay;  // NOLINT(bugprone-reserved-identifier): Xlib's name for a Display

namespace orn::test {

// An X window id (Xlib's Window).
using WindowId = unsigned long;

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Extents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

class X11Probe {
  public:
    // Opens $DISPLAY; connected() tells whether that worked.
    X11Probe();
    ~X11Probe();
    X11Probe(const X11Probe&) = delete;
    X11Probe& operator=(const X11Probe&) = delete;

    bool connected() const { return display_ != nullptr; }
    // An EWMH window manager runs (its check window exists and names itself).
    bool window_manager_running();

    // The windows the window manager manages (_NET_CLIENT_LIST).
    std::vector<WindowId> clients();
    // The first managed window of a process (_NET_WM_PID); with a title,
    // the first one of that title.
    std::optional<WindowId> client_of_pid(pid_t pid, const std::optional<std::string>& title = {});
    // The first managed window of a process that is not a dialog.
    std::optional<WindowId> main_window_of_pid(pid_t pid);

    std::optional<std::string> title(WindowId window);  // _NET_WM_NAME, UTF-8
    std::vector<std::string> states(WindowId window);   // _NET_WM_STATE atom names
    // _NET_WM_ICON: for each image, its width and height, then its pixels
    // as non-premultiplied ARGB.
    std::vector<unsigned long> icons(WindowId window);
    bool has_state(WindowId window, const std::string& state);
    bool is_dialog(WindowId window);  // _NET_WM_WINDOW_TYPE_DIALOG
    std::optional<Extents> frame_extents(WindowId window);
    bool viewable(WindowId window);
    // The client area in root coordinates.
    std::optional<Rect> client_geometry(WindowId window);
    // The outer rectangle: the client area and the frame around it.
    std::optional<Rect> frame_geometry(WindowId window);
    // The first desktop's work area (_NET_WORKAREA), else the whole screen.
    Rect work_area();
    // How many bytes a window's text property holds (0 when it has none).
    std::size_t property_bytes(WindowId window, const char* property);

  private:
    std::vector<unsigned long> cardinals(WindowId window, const char* property, unsigned long type);
    unsigned long atom(const char* name);  // an Atom

    _XDisplay* display_ = nullptr;
};

// Runs xdotool with the arguments (mouse and keyboard through XTEST); true
// when it succeeded within a few seconds.
bool xdotool(const std::vector<std::string>& args);

}  // namespace orn::test
