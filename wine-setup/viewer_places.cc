#include "wine-setup/viewer_places.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include <algorithm>
#include <filesystem>
#include <map>
#include <tuple>

namespace fs = std::filesystem;

namespace orn::wine_setup {

namespace {

std::string ascii_lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// The first bytes of a regular file, at most limit of them; nothing when it
// cannot be read.
bool read_start(const std::string& path, std::size_t limit, std::string* bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bytes->assign(limit, '\0');
    std::size_t got = 0;
    while (got < limit) {
        ssize_t n = ::read(fd, bytes->data() + got, limit - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes->resize(got);
    return true;
}

// The viewer a file name stands for, and whether it is the kept copy.
const ViewerProgram* viewer_named(std::string_view name, bool* kept) {
    std::string lower = ascii_lower(name);
    std::string suffix(kKeptSuffix);
    *kept = lower.size() > suffix.size() && lower.ends_with(suffix);
    if (*kept) lower.resize(lower.size() - suffix.size());
    for (const ViewerProgram& viewer : kViewerPrograms)
        if (lower == viewer.windows_name) return &viewer;
    return nullptr;
}

bool is_system_folder(const fs::path& drive, const fs::path& path) {
    return path.parent_path() == drive && ascii_lower(path.filename().string()) == kSystemFolder;
}

}  // namespace

bool ViewerPlace::belongs_to_textbook() const {
    return program == FileKind::windows_program || program == FileKind::stub || kept;
}

FileKind classify(const std::string& path, mode_t* mode, std::string* stub_text) {
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0) return FileKind::missing;
    if (!S_ISREG(status.st_mode)) return FileKind::other;
    if (mode) *mode = status.st_mode & 07777;
    std::string start;
    if (!read_start(path, kMaxStubSize + 1, &start)) return FileKind::other;
    if (start.starts_with(kWindowsExecutableMagic)) return FileKind::windows_program;
    if (start.starts_with(kStubStart) && start.size() <= kMaxStubSize) {
        if (stub_text) *stub_text = start;
        return FileKind::stub;
    }
    return FileKind::other;
}

std::vector<ViewerPlace> find_viewer_places(const std::string& drive_c) {
    // Keyed by folder and program name, so that a program and its kept copy
    // make one place.
    std::map<std::pair<std::string, std::string>, ViewerPlace> places;
    fs::path drive(drive_c);
    std::error_code error;
    fs::recursive_directory_iterator walk(drive, fs::directory_options::skip_permission_denied,
                                          error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        const fs::directory_entry& entry = *walk;
        std::error_code type_error;
        // A link is never followed: a linked folder is not entered, and a
        // linked file is reported (as no Windows program) but left alone.
        if (!entry.is_symlink(type_error) && entry.is_directory(type_error)) {
            if (is_system_folder(drive, entry.path())) walk.disable_recursion_pending();
            continue;
        }
        bool kept = false;
        std::string name = entry.path().filename().string();
        const ViewerProgram* viewer = viewer_named(name, &kept);
        if (!viewer) continue;
        std::string program_name = kept ? name.substr(0, name.size() - kKeptSuffix.size()) : name;
        std::string folder = entry.path().parent_path().string();
        ViewerPlace& place = places[{folder, program_name}];
        place.viewer = viewer;
        place.folder = folder;
        place.relative_folder = entry.path().parent_path().lexically_relative(drive).string();
        if (place.relative_folder == ".") place.relative_folder.clear();
        place.program_name = program_name;
    }
    std::vector<ViewerPlace> found;
    for (auto& [key, place] : places) {
        place.program = classify(place.program_path(), &place.program_mode, &place.stub_text);
        struct stat kept;
        place.kept = ::lstat(place.kept_path().c_str(), &kept) == 0 && S_ISREG(kept.st_mode);
        if (place.kept) place.kept_mode = kept.st_mode & 07777;
        found.push_back(std::move(place));
    }
    return found;
}

}  // namespace orn::wine_setup
