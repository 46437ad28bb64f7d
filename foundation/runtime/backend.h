// The seam between the toolkit model and a real (or headless) window system.
//
// The model (Form and its controls) holds every property as the programs
// see it and applies the toolkit's rules; a backend mirrors the model onto
// windows and reports what the user and the window manager did. Peers never
// call back into the model from inside a call the model made to them: events
// arrive only from the backend's event loop (or a test driving it).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/text.h"

namespace orn {

class Picture;

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// What the window manager's frame adds around the client area.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    bool operator==(const FrameExtents&) const = default;
};

struct FontSpec {
    std::string family;
    double size_points = 8.25;
    int weight = 400;
    bool italic = false;
};

enum class BorderStyle { FixedSingle, Sizable };

// An image of width x height pixels, each four bytes: red, green, blue and
// alpha (not premultiplied), row after row.
struct IconImage {
    int width = 0, height = 0;
    std::string_view rgba;
};

struct WindowDesign {
    BorderStyle border = BorderStyle::Sizable;
    std::string title;  // UTF-8
    IconImage icon;     // none when empty
};

// Events that peers report; the model turns them into handler calls.
class WindowEvents {
  public:
    virtual ~WindowEvents() = default;
    // The window manager or the user changed the window: its outer
    // rectangle (frame included) and whether it is maximised.
    virtual void window_configured(PixelRect outer, bool maximised) = 0;
    virtual void window_close_requested() = 0;
    virtual void window_mouse_down(int button) = 0;  // on the bare client area
};

class ControlEvents {
  public:
    virtual ~ControlEvents() = default;
    virtual void control_clicked() {}
    virtual void control_mouse_down(int /*button*/) {}
    virtual void control_double_clicked() {}
};

class TimerEvents {
  public:
    virtual ~TimerEvents() = default;
    virtual void timer_ticked() = 0;
};

class WindowPeer {
  public:
    virtual ~WindowPeer() = default;
    // The frame as the window manager draws it now; zero without one.
    virtual FrameExtents frame_extents() = 0;
    // The lowest client height the window really takes (0 when a window
    // manager frame is what is left of a window asked to be 1 twip high).
    virtual int min_client_height() = 0;
    // Places the frame's top-left corner at (x, y) and sizes the client area
    // to the outer size less the frame.
    virtual void set_outer_geometry(PixelRect outer) = 0;
    virtual void set_visible(bool visible) = 0;
    // Maximises the window, or restores it to outer. Without a window
    // manager the peer places the window at outer itself (the work area
    // when maximising).
    virtual void set_maximised(bool maximised, PixelRect outer) = 0;
    virtual void set_title(const std::string& utf8) = 0;
    virtual void set_keep_above() = 0;
    // Moves the window with the mouse from the press being handled now, as a
    // press on the title bar would.
    virtual void begin_drag() = 0;
    virtual std::uintptr_t native_handle() = 0;
};

class ControlPeer {
  public:
    virtual ~ControlPeer() = default;
    virtual void set_geometry(PixelRect client_rect) = 0;
    virtual void set_visible(bool visible) = 0;
    virtual void set_enabled(bool enabled) = 0;
};

class ButtonPeer : public ControlPeer {
  public:
    virtual void set_caption(const std::string& utf8) = 0;
    virtual void set_font(const FontSpec& font) = 0;
    // Shown centred and clipped; null for none.
    virtual void set_picture(std::shared_ptr<const Picture> picture) = 0;
};

class ImagePeer : public ControlPeer {
  public:
    virtual void set_picture(std::shared_ptr<const Picture> picture) = 0;
    // On: the picture is drawn scaled to the control's size; off: unscaled
    // from the top-left corner, clipped.
    virtual void set_stretch(bool stretch) = 0;
};

class BrowserPeer : public ControlPeer {
  public:
    // Starts loading and showing a page, given as Navigate was given it (a
    // Windows path of a local file, or a URL); returns at once.
    virtual void navigate(const Text& location) = 0;
};

class TimerPeer {
  public:
    virtual ~TimerPeer() = default;
    // Ticks every interval_ms from now on (restarts the countdown).
    virtual void start(int interval_ms) = 0;
    virtual void stop() = 0;
};

class Backend {
  public:
    virtual ~Backend() = default;

    virtual double twips_per_pixel() = 0;
    // Device pixels across one screen pixel: 2 on a screen that doubles
    // everything for its resolution. Pictures are decoded for device pixels.
    virtual int device_pixels_per_pixel() { return 1; }
    // The monitor's area for maximised windows (panels excluded).
    virtual PixelRect work_area() = 0;
    // Largest client width or height a window may be given.
    virtual int max_window_pixels() { return 32767; }

    virtual std::unique_ptr<WindowPeer> create_window(const WindowDesign& design,
                                                      WindowEvents& events) = 0;
    virtual std::unique_ptr<ButtonPeer> create_button(WindowPeer& window,
                                                      ControlEvents& events) = 0;
    virtual std::unique_ptr<ImagePeer> create_image(WindowPeer& window, ControlEvents& events) = 0;
    virtual std::unique_ptr<TimerPeer> create_timer(TimerEvents& events) = 0;
    // The HTML view; only the page viewer has one.
    virtual std::unique_ptr<BrowserPeer> create_browser(WindowPeer& window,
                                                        ControlEvents& events) = 0;

    // Plays a sound file without waiting for it; a file that cannot be
    // played rings the bell instead.
    virtual void play_sound(const std::string& host_path) = 0;

    // Runs the event loop until end_program.
    virtual void run() = 0;
    // Shows a run-time error to the user (modal; returns when dismissed).
    virtual void show_error(const std::string& title, const std::string& message) = 0;
    // Ends the program at once: no further handler runs.
    virtual void end_program(int status) = 0;
};

}  // namespace orn
