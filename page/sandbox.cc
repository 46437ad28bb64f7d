#include "page/sandbox.h"

#include <cstdio>
#include <string>

#include "page/messages.h"

namespace orn::page {

namespace {

// Where the engine runs bubblewrap from.
constexpr char kBubblewrap[] = "/usr/bin/bwrap";

// Starts bubblewrap with the namespaces the engine asks of it and runs
// nothing in them; empty when that works, else why not.
std::string why_no_sandbox() {
    const char* argv[] = {kBubblewrap,
                          "--die-with-parent",
                          "--unshare-pid",
                          "--unshare-uts",
                          "--unshare-net",
                          "--unshare-ipc",
                          "--ro-bind",
                          "/",
                          "/",
                          "--proc",
                          "/proc",
                          "--dev",
                          "/dev",
                          "true",
                          nullptr};
    gchar* errors = nullptr;
    gint status = 0;
    GError* error = nullptr;
    bool ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_STDOUT_TO_DEV_NULL,
                            nullptr, nullptr, nullptr, &errors, &status, &error);
    std::string reason;
    if (!ran) {
        reason = error->message;
        g_error_free(error);
    } else if (!g_spawn_check_wait_status(status, nullptr)) {
        reason = errors && *errors ? g_strstrip(errors) : "bubblewrap failed";
        for (char& c : reason)
            if (c == '\n') c = ' ';
    }
    g_free(errors);
    return reason;
}

}  // namespace

void enable_sandbox(WebKitWebContext* context) {
    std::string reason = why_no_sandbox();
    if (reason.empty()) {
        webkit_web_context_set_sandbox_enabled(context, TRUE);
        return;
    }
    std::fprintf(stderr, messages::kNoSandbox, reason.c_str());
    std::fputc('\n', stderr);
}

}  // namespace orn::page
