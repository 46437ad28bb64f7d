#include "page/view_policy.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "page/book_address.h"
#include "page/book_files.h"
#include "page/book_scheme.h"
#include "page/messages.h"

namespace orn::page {

namespace {

// Schemes the engine handles inside the page itself.
constexpr std::array<std::string_view, 4> kInPageSchemes = {"about", "data", "blob", "javascript"};

// Context-menu actions kept: moving through the pages and copying. Saving,
// downloading, opening new windows and the inspector go.
constexpr std::array<WebKitContextMenuAction, 14> kKeptMenuActions = {
    WEBKIT_CONTEXT_MENU_ACTION_GO_BACK,    WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD,
    WEBKIT_CONTEXT_MENU_ACTION_STOP,       WEBKIT_CONTEXT_MENU_ACTION_RELOAD,
    WEBKIT_CONTEXT_MENU_ACTION_COPY,       WEBKIT_CONTEXT_MENU_ACTION_COPY_LINK_TO_CLIPBOARD,
    WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK,  WEBKIT_CONTEXT_MENU_ACTION_CUT,
    WEBKIT_CONTEXT_MENU_ACTION_PASTE,      WEBKIT_CONTEXT_MENU_ACTION_DELETE,
    WEBKIT_CONTEXT_MENU_ACTION_SELECT_ALL, WEBKIT_CONTEXT_MENU_ACTION_INPUT_METHODS,
    WEBKIT_CONTEXT_MENU_ACTION_UNICODE,    WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_TO_CLIPBOARD,
};

GtkWindow* window_of(WebKitWebView* view) {
    GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view));
    return GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
}

void tell_user(WebKitWebView* view, const std::string& message) {
    GtkWidget* dialog = gtk_message_dialog_new(window_of(view), GTK_DIALOG_MODAL, GTK_MESSAGE_INFO,
                                               GTK_BUTTONS_OK, "%s", message.c_str());
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

// Hands an address to the desktop's default application for it.
void open_on_desktop(WebKitWebView* view, const std::string& uri) {
    GdkAppLaunchContext* context =
        gdk_display_get_app_launch_context(gtk_widget_get_display(GTK_WIDGET(view)));
    GError* error = nullptr;
    if (!g_app_info_launch_default_for_uri(uri.c_str(), G_APP_LAUNCH_CONTEXT(context), &error)) {
        gchar* message = g_strdup_printf(_(messages::kNoApplication), uri.c_str(), error->message);
        g_error_free(error);
        tell_user(view, message);
        g_free(message);
    }
    g_object_unref(context);
}

// A file of the book that the view cannot show, found where it lies: a
// program is refused, anything else opened in place by the desktop.
void open_book_file(WebKitWebView* view, const std::string& host_path) {
    if (is_program(host_path)) {
        gchar* name = g_path_get_basename(host_path.c_str());
        gchar* message = g_strdup_printf(_(messages::kProgramNotStarted), name);
        tell_user(view, message);
        g_free(message);
        g_free(name);
        return;
    }
    gchar* uri = g_filename_to_uri(host_path.c_str(), nullptr, nullptr);
    if (uri) open_on_desktop(view, uri);
    g_free(uri);
}

// The book's file an address of the scheme names, when it is there.
std::optional<std::string> book_file_of(const std::string& uri) {
    std::optional<Text> windows_path = windows_path_of_url(uri);
    if (!windows_path) return std::nullopt;
    ServedFile file = served_book_files().find(*windows_path);
    if (file.status != Served::File) return std::nullopt;
    return file.host_path;
}

// Pages, text and pictures. (The engine's own answer would start its media
// framework in this process to rule out sound and video, which it does not
// play here anyway.)
bool view_can_show(const std::string& host_path) {
    gchar* type = g_content_type_guess(host_path.c_str(), nullptr, 0, nullptr);
    gchar* mime = g_content_type_get_mime_type(type);
    std::string name = mime ? mime : "";
    g_free(mime);
    g_free(type);
    return name.rfind("text/", 0) == 0 || name.rfind("image/", 0) == 0 ||
           name == "application/xhtml+xml" || name == "application/xml";
}

// A file: address into the book is the book's file; anywhere else, nothing.
std::optional<std::string> book_url_of_file_url(const std::string& uri) {
    gchar* path = g_filename_from_uri(uri.c_str(), nullptr, nullptr);
    if (!path) return std::nullopt;
    std::string url = book_url(from_utf8(path));
    g_free(path);
    if (!book_file_of(url)) return std::nullopt;
    return url;
}

enum class Route { Show, Handled };

// Where a navigation the page or the user started goes. Show: the view
// loads it where it was asked to; Handled: it was dealt with here.
Route route_navigation(WebKitWebView* view, WebKitNavigationAction* action, bool new_window) {
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    std::string uri = webkit_uri_request_get_uri(request);
    std::string scheme = url_scheme(uri);
    bool by_user = webkit_navigation_action_is_user_gesture(action);
    if (scheme == "file") {
        std::optional<std::string> url = book_url_of_file_url(uri);
        if (url) webkit_web_view_load_uri(view, url->c_str());
        return Route::Handled;
    }
    if (scheme == kBookScheme) {
        std::optional<std::string> file = book_file_of(uri);
        if (file && !view_can_show(*file)) {
            if (by_user) open_book_file(view, *file);
            return Route::Handled;
        }
        if (!new_window) return Route::Show;
        webkit_web_view_load_request(view, request);  // the one view, not a new window
        return Route::Handled;
    }
    if (std::find(kInPageSchemes.begin(), kInPageSchemes.end(), scheme) != kInPageSchemes.end())
        return new_window ? Route::Handled : Route::Show;
    // Web sites, mail and every other scheme: the desktop's, if the user asked.
    if (by_user) open_on_desktop(view, uri);
    return Route::Handled;
}

gboolean on_decide_policy(WebKitWebView* view, WebKitPolicyDecision* decision,
                          WebKitPolicyDecisionType type, gpointer) {
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        // What the view cannot show would be downloaded: never.
        auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
        if (webkit_response_policy_decision_is_mime_type_supported(response)) return FALSE;
        webkit_policy_decision_ignore(decision);
        return TRUE;
    }
    auto* navigation = WEBKIT_NAVIGATION_POLICY_DECISION(decision);
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(navigation);
    bool new_window = type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION;
    if (route_navigation(view, action, new_window) == Route::Show)
        webkit_policy_decision_use(decision);
    else
        webkit_policy_decision_ignore(decision);
    return TRUE;
}

