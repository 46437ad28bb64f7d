// The HTML view on WebKitGTK: an ephemeral web context (nothing written to
// disk), the page loaded in the background, the view hidden and shown again
// without reloading.
#pragma once

#include "gtk/gtk_backend.h"

namespace orn::page {

// For GtkBackend::set_browser_factory.
std::unique_ptr<BrowserPeer> make_webkit_browser(GtkLayout* layout, ControlEvents& events);

}  // namespace orn::page
