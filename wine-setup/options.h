// ornlux-wine-setup's command line.
#pragma once

#include <optional>
#include <string>

namespace orn::wine_setup {

struct SetupOptions {
    enum class Action { set_up, help, version } action = Action::set_up;
    std::optional<std::string> prefix;  // --prefix DIR or --prefix=DIR
    bool undo = false;
    bool dry_run = false;
};

struct ParsedOptions {
    SetupOptions options;
    std::string problem;  // why the command line is wrong; empty when it is right
};

// --help and --version win over everything else, as in the viewers.
ParsedOptions parse_options(int argc, const char* const* argv);

}  // namespace orn::wine_setup
