#include "page/menu_language.h"

#include <array>
#include <cstring>

#include "runtime/translation.h"

namespace orn::page {

namespace {

struct MenuWords {
    WebKitContextMenuAction action;
    const char* label;  // as the engine writes it in English
};

constexpr std::array<MenuWords, 8> kMenuWords = {{
    {WEBKIT_CONTEXT_MENU_ACTION_GO_BACK, N_("_Back")},
    {WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD, N_("_Forward")},
    {WEBKIT_CONTEXT_MENU_ACTION_STOP, N_("_Stop")},
    {WEBKIT_CONTEXT_MENU_ACTION_COPY, N_("_Copy")},
    {WEBKIT_CONTEXT_MENU_ACTION_CUT, N_("Cu_t")},
    {WEBKIT_CONTEXT_MENU_ACTION_PASTE, N_("_Paste")},
    {WEBKIT_CONTEXT_MENU_ACTION_DELETE, N_("_Delete")},
    {WEBKIT_CONTEXT_MENU_ACTION_SELECT_ALL, N_("Select _All")},
}};

// The program's translation of the item's words, or nullptr when it has none.
const char* translated_label(WebKitContextMenuAction action) {
    for (const MenuWords& words : kMenuWords) {
        if (words.action != action) continue;
        const char* translated = translate(words.label);
        return std::strcmp(translated, words.label) != 0 ? translated : nullptr;
    }
    return nullptr;
}

bool can_be_chosen(WebKitContextMenuItem* item) {
    GAction* action = webkit_context_menu_item_get_gaction(item);
    return !action || g_action_get_enabled(action);
}

void set_can_be_chosen(WebKitContextMenuItem* item, bool enabled) {
    GAction* action = webkit_context_menu_item_get_gaction(item);
    if (G_IS_SIMPLE_ACTION(action)) g_simple_action_set_enabled(G_SIMPLE_ACTION(action), enabled);
}

gboolean on_context_menu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent*, WebKitHitTestResult*,
                         gpointer) {
    translate_menu_gaps(menu);
    return FALSE;  // the menu shows
}

}  // namespace

void translate_menu_gaps(WebKitContextMenu* menu) {
    guint count = webkit_context_menu_get_n_items(menu);
    for (guint position = 0; position < count; ++position) {
        WebKitContextMenuItem* item = webkit_context_menu_get_item_at_position(menu, position);
        if (webkit_context_menu_item_is_separator(item)) continue;
        WebKitContextMenuAction action = webkit_context_menu_item_get_stock_action(item);
        const char* label = translated_label(action);
        if (!label) continue;
        bool enabled = can_be_chosen(item);
        // An item's label cannot be changed: it is replaced by one for the
        // same action, in the same place.
        WebKitContextMenuItem* relabelled =
            webkit_context_menu_item_new_from_stock_action_with_label(action, label);
        set_can_be_chosen(relabelled, enabled);
        webkit_context_menu_remove(menu, item);
        webkit_context_menu_insert(menu, relabelled, static_cast<gint>(position));
    }
}

void translate_context_menus(WebKitWebView* view) {
    g_signal_connect(view, "context-menu", G_CALLBACK(on_context_menu), nullptr);
}

}  // namespace orn::page
