#include "wine-setup/stubs.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace orn::wine_setup {

namespace {

// Single-quoted for the shell: any byte but the quote stands for itself.
std::string shell_quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

// A name as a comment can hold it: control characters (a line break) as "?".
std::string comment_safe(const std::string& text) {
    std::string safe = text;
    for (char& c : safe)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return safe;
}

[[noreturn]] void fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Execute permission wherever there is read permission: Wine runs a Unix
// program in place of a .exe only when it may be executed.
mode_t executable(mode_t mode) {
    return mode | ((mode & 0444) >> 2);
}

// The stub written beside its place under a temporary name; returns that path.
std::string write_temporary_stub(const ViewerPlace& place, const std::string& text, mode_t mode,
                                 const std::string& owner_of) {
    std::string path = place.folder + "/." + place.program_name + ".ornlux-XXXXXX";
    int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) fail("cannot write in " + place.folder);
    auto give_up = [&](const std::string& what) {
        int saved = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = saved;
        fail(what);
    };
    std::size_t written = 0;
    while (written < text.size()) {
        ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) give_up("cannot write " + path);
        written += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, mode) != 0) give_up("cannot set the mode of " + path);
    // Run as root on a user's prefix, the stub still belongs to the user.
    struct stat owner;
    if (::geteuid() == 0 && ::lstat(owner_of.c_str(), &owner) == 0 &&
        ::fchown(fd, owner.st_uid, owner.st_gid) != 0)
        give_up("cannot set the owner of " + path);
    if (::fsync(fd) != 0) give_up("cannot write " + path);
    if (::close(fd) != 0) {
        ::unlink(path.c_str());
        fail("cannot write " + path);
    }
    return path;
}

// Renames without replacing what is at to.
bool rename_no_replace(const std::string& from, const std::string& to) {
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

void keep_and_stub(const ViewerPlace& place, const std::string& stub) {
    std::string temporary =
        write_temporary_stub(place, stub, executable(place.program_mode), place.program_path());
    if (!rename_no_replace(place.program_path(), place.kept_path())) {
        int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        fail("cannot rename " + place.program_path() + " to " + place.kept_name());
    }
    if (!rename_no_replace(temporary, place.program_path())) {
        int saved = errno;
        ::unlink(temporary.c_str());
        ::rename(place.kept_path().c_str(), place.program_path().c_str());
        errno = saved;
        fail("cannot put the stub at " + place.program_path());
    }
}

void put_stub(const ViewerPlace& place, const std::string& stub, mode_t mode, bool replace) {
    std::string owner_of = replace ? place.program_path() : place.kept_path();
    std::string temporary = write_temporary_stub(place, stub, mode, owner_of);
    bool renamed = replace ? ::rename(temporary.c_str(), place.program_path().c_str()) == 0
                           : rename_no_replace(temporary, place.program_path());
    if (!renamed) {
        int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        fail("cannot put the stub at " + place.program_path());
    }
}

}  // namespace

std::string stub_text(const std::string& native_path, const std::string& wine_prefix,
                      const std::string& kept_name) {
    std::string kept = comment_safe(kept_name);
    return std::string(kStubStart) +
           " It runs the native viewer\n"
           "# in place of the textbook's Windows program, which is kept beside it\n"
           "# as " +
           kept +
           " (\"ornlux-wine-setup --undo\" puts that back).\n"
           "# The viewer runs in the prefix Wine runs in, else in the one set up;\n"
           "# its standard output is not the caller's, so that a caller reading\n"
           "# that output to its end does not wait for the viewer to close.\n"
           "WINEPREFIX=${WINEPREFIX:-" +
           shell_quoted(wine_prefix) +
           "}\n"
           "export WINEPREFIX\n"
           "exec " +
           shell_quoted(native_path) + " \"$@\" </dev/null >/dev/null\n";
}

Step plan_step(const ViewerPlace& place, bool undo, const std::string& wanted_stub) {
    switch (place.program) {
        case FileKind::other:
            return Step::not_windows_program;
        case FileKind::windows_program:
            if (place.kept) return Step::both_there;
            return undo ? Step::nothing_to_undo : Step::keep_and_stub;
        case FileKind::stub:
            if (undo) return place.kept ? Step::restore_program : Step::kept_missing;
            return place.stub_text == wanted_stub ? Step::nothing_set_up : Step::update_stub;
        case FileKind::missing:
            break;
    }
    // Only the kept program is there.
    return undo ? Step::restore_program : Step::put_stub_back;
}

bool changes_files(Step step) {
    return step == Step::keep_and_stub || step == Step::put_stub_back ||
           step == Step::update_stub || step == Step::restore_program;
}

bool is_refusal(Step step) {
    return step == Step::both_there || step == Step::kept_missing;
}

void carry_out(const ViewerPlace& place, Step step, const std::string& wanted_stub) {
    switch (step) {
        case Step::keep_and_stub:
            keep_and_stub(place, wanted_stub);
            break;
        case Step::put_stub_back:
            put_stub(place, wanted_stub, executable(place.kept_mode), false);
            break;
        case Step::update_stub:
            put_stub(place, wanted_stub, place.program_mode, true);
            break;
        case Step::restore_program:
            // The kept file itself goes back: the same bytes, mode and times.
            if (::rename(place.kept_path().c_str(), place.program_path().c_str()) != 0)
                fail("cannot rename " + place.kept_path() + " to " + place.program_name);
            break;
        default:
            break;
    }
}

}  // namespace orn::wine_setup
