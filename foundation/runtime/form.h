// A form: one top-level window with its controls, as the programs see it.
//
// Geometry is in twips. Left, Top, Width and Height are the outer window
// rectangle, frame included; values read back are fitted to whole pixels.
// The window and its controls are created on the first use of any property
// of the form or of a control, and Form_Load runs to its end at that moment.
// Assigning Width, Height or WindowState runs Form_Resize before the
// assignment returns when the size changes; so does the first showing.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/backend.h"
#include "runtime/numeric.h"
#include "runtime/text.h"

namespace orn {

class Toolkit;
class Control;
class Timer;

enum class StartUpPosition { Manual, WindowsDefault };

struct FormDesign {
    Text caption;
    BorderStyle border = BorderStyle::Sizable;
    Single client_width = 0;   // twips
    Single client_height = 0;  // twips
    StartUpPosition position = StartUpPosition::Manual;
    Single left = 0;  // outer top-left corner, twips (Manual only)
    Single top = 0;
    IconImage icon;  // the window's icon; none when empty
};

// The longest title given to the window manager, in UTF-16 units: more than
// a title bar across the widest screen shows. A caption is kept whole; only
// its beginning is shown, so a long caption costs neither the program nor
// the window manager more at every step of the ticker.
inline constexpr std::size_t kMaxTitleUnits = 2048;

// The part of a caption a title bar is given: the first kMaxTitleUnits
// units, never ending halfway through a surrogate pair.
Text title_shown_for(const Text& caption);

inline constexpr int kWindowNormal = 0;
inline constexpr int kWindowMaximised = 2;

class Form : private WindowEvents {
  public:
    Form(Toolkit& toolkit, FormDesign design);
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Toolkit& toolkit() { return toolkit_; }

    Single left();
    Single top();
    Single width();
    Single height();
    void set_left(Single twips);
    void set_top(Single twips);
    void set_width(Single twips);
    void set_height(Single twips);

    int window_state();
    void set_window_state(int state);

    bool visible();
    void set_visible(bool visible);
    void show() { set_visible(true); }

    const Text& caption();
    void set_caption(const Text& caption);

    std::uintptr_t hwnd();
    // The native window, for the platform calls (keep above, move by mouse).
    WindowPeer& window();

    // Closes the window and ends the program.
    void unload();

  protected:
    // Handlers a form may provide.
    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_MouseDown(int /*button*/) {}

  private:
    friend class Control;
    friend class Timer;
    enum class LoadState { Unloaded, Loading, Loaded };

    void load_if_needed();
    void create_controls();
    void register_control(Control* control) { controls_.push_back(control); }
    void register_timer(Timer* timer) { timers_.push_back(timer); }
    PixelRect designed_outer_rect();
    int min_outer_width();
    int min_outer_height();
    void check_client_size(int outer_width, int outer_height);
    void resize_to(int outer_width, int outer_height);

    // WindowEvents
    void window_configured(PixelRect outer, bool maximised) override;
    void window_close_requested() override;
    void window_mouse_down(int button) override;

    Toolkit& toolkit_;
    FormDesign design_;
    LoadState state_ = LoadState::Unloaded;
    std::unique_ptr<WindowPeer> peer_;
    std::vector<Control*> controls_;
    std::vector<Timer*> timers_;

    PixelRect outer_;         // the window's outer rectangle now
    PixelRect normal_outer_;  // where a maximised window returns to
    int window_state_ = kWindowNormal;
    bool visible_ = false;
    bool shown_before_ = false;
    Text caption_;
};

}  // namespace orn
