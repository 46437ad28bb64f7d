// The page's alert, confirm and prompt boxes as GTK dialogs over the
// program's window, with GTK's buttons in the user's language. The engine's
// own boxes, drawn inside the view, label their buttons and their title in
// English whatever the locale.
#pragma once

#include <webkit2/webkit2.h>

namespace orn::page {

// Shows every script dialog of view this way. A dialog does not block: the
// page waits for its answer while the program goes on.
void show_script_dialogs(WebKitWebView* view);

}  // namespace orn::page
