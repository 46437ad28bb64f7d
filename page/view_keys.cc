#include "page/view_keys.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <cmath>

#include "page/messages.h"

namespace orn::page {

namespace {

constexpr double kZoomStep = 1.1;
constexpr double kMinZoom = 0.3;
constexpr double kMaxZoom = 5.0;

// The find bar over the view's top right corner. It is made at the first
// Ctrl+F: its search entry loads icons, which would delay the window.
struct FindBar {
    WebKitWebView* view;
    GtkOverlay* overlay;
    GtkWidget* bar = nullptr;
    GtkWidget* entry = nullptr;
    GtkWidget* status = nullptr;

    bool shown() const { return bar && gtk_widget_get_visible(bar); }
};

WebKitFindController* finder(FindBar* find) {
    return webkit_web_view_get_find_controller(find->view);
}

void search(FindBar* find) {
    const char* text = gtk_entry_get_text(GTK_ENTRY(find->entry));
    gtk_label_set_text(GTK_LABEL(find->status), "");
    if (!*text) {
        webkit_find_controller_search_finish(finder(find));
        return;
    }
    webkit_find_controller_search(
        finder(find), text, WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE | WEBKIT_FIND_OPTIONS_WRAP_AROUND,
        G_MAXUINT);
}

void find_next(FindBar* find) {
    if (!find->shown()) return;
    if (*gtk_entry_get_text(GTK_ENTRY(find->entry)))
        webkit_find_controller_search_next(finder(find));
}

void close_find_bar(FindBar* find) {
    webkit_find_controller_search_finish(finder(find));
    gtk_widget_hide(find->bar);
    gtk_widget_grab_focus(GTK_WIDGET(find->view));
}

void on_found(WebKitFindController*, guint, FindBar* find) {
    gtk_label_set_text(GTK_LABEL(find->status), "");
}

void on_not_found(WebKitFindController*, FindBar* find) {
    gtk_label_set_text(GTK_LABEL(find->status), _(messages::kFindNotFound));
}

gboolean on_entry_key(GtkWidget*, GdkEventKey* event, FindBar* find) {
    switch (event->keyval) {
        case GDK_KEY_Escape:
            close_find_bar(find);
            return TRUE;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_F3:
            find_next(find);
            return TRUE;
        default:
            return FALSE;
    }
}

GtkWidget* make_bar(FindBar* find) {
    find->bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_style_context_add_class(gtk_widget_get_style_context(find->bar), "frame");
    gtk_widget_set_halign(find->bar, GTK_ALIGN_END);
    gtk_widget_set_valign(find->bar, GTK_ALIGN_START);
    gtk_widget_set_margin_end(find->bar, 16);
    find->entry = gtk_search_entry_new();
    gtk_entry_set_placeholder_text(GTK_ENTRY(find->entry), _(messages::kFindPlaceholder));
    find->status = gtk_label_new("");
    gtk_box_pack_start(GTK_BOX(find->bar), find->entry, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(find->bar), find->status, FALSE, FALSE, 0);
    gtk_widget_show(find->entry);
    gtk_widget_show(find->status);
    gtk_widget_set_no_show_all(find->bar, TRUE);  // hidden until asked for
    g_signal_connect_swapped(find->entry, "search-changed", G_CALLBACK(search), find);
    g_signal_connect(find->entry, "key-press-event", G_CALLBACK(on_entry_key), find);
    return find->bar;
}

void open_find_bar(FindBar* find) {
    if (!find->bar) gtk_overlay_add_overlay(find->overlay, make_bar(find));
    gtk_widget_show(find->bar);
    gtk_widget_grab_focus(find->entry);
    search(find);
}

void zoom_by(WebKitWebView* view, double factor) {
    double level = webkit_web_view_get_zoom_level(view) * factor;
    webkit_web_view_set_zoom_level(view, std::clamp(level, kMinZoom, kMaxZoom));
}

void print(WebKitWebView* view) {
    WebKitPrintOperation* operation = webkit_print_operation_new(view);
    GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view));
    webkit_print_operation_run_dialog(operation, GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr);
    g_object_unref(operation);
}

