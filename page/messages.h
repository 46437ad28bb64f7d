// The words ornpage says to the user about the pages it shows, in one place,
// marked for translation: shown through _().
#pragma once

#include "runtime/translation.h"

namespace orn::page::messages {

// The error page of a file that is not part of the textbook.
inline constexpr const char* kNotInTextbook = N_("Not part of the textbook: %s");
// A link to a program or script, which is never started.
inline constexpr const char* kProgramNotStarted =
    N_("This link starts a program (%s); it is not opened.");
// No application on the desktop opens the file or address.
inline constexpr const char* kNoApplication = N_("No application could open %s: %s");
// The find bar.
inline constexpr const char* kFindPlaceholder = N_("Find in page");
inline constexpr const char* kFindNotFound = N_("Not found");
// Standard error when the web process runs without its sandbox.
inline constexpr const char* kNoSandbox =
    N_("the page runs without a sandbox: this system does not let one start (%s)");

}  // namespace orn::page::messages
