// The controls a form holds: command buttons, the image control, timers.
//
// Controls are members of their form, declared in creation order with their
// designed values; their windows are made when the form loads. Every
// property access loads the form first, as a use of the form does.
#pragma once

#include <functional>
#include <memory>

#include "runtime/backend.h"
#include "runtime/numeric.h"
#include "runtime/text.h"

namespace orn {

class Form;
class Picture;

struct ControlDesign {
    Single left = 0;  // twips, relative to the client area
    Single top = 0;
    Single width = 0;
    Single height = 0;
    bool visible = true;
};

class Control {
  public:
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Single left();
    Single top();
    Single width();
    Single height();
    void set_left(Single twips);
    void set_top(Single twips);
    void set_width(Single twips);  // negative: Invalid property value
    void set_height(Single twips);

    bool visible();
    void set_visible(bool visible);

  protected:
    Control(Form& form, const ControlDesign& design);

    void load_form();
    Form& form() { return form_; }
    // Sets the size in pixels directly (an image sized to its picture).
    void set_pixel_size(int width, int height);

  private:
    friend class Form;
    // Creates the native control and gives it the designed values.
    virtual void create_peer(Backend& backend, WindowPeer& window) = 0;
    virtual ControlPeer& peer() = 0;
    void apply_geometry();

  protected:
    // Gives a newly made peer the designed geometry and visibility.
    void create_peer_common();

  private:
    Form& form_;
    ControlDesign design_;
    PixelRect rect_;
    bool visible_;
};

enum class ButtonStyle { Standard, Graphical };

struct ButtonDesign {
    ControlDesign geometry;
    Text caption;
    FontSpec font;
    ButtonStyle style = ButtonStyle::Standard;
    std::shared_ptr<const Picture> picture;
    Text tag;
    bool enabled = true;
};

class CommandButton : public Control, private ControlEvents {
  public:
    CommandButton(Form& form, ButtonDesign design);

    const Text& caption();
    void set_caption(const Text& caption);
    bool enabled();
    void set_enabled(bool enabled);
    const Text& tag();
    void set_tag(const Text& tag);
    // Graphical style: the picture shown centred and clipped. Assigning
    // another control's picture shares it.
    std::shared_ptr<const Picture> picture();
    void set_picture(std::shared_ptr<const Picture> picture);

    std::function<void()> on_click;

  private:
    void create_peer(Backend& backend, WindowPeer& window) override;
    ControlPeer& peer() override { return *peer_; }
    void control_clicked() override;

    ButtonDesign design_;
    std::unique_ptr<ButtonPeer> peer_;
};

class Image : public Control, private ControlEvents {
  public:
    Image(Form& form, const ControlDesign& design);

    std::shared_ptr<const Picture> picture();
    // With Stretch off the control takes the picture's pixel size.
    void set_picture(std::shared_ptr<const Picture> picture);
    bool stretch();
    void set_stretch(bool stretch);

    std::function<void(int button)> on_mouse_down;
    std::function<void()> on_double_click;

  private:
    void create_peer(Backend& backend, WindowPeer& window) override;
    ControlPeer& peer() override { return *peer_; }
    void control_mouse_down(int button) override;
    void control_double_clicked() override;

    std::shared_ptr<const Picture> picture_;
    bool stretch_ = false;
    std::unique_ptr<ImagePeer> peer_;
};

// The HTML view. A page stays loaded while the view is hidden and shows
// again as it was.
class WebBrowser : public Control, private ControlEvents {
  public:
    WebBrowser(Form& form, const ControlDesign& design);

    // Starts showing the file at a Windows path (or a URL); the program does
    // not wait for it. A file that is not there is the view's own matter.
    void Navigate(const Text& location);

  private:
    void create_peer(Backend& backend, WindowPeer& window) override;
    ControlPeer& peer() override { return *peer_; }

    std::unique_ptr<BrowserPeer> peer_;
};

// Ticks every Interval milliseconds while Enabled and Interval > 0.
class Timer : private TimerEvents {
  public:
    Timer(Form& form, int interval_ms, bool enabled);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    int interval();
    void set_interval(int interval_ms);  // outside 0..65535: Invalid property value
    bool enabled();
    // Enabling a running timer keeps it running at its rate.
    void set_enabled(bool enabled);

    std::function<void()> on_timer;

  private:
    friend class Form;
    void create_peer(Backend& backend);
    void restart();
    void timer_ticked() override;

    Form& form_;
    int interval_;
    bool enabled_;
    std::unique_ptr<TimerPeer> peer_;
};

}  // namespace orn
