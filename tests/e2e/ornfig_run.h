// One run of the figure viewer under test: the ornfig process started with
// an item path and a WINEPREFIX, and what its windows show on the display.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "process.h"
#include "temp_tree.h"
#include "x11_probe.h"

namespace orn::test {

// The repository's sample textbook (data/drive_c) and the built ornfig.
std::string sample_drive_c();
std::string ornfig_binary();

// Why the end-to-end tests cannot run here (no display, no window manager,
// no ornfig); empty when they can.
std::string e2e_skip_reason();

// A WINEPREFIX in tree whose C: drive is drive_c.
std::string make_wine_prefix(TempTree& tree, const std::string& drive_c);
// A writable copy of the sample textbook in tree, for tests that break it.
std::string copy_sample_drive(TempTree& tree);

// A title the window had, and when it first showed it.
struct TitleChange {
    std::string title;
    std::chrono::steady_clock::time_point seen;
};

class OrnfigRun {
  public:
    // env: more environment for ornfig (the locale, ...), beside WINEPREFIX;
    // binary: the ornfig to run, the one built by default.
    OrnfigRun(const std::string& item_path, const std::string& wine_prefix,
              const EnvironmentAdditions& env = {}, const std::string& binary = {});

    Process& process() { return process_; }
    X11Probe& probe() { return probe_; }

    // The figure window once it is mapped (not the error dialog).
    std::optional<WindowId> wait_for_figure_window(Millis timeout = Millis(5000));
    // Waits until the window's title has left the designed caption: the
    // caption ticker's first step, which comes after start-up has ended and
    // the window has been laid out and drawn. Before that a click may land
    // where a control is about to be placed.
    bool wait_until_started(WindowId window, Millis timeout = Millis(3000));
    // The run-time error dialog (a dialog titled "ornfig") once it is mapped.
    std::optional<WindowId> wait_for_error_dialog(Millis timeout = Millis(5000));
    // Records the window's title as it changes over duration.
    std::vector<TitleChange> record_titles(WindowId window, Millis duration);
    // Focuses the dialog and presses Return, as a user taking note of it.
    bool dismiss(WindowId dialog);

    // What the program wrote, without a trailing newline on the last line.
    std::vector<std::string> stderr_lines() const;

  private:
    X11Probe probe_;
    Process process_;
};

}  // namespace orn::test
