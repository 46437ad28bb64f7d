#include "page/sandbox.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "page/messages.h"

namespace orn::page {

namespace {

// Where the engine runs bubblewrap from, and util-linux's tool that makes
// namespaces.
constexpr char kBubblewrap[] = "/usr/bin/bwrap";
constexpr char kUnshare[] = "/usr/bin/unshare";

std::string read_to_end(int fd) {
    std::string text;
    char chunk[512];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return text;
        text.append(chunk, static_cast<std::size_t>(got));
    }
}

// What a tool said last on standard error: "unshare: unshare failed:
// Operation not permitted" gives "Operation not permitted".
std::string last_words(std::string said) {
    while (!said.empty() && std::isspace(static_cast<unsigned char>(said.back()))) said.pop_back();
    std::size_t colon = said.rfind(": ");
    return colon == std::string::npos ? said : said.substr(colon + 2);
}

// Whether this process may make the namespaces bubblewrap puts the web
// process in: unshare tries, and ends at once. It is spawned without a copy
// of this process, which a fork would make of the engine's page tables
// (about 10 ms). Empty when it can, else why not. (Running bubblewrap itself
// to find out would cost 80-170 ms.)
std::string why_no_sandbox() {
    if (::access(kBubblewrap, X_OK) != 0) return std::string(kBubblewrap) + " is missing";
    int said[2];
    if (::pipe2(said, O_CLOEXEC) != 0) return std::strerror(errno);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, said[1], STDERR_FILENO);
    const char* argv[] = {"unshare", "--user", "--pid", "/bin/true", nullptr};
    pid_t child = -1;
    int failed =
        ::posix_spawn(&child, kUnshare, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(said[1]);
    std::string words = read_to_end(said[0]);  // to its end: unshare never waits on a full pipe
    ::close(said[0]);
    if (failed != 0) return std::string(kUnshare) + ": " + std::strerror(failed);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
    std::string why = last_words(words);
    return "namespaces: " + (why.empty() ? std::string(kUnshare) + " failed" : why);
}

}  // namespace

void enable_sandbox(WebKitWebContext* context) {
    std::string reason = why_no_sandbox();
    if (reason.empty()) {
        webkit_web_context_set_sandbox_enabled(context, TRUE);
        return;
    }
    // One line, as the program's other messages: "ornpage: ...".
    std::string line = "ornpage: " + format_text(_(messages::kNoSandbox), reason.c_str());
    std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace orn::page
