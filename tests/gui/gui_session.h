// The one GTK backend the GUI tests share, the X probe they read the windows
// with, and the waits that keep GTK's main loop running while they poll.
#pragma once

#include <memory>
#include <string>

#include "gtk/gtk_backend.h"
#include "process.h"
#include "x11_probe.h"

namespace orn::test {

class GuiSession {
  public:
    // Opens the display and starts GTK, unless there is no display or no
    // EWMH window manager on it: then skip_reason() says why.
    void start();
    void stop();

    // Empty when the tests can run.
    const std::string& skip_reason() const { return skip_reason_; }
    gtk::GtkBackend& backend() { return *backend_; }
    X11Probe& probe() { return *probe_; }

  private:
    std::unique_ptr<X11Probe> probe_;
    std::unique_ptr<gtk::GtkBackend> backend_;
    std::string skip_reason_;
    // GTK may keep pointers into its arguments.
    int argc_ = 1;
    char program_name_[16] = "gui_tests";
    char* argv_storage_[2] = {program_name_, nullptr};
    char** argv_ = argv_storage_;
};

// The session of this test program (set up once, by a global environment).
GuiSession& gui_session();

// Handles every pending GTK event.
void pump_events();
// Polls condition while pumping events; true when it held within timeout.
bool pump_until(const std::function<bool()>& condition, Millis timeout = Millis(3000));
// Keeps pumping events for a while (for things that must *not* happen).
void pump_for(Millis duration);

// A file of the sample textbook (data/drive_c/...) on the host.
std::string sample_file(const std::string& relative_path);

}  // namespace orn::test
