#include "page/book_files.h"

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "content/location.h"
#include "runtime/errors.h"
#include "runtime/hostpath.h"

namespace orn::page {

namespace {

// Extensions Windows runs rather than opens.
constexpr std::array<std::string_view, 16> kProgramExtensions = {
    "exe", "com", "bat", "cmd", "msi", "lnk", "vbs", "vbe",
    "js",  "jse", "wsf", "wsh", "scr", "pif", "sh",  "hta"};

std::string real_path(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    std::string result = real ? real : "";
    std::free(real);
    return result;
}

std::string lower_extension(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

BookFiles::BookFiles(const std::vector<Text>& roots) {
    HostEnvironment env = HostEnvironment::from_process();
    for (const Text& root : roots) {
        ResolvedPath resolved = resolve_host_path(root.empty() ? Text(u"\\") : root, env);
        if (resolved.lookup != HostLookup::Found) continue;
        std::string real = real_path(resolved.host_path);
        struct stat status;
        if (real.empty() || ::stat(real.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            continue;
        if (real.back() != '/') real += '/';
        roots_.push_back(real);
    }
}

BookFiles BookFiles::from_configuration() {
    try {
        return BookFiles(read_all_content_roots());
    } catch (const RuntimeError&) {
        return BookFiles({});
    }
}

ServedFile BookFiles::find(const Text& windows_path) const {
    ResolvedPath resolved = resolve_host_path(windows_path, HostEnvironment::from_process());
    if (resolved.lookup != HostLookup::Found) return {Served::Missing, resolved.host_path};
    std::string real = real_path(resolved.host_path);
    bool inside = std::any_of(roots_.begin(), roots_.end(), [&](const std::string& root) {
        return real.compare(0, root.size(), root) == 0;
    });
    struct stat status;
    if (!inside || ::stat(real.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return {Served::Refused, real};
    return {Served::File, real};
}

bool is_program(const std::string& host_path) {
    std::string extension = lower_extension(host_path);
    if (std::find(kProgramExtensions.begin(), kProgramExtensions.end(), extension) !=
        kProgramExtensions.end())
        return true;
    if (::access(host_path.c_str(), X_OK) != 0) return false;
    // Copied from a CD, every file may carry the executable bit: only a
    // program's content counts then.
    guchar head[256];
    gsize size = 0;
    if (std::FILE* file = std::fopen(host_path.c_str(), "rb")) {
        size = std::fread(head, 1, sizeof head, file);
        std::fclose(file);
    }
    gchar* type = g_content_type_guess(host_path.c_str(), head, size, nullptr);
    bool program = g_content_type_can_be_executable(type);
    g_free(type);
    return program;
}

}  // namespace orn::page
