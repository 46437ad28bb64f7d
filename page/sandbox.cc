#include "page/sandbox.h"

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "page/messages.h"

namespace orn::page {

namespace {

// Where the engine runs bubblewrap from.
constexpr char kBubblewrap[] = "/usr/bin/bwrap";

// Whether this process may make the namespaces bubblewrap puts the web
// process in: a child tries, and ends at once. Empty when it can, else
// why not. (Running bubblewrap itself to find out would cost 80-170 ms.)
std::string why_no_sandbox() {
    if (::access(kBubblewrap, X_OK) != 0) return std::string(kBubblewrap) + " is missing";
    pid_t child = ::fork();
    if (child == 0) ::_exit(::unshare(CLONE_NEWUSER | CLONE_NEWPID) == 0 ? 0 : errno);
    if (child < 0) return std::strerror(errno);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : EPERM;
    return std::string("namespaces: ") + std::strerror(code);
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