bool control_key(WebKitWebView* view, guint key, FindBar* find) {
    switch (key) {
        case GDK_KEY_r:
        case GDK_KEY_R:
            webkit_web_view_reload(view);
            return true;
        case GDK_KEY_f:
        case GDK_KEY_F:
            open_find_bar(find);
            return true;
        case GDK_KEY_p:
        case GDK_KEY_P:
            print(view);
            return true;
        case GDK_KEY_plus:
        case GDK_KEY_equal:
        case GDK_KEY_KP_Add:
            zoom_by(view, kZoomStep);
            return true;
        case GDK_KEY_minus:
        case GDK_KEY_KP_Subtract:
            zoom_by(view, 1 / kZoomStep);
            return true;
        case GDK_KEY_0:
        case GDK_KEY_KP_0:
            webkit_web_view_set_zoom_level(view, 1.0);
            return true;
        default:
            return false;
    }
}

// Runs only for keys the page did not take: the engine hands those back to
// the widget after the page has seen them.
gboolean on_key_after_page(WebKitWebView* view, GdkEventKey* event, FindBar* find) {
    GdkModifierType modifiers =
        static_cast<GdkModifierType>(event->state & gtk_accelerator_get_default_mod_mask());
    // Shift as well, where the key's character needs it (Ctrl and "+").
    if ((modifiers & ~GDK_SHIFT_MASK) == GDK_CONTROL_MASK)
        return control_key(view, event->keyval, find);
    if (modifiers != 0) return FALSE;
    switch (event->keyval) {
        case GDK_KEY_BackSpace:
            webkit_web_view_go_back(view);
            return TRUE;
        case GDK_KEY_F5:
            webkit_web_view_reload(view);
            return TRUE;
        case GDK_KEY_F3:
            find_next(find);
            return TRUE;
        case GDK_KEY_Escape:
            if (!find->shown()) return FALSE;
            close_find_bar(find);
            return TRUE;
        default:
            return FALSE;
    }
}

// Alt+Left and Alt+Right go back and forward before the page sees them:
// the page would take them as arrow keys, for scrolling.
gboolean on_key_before_page(WebKitWebView* view, GdkEventKey* event, gpointer) {
    GdkModifierType modifiers =
        static_cast<GdkModifierType>(event->state & gtk_accelerator_get_default_mod_mask());
    if (modifiers != GDK_MOD1_MASK) return FALSE;
    if (event->keyval == GDK_KEY_Left || event->keyval == GDK_KEY_KP_Left) {
        webkit_web_view_go_back(view);
        return TRUE;
    }
    if (event->keyval == GDK_KEY_Right || event->keyval == GDK_KEY_KP_Right) {
        webkit_web_view_go_forward(view);
        return TRUE;
    }
    return FALSE;
}

gboolean on_scroll(WebKitWebView* view, GdkEventScroll* event, gpointer) {
    if ((event->state & gtk_accelerator_get_default_mod_mask()) != GDK_CONTROL_MASK) return FALSE;
    double dy = 0;
    if (event->direction == GDK_SCROLL_UP)
        dy = -1;
    else if (event->direction == GDK_SCROLL_DOWN)
        dy = 1;
    else if (event->direction == GDK_SCROLL_SMOOTH)
        gdk_event_get_scroll_deltas(reinterpret_cast<GdkEvent*>(event), nullptr, &dy);
    if (dy != 0) zoom_by(view, dy < 0 ? kZoomStep : 1 / kZoomStep);
    return TRUE;
}

}  // namespace

GtkWidget* add_browser_keys(WebKitWebView* view) {
    GtkWidget* overlay = gtk_overlay_new();
    auto* find = new FindBar{view, GTK_OVERLAY(overlay)};
    gtk_container_add(GTK_CONTAINER(overlay), GTK_WIDGET(view));
    gtk_widget_show(GTK_WIDGET(view));  // shown and hidden with the overlay
    g_object_set_data_full(G_OBJECT(overlay), "orn-find-bar", find,
                           [](gpointer data) { delete static_cast<FindBar*>(data); });
    WebKitFindController* controller = webkit_web_view_get_find_controller(view);
    g_signal_connect(controller, "found-text", G_CALLBACK(on_found), find);
    g_signal_connect(controller, "failed-to-find-text", G_CALLBACK(on_not_found), find);
    g_signal_connect(view, "key-press-event", G_CALLBACK(on_key_before_page), nullptr);
    g_signal_connect_after(view, "key-press-event", G_CALLBACK(on_key_after_page), find);
    g_signal_connect(view, "scroll-event", G_CALLBACK(on_scroll), nullptr);
    return overlay;
}

}  // namespace orn::page
