// The HTML view's context menu in the user's language. The engine
// translates its menu from its own catalogue, which lacks the words of a few
// items in some languages (Russian: moving back and forward, stopping, the
// editing commands). Those items take their words from the program's
// catalogue; every other item keeps the engine's.
#pragma once

#include <webkit2/webkit2.h>

namespace orn::page {

// Gives the items of menu that the engine left in English the program's
// translation, keeping their place and whether they can be chosen.
void translate_menu_gaps(WebKitContextMenu* menu);

// Does so for every context menu of view.
void translate_context_menus(WebKitWebView* view);

}  // namespace orn::page
