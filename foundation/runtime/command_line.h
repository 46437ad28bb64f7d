// The programs' command line: --help, --version, or the item path to show.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "runtime/text.h"

namespace orn {

enum class CommandAction { run, help, version };

struct CommandLine {
    CommandAction action = CommandAction::run;
    // The item path: the arguments that are not options, joined by single
    // spaces, so that a path with spaces the shell split comes back whole.
    Text argument;
};

// Reads argv[1] to argv[argc - 1]. An argument that is exactly "--help" or
// "--version" asks for that (the first of them wins). The first "--" ends
// the options and is dropped: what follows is the item path even when it
// begins with "-". Every other argument ("-x" and "--x" too) is part of the
// item path.
//
// Parsing argv again after GTK has taken its own options (--display ...)
// out of it gives the same item path without them: GLib drops the "--" it
// stops at only when no later argument begins with "-", and then dropping
// it changes nothing here.
CommandLine parse_command_line(int argc, const char* const* argv);

// "ornfig 0.1.0": the program's name and version, the answer to --version.
std::string version_line(std::string_view program);

// Writes the answer to --help (usage) or --version (version_line) on out.
// Returns the exit status: 0, or 1 with a line on standard error when out
// could not take the text (a full disk, a closed pipe).
int answer_option(CommandAction action, std::string_view program, std::string_view usage,
                  std::FILE* out);

}  // namespace orn
