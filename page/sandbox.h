// The web process in WebKit's bubblewrap sandbox. Where the system cannot
// start one (a container without user namespaces, no bubblewrap), the page
// is shown without it and standard error says so in one line.
#pragma once

#include <webkit2/webkit2.h>

namespace orn::page {

void enable_sandbox(WebKitWebContext* context);

}  // namespace orn::page
