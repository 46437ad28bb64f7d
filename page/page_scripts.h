// What the program adds to every page it shows: background sound as pages
// of the Windows era had it (<bgsound>, audio in <embed>, <audio autoplay>),
// played from this process as the click sound is, since the engine's media
// player cannot read the book's scheme; and window.close() closing the
// program whatever the page's history.
#pragma once

#include <webkit2/webkit2.h>

namespace orn::page {

// A content manager with the scripts and their message handlers; the view
// closed by a page is the one given to on_close.
WebKitUserContentManager* make_page_scripts();

// Connects the handlers to the view the manager serves.
void connect_page_scripts(WebKitUserContentManager* manager, WebKitWebView* view);

}  // namespace orn::page
