// A backend without a display, for unit tests: windows are records whose
// frame size, pixel size and screen a test chooses, and the test plays the
// user and the window manager (clicks, presses, maximise, resize, time).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/backend.h"
#include "runtime/hostpath.h"

namespace orn::headless {

struct Settings {
    double twips_per_pixel = 15;
    int device_pixels_per_pixel = 1;
    FrameExtents frame{};
    int min_client_height = 0;
    PixelRect work_area{0, 0, 1280, 1024};
    int max_window_pixels = 32767;
};

class HeadlessBackend;

class HeadlessWindow : public WindowPeer {
  public:
    HeadlessWindow(HeadlessBackend& backend, const WindowDesign& design, WindowEvents& events);
    ~HeadlessWindow() override;

    FrameExtents frame_extents() override;
    int min_client_height() override;
    void set_outer_geometry(PixelRect outer) override;
    void set_visible(bool visible) override { visible_ = visible; }
    void set_maximised(bool maximised, PixelRect outer) override;
    void set_title(const std::string& utf8) override { titles_.push_back(utf8); }
    void set_keep_above() override { keep_above_ = true; }
    void begin_drag() override { ++drags_; }
    std::uintptr_t native_handle() override { return reinterpret_cast<std::uintptr_t>(this); }

    // What the window shows now.
    PixelRect outer() const { return outer_; }
    bool visible() const { return visible_; }
    bool maximised() const { return maximised_; }
    bool keep_above() const { return keep_above_; }
    int drags() const { return drags_; }
    const std::string& title() const;
    const std::vector<std::string>& titles() const { return titles_; }
    const WindowDesign& design() const { return design_; }

    // The user and the window manager.
    void user_maximise();
    void user_restore(PixelRect outer);
    void user_resize(int outer_width, int outer_height);
    void user_close();
    void press(int button);  // on the bare client area

  private:
    HeadlessBackend& backend_;
    WindowDesign design_;
    WindowEvents& events_;
    PixelRect outer_;
    bool visible_ = false;
    bool maximised_ = false;
    bool keep_above_ = false;
    int drags_ = 0;
    std::vector<std::string> titles_;
};

// The state every control peer keeps, over the peer interface it implements.
template <class Peer>
class HeadlessControl : public Peer {
  public:
    void set_geometry(PixelRect rect) override { rect_ = rect; }
    void set_visible(bool visible) override { visible_ = visible; }
    void set_enabled(bool enabled) override { enabled_ = enabled; }
    PixelRect rect() const { return rect_; }
    bool visible() const { return visible_; }
    bool enabled() const { return enabled_; }

  private:
    PixelRect rect_;
    bool visible_ = false;
    bool enabled_ = true;
};

class HeadlessButton : public HeadlessControl<ButtonPeer> {
  public:
    HeadlessButton(HeadlessBackend& backend, ControlEvents& events);
    ~HeadlessButton() override;
    void set_caption(const std::string& utf8) override { caption_ = utf8; }
    void set_font(const FontSpec& font) override { font_ = font; }
    void set_picture(std::shared_ptr<const Picture> picture) override {
        picture_ = std::move(picture);
        ++pictures_set_;
    }

    const std::string& caption() const { return caption_; }
    // How often the button was given a picture to draw.
    int pictures_set() const { return pictures_set_; }
    const FontSpec& font() const { return font_; }
    const Picture* picture() const { return picture_.get(); }
    // A click as the user makes it: a disabled button does not take it.
    void click();

  private:
    HeadlessBackend& backend_;
    ControlEvents& events_;
    std::string caption_;
    FontSpec font_;
    std::shared_ptr<const Picture> picture_;
    int pictures_set_ = 0;
};

class HeadlessImage : public HeadlessControl<ImagePeer> {
  public:
    HeadlessImage(HeadlessBackend& backend, ControlEvents& events);
    ~HeadlessImage() override;
    void set_picture(std::shared_ptr<const Picture> picture) override {
        picture_ = std::move(picture);
    }
    void set_stretch(bool stretch) override { stretch_ = stretch; }

