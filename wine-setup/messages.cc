#include "wine-setup/messages.h"

namespace orn::wine_setup {

const char* const kUsage = R"(Usage: ornlux-wine-setup [--prefix DIR] [--undo] [--dry-run]
Lets the Ornlux textbook, run under Wine, start the native viewers: finds
the textbook's ornfig.exe and ornpage.exe on the Wine prefix's drive C:,
keeps each aside as ornfig.exe.windows (ornpage.exe.windows) and puts a
small script in its place that starts /usr/bin/ornfig (ornpage).

  --prefix DIR  the Wine prefix (default: $WINEPREFIX, else ~/.wine)
  --undo        put the textbook's Windows programs back
  --dry-run     say what would be done, change nothing
  --help        show this help and exit
  --version     show the version and exit

See ornlux-wine-setup(1).
)";

std::string step_line(const std::string& windows_path, const ViewerPlace& place, Step step,
                      const std::string& native_path, bool dry_run) {
    const std::string would = dry_run ? "would " : "";
    const std::string kept = place.kept_name();
    std::string what;
    switch (step) {
        case Step::keep_and_stub:
            what = (dry_run ? "would keep" : "kept") + std::string(" the Windows program as ") +
                   kept + " and put a stub in its place that starts " + native_path;
            break;
        case Step::put_stub_back:
            what = would + "put back the stub that starts " + native_path +
                   " (the Windows program is kept as " + kept + ")";
            break;
        case Step::update_stub:
            what = (dry_run ? "would update" : "updated") + std::string(" the stub to start ") +
                   native_path;
            break;
        case Step::nothing_set_up:
            what = "already starts " + native_path + "; nothing changed";
            break;
        case Step::restore_program:
            what = (dry_run ? "would put" : "put") +
                   std::string(" the Windows program back from ") + kept;
            break;
        case Step::nothing_to_undo:
            what = "the Windows program is in its place; nothing changed";
            break;
        case Step::not_windows_program:
            what = "not a Windows program; left alone";
            break;
        case Step::both_there:
            what = "left alone: a Windows program is in its place and another one is kept as " +
                   kept + "; remove the one you do not want and run again";
            break;
        case Step::kept_missing:
            what = "left alone: it is a stub, and the Windows program it stands for (" + kept +
                   ") is not there to be put back";
            break;
    }
    return windows_path + ": " + what;
}

std::string failure_line(const std::string& windows_path, const std::string& reason) {
    return windows_path + ": failed: " + reason;
}

std::string no_prefix_message(const std::string& prefix) {
    return std::string(kProgramName) + ": there is no Wine prefix at " + prefix;
}

std::string no_drive_message(const std::string& prefix) {
    return std::string(kProgramName) + ": the Wine prefix " + prefix + " has no drive C:";
}

std::string no_textbook_message(const std::string& prefix) {
    return std::string(kProgramName) + ": no textbook in the Wine prefix " + prefix +
           ": its drive C: holds no ornfig.exe or ornpage.exe";
}

std::string no_viewer_message(const std::string& native_path) {
    return std::string(kProgramName) + ": the native viewer " + native_path + " is not installed";
}

std::string usage_error_message(const std::string& problem) {
    return std::string(kProgramName) + ": " + problem + "\nTry '" + kProgramName + " --help'.";
}

std::string unknown_option_problem(const std::string& option) {
    return "unknown option '" + option + "'";
}

std::string missing_value_problem(const std::string& option) {
    return "option '" + option + "' needs a folder";
}

std::string extra_argument_problem(const std::string& argument) {
    return "unexpected argument '" + argument + "'";
}

}  // namespace orn::wine_setup