// window.open(): the address opens in this view; the script gets no window.
GtkWidget* on_create(WebKitWebView* view, WebKitNavigationAction* action, gpointer) {
    route_navigation(view, action, true);
    return nullptr;
}

// window.close() closes the program, as the window's close box does.
void on_close(WebKitWebView* view, gpointer) {
    if (GtkWindow* window = window_of(view)) gtk_window_close(window);
}

bool kept_in_menu(WebKitContextMenuItem* item) {
    if (webkit_context_menu_item_is_separator(item)) return true;
    WebKitContextMenuAction action = webkit_context_menu_item_get_stock_action(item);
    return std::find(kKeptMenuActions.begin(), kKeptMenuActions.end(), action) !=
           kKeptMenuActions.end();
}

// Drops every separator that no longer separates anything.
void tidy_separators(WebKitContextMenu* menu) {
    bool last_was_separator = true;  // nothing above the first item
    for (guint i = 0; i < webkit_context_menu_get_n_items(menu);) {
        WebKitContextMenuItem* item = webkit_context_menu_get_item_at_position(menu, i);
        bool separator = webkit_context_menu_item_is_separator(item);
        if (separator && last_was_separator) {
            webkit_context_menu_remove(menu, item);
            continue;
        }
        last_was_separator = separator;
        ++i;
    }
    guint count = webkit_context_menu_get_n_items(menu);
    if (count > 0) {
        WebKitContextMenuItem* last = webkit_context_menu_get_item_at_position(menu, count - 1);
        if (webkit_context_menu_item_is_separator(last)) webkit_context_menu_remove(menu, last);
    }
}

gboolean on_context_menu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent*, WebKitHitTestResult*,
                         gpointer) {
    keep_safe_menu_items(menu);
    return webkit_context_menu_get_n_items(menu) == 0;  // nothing left: no menu
}

void on_download_started(WebKitWebContext*, WebKitDownload* download, gpointer) {
    webkit_download_cancel(download);
}

}  // namespace

void keep_safe_menu_items(WebKitContextMenu* menu) {
    for (guint i = 0; i < webkit_context_menu_get_n_items(menu);) {
        WebKitContextMenuItem* item = webkit_context_menu_get_item_at_position(menu, i);
        if (kept_in_menu(item))
            ++i;
        else
            webkit_context_menu_remove(menu, item);
    }
    tidy_separators(menu);
}

void refuse_downloads(WebKitWebContext* context) {
    g_signal_connect(context, "download-started", G_CALLBACK(on_download_started), nullptr);
}

void apply_view_policy(WebKitWebView* view) {
    g_signal_connect(view, "decide-policy", G_CALLBACK(on_decide_policy), nullptr);
    g_signal_connect(view, "create", G_CALLBACK(on_create), nullptr);
    g_signal_connect(view, "close", G_CALLBACK(on_close), nullptr);
    g_signal_connect(view, "context-menu", G_CALLBACK(on_context_menu), nullptr);
}

}  // namespace orn::page
