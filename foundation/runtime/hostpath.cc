#include "runtime/hostpath.h"

#include <dirent.h>
#include <glib.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "runtime/translation.h"

namespace orn {

namespace {

// A Windows path taken apart: the host folder the walk starts from ("" for
// the working directory) and the components below it. On a drive, the
// first component is the drive's entry in dosdevices ("c:").
struct PathParts {
    std::string root;
    std::vector<std::string> components;
    bool on_drive = false;
};

std::vector<std::string> split_components(std::string_view path) {
    std::vector<std::string> components;
    std::size_t pos = 0;
    while (pos < path.size()) {
        std::size_t end = std::min(path.find_first_of("\\/", pos), path.size());
        if (end > pos) components.emplace_back(path.substr(pos, end - pos));
        pos = end + 1;
    }
    return components;
}

bool is_ascii_letter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

std::string drives_folder(const HostEnvironment& env) {
    std::string prefix = env.wine_prefix;
    while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
    return prefix + "/dosdevices";
}

PathParts take_apart(const Text& windows_path, const HostEnvironment& env) {
    std::string utf8 = to_utf8(windows_path);
    PathParts parts;
    char drive = 0;
    if (windows_path.size() >= 2 && is_ascii_letter(windows_path[0]) && windows_path[1] == u':') {
        drive = static_cast<char>(windows_path[0] | 0x20);  // lower case
        utf8.erase(0, 2);  // "C:a" is taken as "C:\a": there is no current folder per drive
    } else if (!windows_path.empty() && windows_path[0] == u'\\') {
        drive = 'c';
    } else if (!windows_path.empty() && windows_path[0] == u'/') {
        parts.root.assign(1, '/');  // (assigning "/" trips a false GCC 12 -Wrestrict warning)
    }
    if (drive) {
        parts.root = drives_folder(env);
        parts.components.push_back(std::string(1, drive) + ":");
        parts.on_drive = true;
    }
    for (std::string& component : split_components(utf8))
        parts.components.push_back(std::move(component));
    return parts;
}

std::string join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string join_all(std::string folder, const std::vector<std::string>& names, std::size_t from) {
    for (std::size_t i = from; i < names.size(); ++i) folder = join(folder, names[i]);
    return folder;
}

enum class Want { Anything, Directory };

bool is_there(const std::string& path, Want want) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return false;
    return want == Want::Anything || S_ISDIR(status.st_mode);
}

// Case-folded form for comparing names; a name that is not UTF-8 is compared
// as it is (it can then only equal itself).
std::string fold_case(const std::string& name) {
    if (!g_utf8_validate(name.data(), static_cast<gssize>(name.size()), nullptr)) return name;
    gchar* folded = g_utf8_casefold(name.data(), static_cast<gssize>(name.size()));
    std::string result(folded);
    g_free(folded);
    return result;
}

std::vector<std::string> folder_entries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
    ::closedir(dir);
    std::sort(names.begin(), names.end());  // a stable choice among several matches
    return names;
}

// The entry of folder called name, as written or else without regard to case.
std::optional<std::string> find_entry(const std::string& folder, const std::string& name,
                                      Want want) {
    if (is_there(join(folder, name), want)) return name;
    std::string folded = fold_case(name);
    for (const std::string& entry : folder_entries(folder))
        if (fold_case(entry) == folded && is_there(join(folder, entry), want)) return entry;
    return std::nullopt;
}

// Windows ignores dots and spaces at the end of a file or folder name, so a
// name not found otherwise is looked for once more without them.
std::optional<std::string> find_windows_entry(const std::string& folder, const std::string& name,
                                              Want want) {
    if (name.find('\0') != std::string::npos) return std::nullopt;  // never a host name
    if (auto found = find_entry(folder, name, want)) return found;
    std::size_t kept = name.find_last_not_of(". ");
    if (kept == std::string::npos || kept + 1 == name.size()) return std::nullopt;
    return find_entry(folder, name.substr(0, kept + 1), want);
}

std::string home_folder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* user = ::getpwuid(::getuid())) return user->pw_dir;
    return "/";
}

}  // namespace

HostEnvironment HostEnvironment::from_process() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return {prefix};
    return {join(home_folder(), ".wine")};
}

std::string map_windows_path(const Text& windows_path, const HostEnvironment& env) {
    PathParts parts = take_apart(windows_path, env);
    return join_all(parts.root, parts.components, 0);
}

ResolvedPath resolve_host_path(const Text& windows_path, const HostEnvironment& env) {
    PathParts parts = take_apart(windows_path, env);
    if (parts.components.empty() && parts.root.empty()) return {"", HostLookup::FileMissing};
    std::string current = parts.root;
    for (std::size_t i = 0; i < parts.components.size(); ++i) {
        bool is_drive = parts.on_drive && i == 0;
        bool is_last = i + 1 == parts.components.size() && !is_drive;
        Want want = is_last ? Want::Anything : Want::Directory;
        std::optional<std::string> found = find_windows_entry(current, parts.components[i], want);
        if (!found) {
            HostLookup lookup = is_last ? HostLookup::FileMissing : HostLookup::PathMissing;
            return {join_all(current, parts.components, i), lookup};
        }
        current = join(current, *found);
    }
    return {current, HostLookup::Found};
}

std::string drive_folder(char drive_letter, const HostEnvironment& env) {
    Text drive{static_cast<char16_t>(drive_letter), u':', u'\\'};
    ResolvedPath found = resolve_host_path(drive, env);
    return found.lookup == HostLookup::Found ? found.host_path : std::string();
}

Text windows_path_on_drive(char drive_letter, std::string_view relative_host_path) {
    char upper = static_cast<char>(drive_letter & ~0x20);
    Text path{static_cast<char16_t>(upper), u':'};
    for (const std::string& component : split_components(relative_host_path))
        path += u'\\' + from_utf8(component);
    if (path.size() == 2) path += u'\\';
    return path;
}

std::string describe_path(const Text& windows_path, const std::string& host_path) {
    std::string shown = to_display_utf8(windows_path);
    std::string host = to_display_utf8(from_utf8(host_path));
    if (shown == host) return shown;
    return shown + " (" + format_text(_("looked for at %s"), host.c_str()) + ")";
}

}  // namespace orn

namespace orn {

namespace {
// "https:", "file:", ... but not a drive letter such as "C:".
bool has_url_scheme(const Text& location) {
    std::size_t colon = location.find(u':');
    if (colon == Text::npos || colon < 2) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        char16_t c = location[i];
        bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        bool allowed =
            letter || (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
        if (!allowed) return false;
    }
    return true;
}
}  // namespace

std::string location_uri(const Text& location) {
    if (has_url_scheme(location)) return to_utf8(location);
    std::string host = resolve_host_path(location, HostEnvironment::from_process()).host_path;
    gchar* absolute = g_canonicalize_filename(host.c_str(), nullptr);
    gchar* uri = g_filename_to_uri(absolute, nullptr, nullptr);
    std::string result = uri ? uri : "";
    g_free(uri);
    g_free(absolute);
    return result;
}

}  // namespace orn
