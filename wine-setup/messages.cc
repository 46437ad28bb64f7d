#include "wine-setup/messages.h"

#include "runtime/translation.h"

namespace orn::wine_setup {

const char* const kUsage = N_(R"(Usage: ornlux-wine-setup [--prefix DIR] [--undo] [--dry-run]
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
)");

namespace {

std::string program_says(const std::string& message) {
    return std::string(kProgramName) + ": " + message;
}

// What the step did, or would do in a dry run.
std::string step_text(Step step, const std::string& kept, const std::string& native, bool dry_run) {
    const char* k = kept.c_str();
    const char* n = native.c_str();
    switch (step) {
        case Step::keep_and_stub:
            return dry_run ? format_text(_("would keep the Windows program as %s and put a stub "
                                           "in its place that starts %s"),
                                         k, n)
                           : format_text(_("kept the Windows program as %s and put a stub in its "
                                           "place that starts %s"),
                                         k, n);
        case Step::put_stub_back:
            return dry_run ? format_text(_("would put back the stub that starts %s (the Windows "
                                           "program is kept as %s)"),
                                         n, k)
                           : format_text(_("put back the stub that starts %s (the Windows "
                                           "program is kept as %s)"),
                                         n, k);
        case Step::update_stub:
            return dry_run ? format_text(_("would update the stub to start %s"), n)
                           : format_text(_("updated the stub to start %s"), n);
        case Step::nothing_set_up:
            return format_text(_("already starts %s; nothing changed"), n);
        case Step::restore_program:
            return dry_run ? format_text(_("would put the Windows program back from %s"), k)
                           : format_text(_("put the Windows program back from %s"), k);
        case Step::nothing_to_undo:
            return _("the Windows program is in its place; nothing changed");
        case Step::not_windows_program:
            return _("not a Windows program; left alone");
        case Step::both_there:
            return format_text(_("left alone: a Windows program is in its place and another one "
                                 "is kept as %s; remove the one you do not want and run again"),
                               k);
        case Step::kept_missing:
            return format_text(_("left alone: it is a stub, and the Windows program it stands "
                                 "for (%s) is not there to be put back"),
                               k);
    }
    return {};
}

}  // namespace

std::string step_line(const std::string& windows_path, const ViewerPlace& place, Step step,
                      const std::string& native_path, bool dry_run) {
    return windows_path + ": " + step_text(step, place.kept_name(), native_path, dry_run);
}

std::string failure_line(const std::string& windows_path, const std::string& reason) {
    return windows_path + ": " + format_text(_("failed: %s"), reason.c_str());
}

std::string no_prefix_message(const std::string& prefix) {
    return program_says(format_text(_("there is no Wine prefix at %s"), prefix.c_str()));
}

std::string no_drive_message(const std::string& prefix) {
    return program_says(format_text(_("the Wine prefix %s has no drive C:"), prefix.c_str()));
}

std::string no_textbook_message(const std::string& prefix) {
    return program_says(format_text(
        _("no textbook in the Wine prefix %s: its drive C: holds no ornfig.exe or ornpage.exe"),
        prefix.c_str()));
}

std::string no_viewer_message(const std::string& native_path) {
    return program_says(
        format_text(_("the native viewer %s is not installed"), native_path.c_str()));
}

std::string usage_error_message(const std::string& problem) {
    return program_says(problem) + "\n" + format_text(_("Try '%s --help'."), kProgramName);
}

std::string unknown_option_problem(const std::string& option) {
    return format_text(_("unknown option '%s'"), option.c_str());
}

std::string missing_value_problem(const std::string& option) {
    return format_text(_("option '%s' needs a folder"), option.c_str());
}

std::string extra_argument_problem(const std::string& argument) {
    return format_text(_("unexpected argument '%s'"), argument.c_str());
}

}  // namespace orn::wine_setup
