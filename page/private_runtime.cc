#include "page/private_runtime.h"

#include <fcntl.h>
#include <ftw.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace orn::page {

namespace {

bool is_folder(const char* path) {
    struct stat status;
    return path && *path && ::stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
    ::remove(path);
    return 0;
}

// A process of its own, out of the program's process group, waits for the
// program to end (the pipe's other end closes with it) and removes the
// folder. Nothing the program does, nor a kill, can skip that.
void remove_when_program_ends(const char* folder) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ends[1]);
        ::setsid();
        char byte;
        for (;;) {
            ssize_t got = ::read(ends[0], &byte, 1);
            if (got > 0 || (got < 0 && errno == EINTR)) continue;
            break;
        }
        ::nftw(folder, remove_entry, 16, FTW_DEPTH | FTW_PHYS);
        ::_exit(0);
    }
    ::close(ends[0]);  // the write end stays open until the program ends
    if (pid < 0) ::close(ends[1]);
}

}  // namespace

void use_private_runtime_folder() {
    if (is_folder(std::getenv("XDG_RUNTIME_DIR"))) return;
    gchar* folder = g_dir_make_tmp("ornpage-XXXXXX", nullptr);  // mode 0700
    if (!folder) return;
    remove_when_program_ends(folder);
    g_setenv("XDG_RUNTIME_DIR", folder, TRUE);
    g_free(folder);
}

}  // namespace orn::page
