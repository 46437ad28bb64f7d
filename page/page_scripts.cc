#include "page/page_scripts.h"

#include <jsc/jsc.h>

#include <optional>
#include <string>

#include "gtk/sound.h"
#include "page/book_address.h"
#include "page/book_files.h"
#include "page/book_scheme.h"

namespace orn::page {

namespace {

constexpr char kSoundHandler[] = "ornSound";
constexpr char kCloseHandler[] = "ornClose";

// Every frame, once its document is parsed: the sounds it asks to play on
// opening, as absolute addresses.
constexpr char kSoundScript[] = R"js(
(function () {
    var audio = /\.(wav|mid|midi|mp3|ogg|oga|au|aif|aiff|wma)$/i;
    var wanted = [];
    function add(element, source) {
        if (source) wanted.push(new URL(source, document.baseURI).href);
    }
    document.querySelectorAll("bgsound[src]").forEach(function (e) {
        add(e, e.getAttribute("src"));
    });
    document.querySelectorAll("embed[src]").forEach(function (e) {
        var source = e.getAttribute("src");
        var type = (e.getAttribute("type") || "").toLowerCase();
        var autostart = (e.getAttribute("autostart") || "true").toLowerCase();
        if ((type.indexOf("audio/") === 0 || audio.test(source.split(/[?#]/)[0])) &&
            autostart !== "false" && autostart !== "0")
            add(e, source);
    });
    document.querySelectorAll("audio[autoplay]").forEach(function (e) {
        var source = e.getAttribute("src");
        if (!source) {
            var inner = e.querySelector("source[src]");
            source = inner && inner.getAttribute("src");
        }
        add(e, source);
    });
    wanted.forEach(function (address) {
        window.webkit.messageHandlers.ornSound.postMessage(address);
    });
})();
)js";

// The top page only: a frame's window.close() is its top's.
constexpr char kCloseScript[] = R"js(
window.close = function () { window.webkit.messageHandlers.ornClose.postMessage(""); };
)js";

std::string message_text(WebKitJavascriptResult* result) {
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    if (!jsc_value_is_string(value)) return {};
    gchar* text = jsc_value_to_string(value);
    std::string copy = text ? text : "";
    g_free(text);
    return copy;
}

// Only the book's own sound files play.
void on_sound(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer) {
    std::optional<Text> path = windows_path_of_url(message_text(result));
    if (!path) return;
    ServedFile file = served_book_files().find(*path);
    if (file.status == Served::File) gtk::play_sound_file(file.host_path);
}

void on_close(WebKitUserContentManager*, WebKitJavascriptResult*, WebKitWebView* view) {
    GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view));
    if (GTK_IS_WINDOW(top)) gtk_window_close(GTK_WINDOW(top));
}

void add_script(WebKitUserContentManager* manager, const char* source,
                WebKitUserContentInjectedFrames frames, WebKitUserScriptInjectionTime time) {
    WebKitUserScript* script = webkit_user_script_new(source, frames, time, nullptr, nullptr);
    webkit_user_content_manager_add_script(manager, script);
    webkit_user_script_unref(script);
}

}  // namespace

WebKitUserContentManager* make_page_scripts() {
    WebKitUserContentManager* manager = webkit_user_content_manager_new();
    add_script(manager, kSoundScript, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_END);
    add_script(manager, kCloseScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START);
    webkit_user_content_manager_register_script_message_handler(manager, kSoundHandler);
    webkit_user_content_manager_register_script_message_handler(manager, kCloseHandler);
    return manager;
}

void connect_page_scripts(WebKitUserContentManager* manager, WebKitWebView* view) {
    g_signal_connect(manager, "script-message-received::ornSound", G_CALLBACK(on_sound), nullptr);
    g_signal_connect(manager, "script-message-received::ornClose", G_CALLBACK(on_close), view);
}

}  // namespace orn::page
