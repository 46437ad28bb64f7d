// What the HTML view may do beyond showing the textbook's pages: links and
// new windows stay in the one view; addresses it does not serve (web sites,
// mail) and the book's documents it cannot show (.doc, .zip) go to the
// desktop's default application; programs are never started; nothing is
// downloaded or saved; window.close() closes the program.
#pragma once

#include <webkit2/webkit2.h>

namespace orn::page {

// Cancels every download before it reaches the disk.
void refuse_downloads(WebKitWebContext* context);

// Connects the view's navigation, new-window, close and context-menu
// handling.
void apply_view_policy(WebKitWebView* view);

// Takes out of a context menu every item that saves, downloads, opens a
// window or inspects; separators left with nothing to separate go too.
void keep_safe_menu_items(WebKitContextMenu* menu);

}  // namespace orn::page