    const Picture* picture() const { return picture_.get(); }
    bool stretch() const { return stretch_; }
    void press(int button);
    void double_click();

  private:
    HeadlessBackend& backend_;
    ControlEvents& events_;
    std::shared_ptr<const Picture> picture_;
    bool stretch_ = false;
};

class HeadlessBrowser : public HeadlessControl<BrowserPeer> {
  public:
    HeadlessBrowser(HeadlessBackend& backend);
    ~HeadlessBrowser() override;
    // Recorded as the URL of the file (see location_uri).
    void navigate(const Text& location) override { navigations_.push_back(location_uri(location)); }
    const std::vector<std::string>& navigations() const { return navigations_; }

  private:
    HeadlessBackend& backend_;
    std::vector<std::string> navigations_;
};

class HeadlessTimer : public TimerPeer {
  public:
    HeadlessTimer(HeadlessBackend& backend, TimerEvents& events);
    ~HeadlessTimer() override;
    void start(int interval_ms) override;
    void stop() override { running_ = false; }

    bool running() const { return running_; }
    int interval() const { return interval_; }

  private:
    friend class HeadlessBackend;
    HeadlessBackend& backend_;
    TimerEvents& events_;
    bool running_ = false;
    int interval_ = 0;
    long long next_due_ = 0;
};

class HeadlessBackend : public Backend {
  public:
    explicit HeadlessBackend(Settings settings = {});

    double twips_per_pixel() override { return settings_.twips_per_pixel; }
    int device_pixels_per_pixel() override { return settings_.device_pixels_per_pixel; }
    PixelRect work_area() override { return settings_.work_area; }
    int max_window_pixels() override { return settings_.max_window_pixels; }
    std::unique_ptr<WindowPeer> create_window(const WindowDesign& design,
                                              WindowEvents& events) override;
    std::unique_ptr<ButtonPeer> create_button(WindowPeer& window, ControlEvents& events) override;
    std::unique_ptr<ImagePeer> create_image(WindowPeer& window, ControlEvents& events) override;
    std::unique_ptr<TimerPeer> create_timer(TimerEvents& events) override;
    std::unique_ptr<BrowserPeer> create_browser(WindowPeer& window, ControlEvents& events) override;
    void play_sound(const std::string& host_path) override;
    void run() override { running_ = true; }
    void show_error(const std::string& title, const std::string& message) override;
    void end_program(int status) override;

    Settings& settings() { return settings_; }
    // Lets time pass: every timer due in the next ms milliseconds ticks, in order.
    void advance(int ms);
    long long now_ms() const { return now_ms_; }

    HeadlessWindow& window();  // the (only) window; fails the test when none
    const std::vector<HeadlessButton*>& buttons() const { return buttons_; }
    const std::vector<HeadlessImage*>& images() const { return images_; }
    const std::vector<HeadlessTimer*>& timers() const { return timers_; }
    const std::vector<HeadlessBrowser*>& browsers() const { return browsers_; }
    const std::vector<std::string>& sounds() const { return sounds_; }
    int bells() const { return bells_; }
    const std::vector<std::string>& errors_shown() const { return errors_shown_; }
    bool ended() const { return ended_; }
    int exit_status() const { return exit_status_; }

  private:
    friend class HeadlessWindow;
    friend class HeadlessButton;
    friend class HeadlessImage;
    friend class HeadlessTimer;
    friend class HeadlessBrowser;
    template <class T>
    static void forget(std::vector<T*>& list, T* item);

    Settings settings_;
    long long now_ms_ = 0;
    bool running_ = false;
    bool ended_ = false;
    int exit_status_ = 0;
    std::vector<HeadlessWindow*> windows_;
    std::vector<HeadlessButton*> buttons_;
    std::vector<HeadlessImage*> images_;
    std::vector<HeadlessTimer*> timers_;
    std::vector<HeadlessBrowser*> browsers_;
    std::vector<std::string> sounds_;
    int bells_ = 0;
    std::vector<std::string> errors_shown_;
};

}  // namespace orn::headless
