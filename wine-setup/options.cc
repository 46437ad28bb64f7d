#include "wine-setup/options.h"

#include <string_view>

#include "wine-setup/messages.h"

namespace orn::wine_setup {

ParsedOptions parse_options(int argc, const char* const* argv) {
    ParsedOptions parsed;
    SetupOptions& options = parsed.options;
    auto complain = [&](const std::string& problem) {
        if (parsed.problem.empty()) parsed.problem = problem;
    };
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (word == "--help" || word == "--version") {
            if (options.action == SetupOptions::Action::set_up)
                options.action =
                    word == "--help" ? SetupOptions::Action::help : SetupOptions::Action::version;
        } else if (word == "--undo") {
            options.undo = true;
        } else if (word == "--dry-run") {
            options.dry_run = true;
        } else if (word == "--prefix") {
            if (i + 1 < argc && *argv[i + 1])
                options.prefix = argv[++i];
            else
                complain(missing_value_problem("--prefix"));
        } else if (word.starts_with("--prefix=")) {
            options.prefix = std::string(word.substr(9));
            if (options.prefix->empty()) complain(missing_value_problem("--prefix"));
        } else if (word.starts_with("-")) {
            complain(unknown_option_problem(std::string(word)));
        } else {
            complain(extra_argument_problem(std::string(word)));
        }
    }
    if (options.action != SetupOptions::Action::set_up) parsed.problem.clear();
    return parsed;
}

}  // namespace orn::wine_setup
