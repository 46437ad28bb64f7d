// Everything ornlux-wine-setup says, in one place.
#pragma once

#include <string>

#include "wine-setup/stubs.h"

namespace orn::wine_setup {

inline constexpr char kProgramName[] = "ornlux-wine-setup";

extern const char* const kUsage;

// The line for one place: "C:\Book\ornfig.exe: kept the Windows program ...".
std::string step_line(const std::string& windows_path, const ViewerPlace& place, Step step,
                      const std::string& native_path, bool dry_run);
std::string failure_line(const std::string& windows_path, const std::string& reason);

std::string no_prefix_message(const std::string& prefix);
std::string no_drive_message(const std::string& prefix);
std::string no_textbook_message(const std::string& prefix);
std::string no_viewer_message(const std::string& native_path);
std::string usage_error_message(const std::string& problem);
std::string unknown_option_problem(const std::string& option);
std::string missing_value_problem(const std::string& option);
std::string extra_argument_problem(const std::string& argument);

}  // namespace orn::wine_setup
