// The HTML view's context menu in Russian: the items the engine leaves in
// English take the program's words, in their place and state; the others
// keep the engine's. CTest runs it under LC_ALL=ru_RU.UTF-8.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "page/menu_language.h"

namespace orn::test {
namespace {

struct ItemSeen {
    WebKitContextMenuAction action;
    std::string label;
    bool enabled;
};

std::string label_of(WebKitContextMenuItem* item) {
    // The engine's API shows an item's label through its GtkAction only.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GtkAction* action = webkit_context_menu_item_get_action(item);
    const char* label = action ? gtk_action_get_label(action) : nullptr;
    G_GNUC_END_IGNORE_DEPRECATIONS
    return label ? label : "";
}

std::vector<ItemSeen> items_of(WebKitContextMenu* menu) {
    std::vector<ItemSeen> seen;
    for (guint i = 0; i < webkit_context_menu_get_n_items(menu); ++i) {
        WebKitContextMenuItem* item = webkit_context_menu_get_item_at_position(menu, i);
        if (webkit_context_menu_item_is_separator(item)) {
            seen.push_back({WEBKIT_CONTEXT_MENU_ACTION_NO_ACTION, "-", false});
            continue;
        }
        GAction* action = webkit_context_menu_item_get_gaction(item);
        seen.push_back({webkit_context_menu_item_get_stock_action(item), label_of(item),
                        action && g_action_get_enabled(action)});
    }
    return seen;
}

WebKitContextMenuItem* disabled(WebKitContextMenuItem* item) {
    g_simple_action_set_enabled(G_SIMPLE_ACTION(webkit_context_menu_item_get_gaction(item)), FALSE);
    return item;
}

// The menu the engine offers on a page: back and forward (nowhere to go),
// stop, a separator, reload with its own Russian label.
WebKitContextMenu* page_menu() {
    WebKitContextMenu* menu = webkit_context_menu_new();
    webkit_context_menu_append(menu, disabled(webkit_context_menu_item_new_from_stock_action(
                                         WEBKIT_CONTEXT_MENU_ACTION_GO_BACK)));
    webkit_context_menu_append(menu, disabled(webkit_context_menu_item_new_from_stock_action(
                                         WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD)));
    webkit_context_menu_append(
        menu, webkit_context_menu_item_new_from_stock_action(WEBKIT_CONTEXT_MENU_ACTION_STOP));
    webkit_context_menu_append(menu, webkit_context_menu_item_new_separator());
    webkit_context_menu_append(menu, webkit_context_menu_item_new_from_stock_action_with_label(
                                         WEBKIT_CONTEXT_MENU_ACTION_RELOAD, "_Обновить"));
    return menu;
}

class MenuLanguage : public testing::Test {
  protected:
    void SetUp() override {
        if (std::string(std::setlocale(LC_MESSAGES, nullptr)).rfind("ru_RU", 0) != 0)
            GTEST_SKIP()
                << "ru_RU.UTF-8 is not available (tests/language/ensure_russian_locale.sh)";
    }
};

TEST_F(MenuLanguage, ItemsLeftInEnglishTakeTheProgramsWordsInPlace) {
    WebKitContextMenu* menu = page_menu();
    page::translate_menu_gaps(menu);
    std::vector<ItemSeen> items = items_of(menu);
    g_object_unref(menu);

    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].action, WEBKIT_CONTEXT_MENU_ACTION_GO_BACK);
    EXPECT_EQ(items[0].label, "На_зад");
    EXPECT_FALSE(items[0].enabled) << "nowhere to go back to, yet it can be chosen";
    EXPECT_EQ(items[1].action, WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD);
    EXPECT_EQ(items[1].label, "_Вперёд");
    EXPECT_FALSE(items[1].enabled);
    EXPECT_EQ(items[2].action, WEBKIT_CONTEXT_MENU_ACTION_STOP);
    EXPECT_EQ(items[2].label, "_Остановить");
    EXPECT_TRUE(items[2].enabled);
    EXPECT_EQ(items[3].label, "-");
    EXPECT_EQ(items[4].action, WEBKIT_CONTEXT_MENU_ACTION_RELOAD);
    EXPECT_EQ(items[4].label, "_Обновить");  // the engine's own, untouched
}

TEST_F(MenuLanguage, EditingItemsAreTranslated) {
    WebKitContextMenu* menu = webkit_context_menu_new();
    for (WebKitContextMenuAction action :
         {WEBKIT_CONTEXT_MENU_ACTION_CUT, WEBKIT_CONTEXT_MENU_ACTION_COPY,
          WEBKIT_CONTEXT_MENU_ACTION_PASTE, WEBKIT_CONTEXT_MENU_ACTION_DELETE,
          WEBKIT_CONTEXT_MENU_ACTION_SELECT_ALL})
        webkit_context_menu_append(menu, webkit_context_menu_item_new_from_stock_action(action));
    page::translate_menu_gaps(menu);
    std::vector<ItemSeen> items = items_of(menu);
    g_object_unref(menu);
    std::vector<std::string> labels;
    labels.reserve(items.size());
    for (const ItemSeen& item : items) labels.push_back(item.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"_Вырезать", "_Копировать", "Вст_авить", "_Удалить",
                                                "Выделить _всё"}));
}

TEST_F(MenuLanguage, EnglishMenuIsLeftAsTheEngineMadeIt) {
    std::string old = std::setlocale(LC_MESSAGES, nullptr);
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    WebKitContextMenu* menu = page_menu();
    // Held, so that a replacement cannot come to the same address.
    auto* back =
        WEBKIT_CONTEXT_MENU_ITEM(g_object_ref(webkit_context_menu_get_item_at_position(menu, 0)));
    page::translate_menu_gaps(menu);
    WebKitContextMenuItem* still = webkit_context_menu_get_item_at_position(menu, 0);
    std::string label = label_of(still);
    bool kept = still == back;
    g_object_unref(back);
    g_object_unref(menu);
    std::setlocale(LC_MESSAGES, old.c_str());
    EXPECT_TRUE(kept) << "an item was replaced under an English locale";
    EXPECT_EQ(label, "_Back");
}

}  // namespace
}  // namespace orn::test
