// The keys a browser control answers, for keys the page itself leaves
// alone: Backspace and Alt+Left back, Alt+Right forward, F5 and Ctrl+R
// reload, Ctrl+F a find bar (Enter and F3 the next match, Escape closes
// it), Ctrl+P print, Ctrl+plus, Ctrl+minus, Ctrl+0 and Ctrl+wheel zoom.
#pragma once

#include <webkit2/webkit2.h>

namespace orn::page {

// Wraps the view with its find bar: returns the widget to place in the
// window in the view's stead. The bar lives as long as that widget.
GtkWidget* add_browser_keys(WebKitWebView* view);

}  // namespace orn::page
