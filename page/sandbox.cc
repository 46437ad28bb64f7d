#include "page/sandbox.h"

#include <glib.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "page/messages.h"

namespace orn::page {

namespace {

// Where the engine runs bubblewrap from, and util-linux's tool that makes
// namespaces.
constexpr char kBubblewrap[] = "/usr/bin/bwrap";
constexpr char kUnshare[] = "/usr/bin/unshare";

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
    const char* argv[] = {kUnshare, "--user", "--pid", "/bin/true", nullptr};
    // With the descriptors left open GLib spawns through posix_spawn.
    auto flags =
        static_cast<GSpawnFlags>(G_SPAWN_LEAVE_DESCRIPTORS_OPEN | G_SPAWN_STDOUT_TO_DEV_NULL);
    gchar* said = nullptr;
    gint status = 0;
    GError* error = nullptr;
    if (!g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, flags, nullptr, nullptr, nullptr,
                      &said, &status, &error)) {
        std::string why = error->message;
        g_error_free(error);
        return why;
    }
    bool made = g_spawn_check_wait_status(status, nullptr);
    std::string why = last_words(said ? said : "");
    g_free(said);
    if (made) return {};
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
