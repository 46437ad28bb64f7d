#include "runtime/command_line.h"

#include <cerrno>
#include <cstring>

#include "orn_version.h"
#include "runtime/translation.h"

namespace orn {

CommandLine parse_command_line(int argc, const char* const* argv) {
    CommandLine command;
    std::string joined;
    bool options_ended = false;
    bool first_word = true;
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (!options_ended) {
            if (word == "--") {
                options_ended = true;
                continue;
            }
            CommandAction asked = word == "--help"      ? CommandAction::help
                                  : word == "--version" ? CommandAction::version
                                                        : CommandAction::run;
            if (asked != CommandAction::run) {
                if (command.action == CommandAction::run) command.action = asked;
                continue;
            }
        }
        if (!first_word) joined += ' ';
        joined += word;
        first_word = false;
    }
    command.argument = from_utf8(joined);
    return command;
}

std::string version_line(std::string_view program) {
    return std::string(program) + " " + kVersion;
}

int answer_option(CommandAction action, std::string_view program, std::string_view usage,
                  std::FILE* out) {
    std::string text =
        action == CommandAction::version ? version_line(program) + "\n" : std::string(usage);
    errno = 0;
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fflush(out) != 0 || std::ferror(out)) written = false;
    if (written) return 0;
    std::string program_name(program);
    const char* what = action == CommandAction::version ? _("cannot write the version")
                                                        : _("cannot write the usage");
    std::fprintf(stderr, "%s: %s: %s\n", program_name.c_str(), what,
                 errno != 0 ? std::strerror(errno) : _("write error"));
    return 1;
}

}  // namespace orn
