// The words ornpage says to the user about the pages it shows, in one place.
#pragma once

namespace orn::page::messages {

// The error page of a file that is not part of the textbook.
inline constexpr char kNotInTextbook[] = "Not part of the textbook: %s";
// A link to a program or script, which is never started.
inline constexpr char kProgramNotStarted[] = "This link starts a program (%s); it is not opened.";
// No application on the desktop opens the file or address.
inline constexpr char kNoApplication[] = "No application could open %s: %s";
// The find bar.
inline constexpr char kFindPlaceholder[] = "Find in page";
inline constexpr char kFindNotFound[] = "Not found";
// Standard error when the web process runs without its sandbox.
inline constexpr char kNoSandbox[] =
    "ornpage: the page runs without a sandbox: this system does not let one start (%s)";

}  // namespace orn::page::messages
