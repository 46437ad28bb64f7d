// One run of ornlux-wine-setup over a Wine prefix: find the places, say and
// do what each needs.
#pragma once

#include <ostream>
#include <string>

#include "wine-setup/options.h"

namespace orn::wine_setup {

// Where the native viewers are: the folder ornlux-wine-setup itself lies in.
std::string native_viewer_folder();

// Sets the prefix up (or undoes it), writing one line per place on out and
// refusals on err. Returns the exit status: 0, or 1 when the prefix is
// missing or holds no textbook, a viewer is not installed, a place was left
// alone for a reason the user must settle, or a file operation failed.
int run_setup(const SetupOptions& options, const std::string& viewer_folder, std::ostream& out,
              std::ostream& err);

}  // namespace orn::wine_setup
