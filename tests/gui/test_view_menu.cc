// The page view's context menu: what saves, downloads, opens windows or
// inspects goes; moving through pages and copying stay.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "page/view_policy.h"

namespace orn::page {
namespace {

class ViewMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
    }
};

std::vector<WebKitContextMenuAction> actions_of(WebKitContextMenu* menu) {
    std::vector<WebKitContextMenuAction> actions;
    for (guint i = 0; i < webkit_context_menu_get_n_items(menu); ++i) {
        WebKitContextMenuItem* item = webkit_context_menu_get_item_at_position(menu, i);
        actions.push_back(webkit_context_menu_item_is_separator(item)
                              ? WEBKIT_CONTEXT_MENU_ACTION_NO_ACTION
                              : webkit_context_menu_item_get_stock_action(item));
    }
    return actions;
}

WebKitContextMenu* menu_of(const std::vector<WebKitContextMenuAction>& actions) {
    WebKitContextMenu* menu = webkit_context_menu_new();
    for (WebKitContextMenuAction action : actions)
        webkit_context_menu_append(menu,
                                   action == WEBKIT_CONTEXT_MENU_ACTION_NO_ACTION
                                       ? webkit_context_menu_item_new_separator()
                                       : webkit_context_menu_item_new_from_stock_action(action));
    return menu;
}

constexpr WebKitContextMenuAction kSeparator = WEBKIT_CONTEXT_MENU_ACTION_NO_ACTION;

TEST_F(ViewMenu, OnlyMovingReloadingAndCopyingStay) {
    // A link on a picture: what the engine offers there, and more.
    WebKitContextMenu* menu = menu_of({
        WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK,
        WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK_IN_NEW_WINDOW,
        WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_LINK_TO_DISK,
        WEBKIT_CONTEXT_MENU_ACTION_COPY_LINK_TO_CLIPBOARD,
        kSeparator,
        WEBKIT_CONTEXT_MENU_ACTION_OPEN_IMAGE_IN_NEW_WINDOW,
        WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_IMAGE_TO_DISK,
        WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_TO_CLIPBOARD,
        WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_URL_TO_CLIPBOARD,
        kSeparator,
        WEBKIT_CONTEXT_MENU_ACTION_OPEN_FRAME_IN_NEW_WINDOW,
        WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_AUDIO_TO_DISK,
        WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_VIDEO_TO_DISK,
        kSeparator,
        WEBKIT_CONTEXT_MENU_ACTION_GO_BACK,
        WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD,
        WEBKIT_CONTEXT_MENU_ACTION_STOP,
        WEBKIT_CONTEXT_MENU_ACTION_RELOAD,
        kSeparator,
        WEBKIT_CONTEXT_MENU_ACTION_COPY,
        kSeparator,
        WEBKIT_CONTEXT_MENU_ACTION_INSPECT_ELEMENT,
    });
    keep_safe_menu_items(menu);
    std::vector<WebKitContextMenuAction> expected = {
        WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK,
        WEBKIT_CONTEXT_MENU_ACTION_COPY_LINK_TO_CLIPBOARD,
        kSeparator,
        WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_TO_CLIPBOARD,
        kSeparator,
        WEBKIT_CONTEXT_MENU_ACTION_GO_BACK,
        WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD,
        WEBKIT_CONTEXT_MENU_ACTION_STOP,
        WEBKIT_CONTEXT_MENU_ACTION_RELOAD,
        kSeparator,
        WEBKIT_CONTEXT_MENU_ACTION_COPY,
    };
    EXPECT_EQ(actions_of(menu), expected);
    g_object_unref(menu);
}

TEST_F(ViewMenu, AMenuOfOnlyUnsafeItemsEndsEmpty) {
    WebKitContextMenu* menu = menu_of({kSeparator, WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_LINK_TO_DISK,
                                       kSeparator, WEBKIT_CONTEXT_MENU_ACTION_INSPECT_ELEMENT});
    keep_safe_menu_items(menu);
    EXPECT_EQ(webkit_context_menu_get_n_items(menu), 0u);
    g_object_unref(menu);
}

}  // namespace
}  // namespace orn::page
