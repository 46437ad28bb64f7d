#include "runtime/translation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace orn {

namespace {

// The folder the running program's file is in, with a trailing slash.
std::string program_folder() {
    std::vector<char> path(4096);
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return {};
    std::string file(path.data(), static_cast<std::size_t>(length));
    return file.substr(0, file.rfind('/') + 1);
}

bool is_folder(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

std::string catalogue_folder() {
    std::string folder = program_folder();
    if (!folder.empty()) {
        folder += ORN_LOCALE_DIR_FROM_PROGRAM;
        if (is_folder(folder)) return folder;
    }
    return ORN_INSTALLED_LOCALE_DIR;
}

void use_users_language(const std::string& catalogue_folder) {
    // Not LC_ALL: LC_NUMERIC stays "C", so that no number the programs write
    // into a message, or that a library parses, depends on the user's locale.
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    bindtextdomain(ORN_TEXT_DOMAIN, catalogue_folder.c_str());
    // GTK takes UTF-8 only, and the messages on standard error are UTF-8
    // like the paths in them.
    bind_textdomain_codeset(ORN_TEXT_DOMAIN, "UTF-8");
}

void use_users_language() {
    use_users_language(catalogue_folder());
}

std::string format_text(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.pop_back();
    }
    va_end(again);
    return text;
}

}  // namespace orn
