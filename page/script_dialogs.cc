#include "page/script_dialogs.h"

#include "runtime/translation.h"

namespace orn::page {

namespace {

constexpr int kDialogWidth = 320;  // pixels

// What one open dialog answers for: the engine's request, held until the
// user has answered, and the prompt's entry.
struct PendingAnswer {
    WebKitScriptDialog* request;
    GtkWidget* entry;  // nullptr unless a prompt
};

void on_response(GtkDialog* dialog, gint response, gpointer data) {
    auto* pending = static_cast<PendingAnswer*>(data);
    bool accepted = response == GTK_RESPONSE_OK;
    switch (webkit_script_dialog_get_dialog_type(pending->request)) {
        case WEBKIT_SCRIPT_DIALOG_CONFIRM:
        case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
            webkit_script_dialog_confirm_set_confirmed(pending->request, accepted);
            break;
        case WEBKIT_SCRIPT_DIALOG_PROMPT:
            // Cancelled, the prompt gives null, as when no text is set.
            if (accepted)
                webkit_script_dialog_prompt_set_text(pending->request,
                                                     gtk_entry_get_text(GTK_ENTRY(pending->entry)));
            break;
        case WEBKIT_SCRIPT_DIALOG_ALERT:
            break;
    }
    webkit_script_dialog_close(pending->request);
    webkit_script_dialog_unref(pending->request);
    delete pending;
    gtk_widget_destroy(GTK_WIDGET(dialog));
}

GtkWidget* make_dialog(GtkWindow* parent, WebKitScriptDialog* request, PendingAnswer& pending) {
    WebKitScriptDialogType type = webkit_script_dialog_get_dialog_type(request);
    const char* message = type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM
                              ? _("Leave this page? What you entered may be lost.")
                              : webkit_script_dialog_get_message(request);
    bool alert = type == WEBKIT_SCRIPT_DIALOG_ALERT;
    GtkWidget* dialog = gtk_message_dialog_new(
        parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        alert ? GTK_MESSAGE_INFO : GTK_MESSAGE_QUESTION,
        alert ? GTK_BUTTONS_OK : GTK_BUTTONS_OK_CANCEL, "%s", message);
    gtk_window_set_title(GTK_WINDOW(dialog), _("Message from the page"));
    // Wide enough for the title to show whole.
    gtk_window_set_default_size(GTK_WINDOW(dialog), kDialogWidth, -1);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    if (type == WEBKIT_SCRIPT_DIALOG_PROMPT) {
        pending.entry = gtk_entry_new();
        gtk_entry_set_text(GTK_ENTRY(pending.entry),
                           webkit_script_dialog_prompt_get_default_text(request));
        gtk_entry_set_activates_default(GTK_ENTRY(pending.entry), TRUE);
        GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
        gtk_container_add(GTK_CONTAINER(area), pending.entry);
        gtk_widget_show(pending.entry);
    }
    return dialog;
}

gboolean on_script_dialog(WebKitWebView* view, WebKitScriptDialog* request, gpointer) {
    GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view));
    GtkWindow* parent = GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
    auto* pending = new PendingAnswer{webkit_script_dialog_ref(request), nullptr};
    GtkWidget* dialog = make_dialog(parent, request, *pending);
    // Above the program's window, which stays above the others.
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    g_signal_connect(dialog, "response", G_CALLBACK(on_response), pending);
    gtk_widget_show(dialog);
    return TRUE;  // handled: the engine draws no box of its own
}

}  // namespace

void show_script_dialogs(WebKitWebView* view) {
    g_signal_connect(view, "script-dialog", G_CALLBACK(on_script_dialog), nullptr);
}

}  // namespace orn::page
