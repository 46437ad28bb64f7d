#include "ornfig_run.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace orn::test {

namespace {

std::string directory_from_environment(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    return value && *value ? value : fallback;
}

}  // namespace

std::string sample_drive_c() {
    return directory_from_environment("ORN_SOURCE_DIR", ORN_DEFAULT_SOURCE_DIR) + "/data/drive_c";
}

std::string ornfig_binary() {
    return directory_from_environment("ORN_BINARY_DIR", ORN_DEFAULT_BINARY_DIR) + "/figure/ornfig";
}

std::string e2e_skip_reason() {
    X11Probe probe;
    if (!probe.connected())
        return "no X display (DISPLAY is unset or cannot be opened); run under scripts/test.sh";
    if (!probe.window_manager_running()) return "no EWMH window manager runs on the display";
    return {};
}

std::string make_wine_prefix(TempTree& tree, const std::string& drive_c) {
    std::string prefix = tree.mkdir("wineprefix");
    fs::create_directories(fs::path(prefix) / "dosdevices");
    fs::create_directory_symlink(drive_c, fs::path(prefix) / "dosdevices" / "c:");
    return prefix;
}

std::string copy_sample_drive(TempTree& tree) {
    std::string copy = tree.mkdir("drive_c");
    fs::copy(sample_drive_c(), copy, fs::copy_options::recursive);
    return copy;
}

namespace {
EnvironmentAdditions run_environment(const std::string& wine_prefix, EnvironmentAdditions env) {
    env.insert(env.begin(), {{"WINEPREFIX", wine_prefix}, {"NO_AT_BRIDGE", "1"}});
    return env;
}
}  // namespace

OrnfigRun::OrnfigRun(const std::string& item_path, const std::string& wine_prefix,
                     const EnvironmentAdditions& env, const std::string& binary)
    : process_(binary.empty() ? ornfig_binary() : binary, {item_path},
               run_environment(wine_prefix, env)) {}

std::optional<WindowId> OrnfigRun::wait_for_figure_window(Millis timeout) {
    std::optional<WindowId> window;
    poll_until(
        [&] {
            window = probe_.main_window_of_pid(process_.pid());
            return window && probe_.viewable(*window);
        },
        timeout, {}, Millis(2));
    if (window && !probe_.viewable(*window)) return std::nullopt;
    return window;
}

bool OrnfigRun::wait_until_started(WindowId window, Millis timeout) {
    return poll_until(
        [&] {
            auto title = probe_.title(window);
            return title && *title != "Форма1";
        },
        timeout, {}, Millis(5));
}

std::optional<WindowId> OrnfigRun::wait_for_error_dialog(Millis timeout) {
    std::optional<WindowId> dialog;
    poll_until(
        [&] {
            dialog = probe_.client_of_pid(process_.pid(), "ornfig");
            return dialog && probe_.is_dialog(*dialog) && probe_.viewable(*dialog);
        },
        timeout);
    if (dialog && !(probe_.is_dialog(*dialog) && probe_.viewable(*dialog))) return std::nullopt;
    return dialog;
}

std::vector<TitleChange> OrnfigRun::record_titles(WindowId window, Millis duration) {
    std::vector<TitleChange> changes;
    auto record = [&] {
        auto title = probe_.title(window);
        if (title && (changes.empty() || changes.back().title != *title))
            changes.push_back({*title, std::chrono::steady_clock::now()});
        return false;
    };
    poll_until(record, duration, {}, Millis(2));
    return changes;
}

bool OrnfigRun::dismiss(WindowId dialog) {
    return xdotool({"windowactivate", "--sync", std::to_string(dialog)}) &&
           xdotool({"key", "Return"});
}

std::vector<std::string> OrnfigRun::stderr_lines() const {
    std::vector<std::string> lines;
    std::istringstream text(process_.stderr_text());
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

}  // namespace orn::test
