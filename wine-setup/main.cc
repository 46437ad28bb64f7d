// ornlux-wine-setup: lets the textbook, run under Wine, start the native viewers.
#include <cstdio>
#include <iostream>

#include "runtime/command_line.h"
#include "runtime/translation.h"
#include "wine-setup/messages.h"
#include "wine-setup/options.h"
#include "wine-setup/setup_run.h"

int main(int argc, char** argv) {
    orn::use_users_language();
    using orn::wine_setup::SetupOptions;
    orn::wine_setup::ParsedOptions parsed = orn::wine_setup::parse_options(argc, argv);
    switch (parsed.options.action) {
        case SetupOptions::Action::help:
            return orn::answer_option(orn::CommandAction::help, orn::wine_setup::kProgramName,
                                      _(orn::wine_setup::kUsage), stdout);
        case SetupOptions::Action::version:
            return orn::answer_option(orn::CommandAction::version, orn::wine_setup::kProgramName,
                                      "", stdout);
        case SetupOptions::Action::set_up:
            break;
    }
    if (!parsed.problem.empty()) {
        std::cerr << orn::wine_setup::usage_error_message(parsed.problem) << "\n";
        return 2;
    }
    int status = orn::wine_setup::run_setup(parsed.options, orn::wine_setup::native_viewer_folder(),
                                            std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << orn::wine_setup::kProgramName << ": " << _("cannot write what was done")
                  << "\n";
        return 1;
    }
    return status;
}
