// The GTK 3 backend on X11: forms become top-level windows whose controls
// sit at exact pixel rectangles, timers run on the GLib main loop, and the
// window manager's frame, keep-above state and move are used as it offers them.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "runtime/backend.h"

// GTK's layout widget, declared as GTK declares it.
using GtkLayout = struct _GtkLayout;  // NOLINT(bugprone-reserved-identifier)

namespace orn::gtk {

// Makes the HTML view inside a window's layout. Only the page viewer links
// an HTML engine, so it brings its own.
using BrowserFactory =
    std::function<std::unique_ptr<BrowserPeer>(GtkLayout* layout, ControlEvents& events)>;

// Gives the windows the classic look: a light grey window and raised
// buttons, a GTK theme of a few rules compiled into the program, instead of
// the desktop's thousands. It has no rules for menus or text entries, so
// windows with an HTML view keep the desktop's. A theme the user names in
// GTK_THEME is kept. It tells GTK through the environment, so it is called
// before the program starts any thread and before the backend is made.
void use_classic_look();

class GtkBackend : public Backend {
  public:
    // Opens the display (X11, also in a Wayland session) or ends the
    // program with a message when there is none.
    GtkBackend(int& argc, char**& argv, const std::string& program_name);
    ~GtkBackend() override;

    double twips_per_pixel() override;
    int device_pixels_per_pixel() override;
    PixelRect work_area() override;
    std::unique_ptr<WindowPeer> create_window(const WindowDesign& design,
                                              WindowEvents& events) override;
    std::unique_ptr<ButtonPeer> create_button(WindowPeer& window, ControlEvents& events) override;
    std::unique_ptr<ImagePeer> create_image(WindowPeer& window, ControlEvents& events) override;
    std::unique_ptr<TimerPeer> create_timer(TimerEvents& events) override;
    std::unique_ptr<BrowserPeer> create_browser(WindowPeer& window, ControlEvents& events) override;
    void set_browser_factory(BrowserFactory factory);
    void play_sound(const std::string& host_path) override;
    void run() override;
    void show_error(const std::string& title, const std::string& message) override;
    void end_program(int status) override;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orn::gtk
