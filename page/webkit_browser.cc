#include "page/webkit_browser.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "gtk/control_widget.h"
#include "gtk/gobject_glue.h"
#include "page/book_address.h"
#include "page/book_scheme.h"
#include "page/menu_language.h"
#include "page/page_scripts.h"
#include "page/sandbox.h"
#include "page/script_dialogs.h"
#include "page/view_keys.h"
#include "page/view_policy.h"

namespace orn::page {

namespace {

// Pages that declare no charset were written for Windows in Russian.
constexpr char kDefaultCharset[] = "windows-1251";

// One context for the program's one view: ephemeral, so cookies, caches and
// storage live in memory only; a single web process; caches sized for one
// local document; the textbook served through its own scheme; no download.
WebKitWebContext* shared_context() {
    static WebKitWebContext* context = [] {
        WebKitWebContext* made = webkit_web_context_new_ephemeral();
        webkit_web_context_set_cache_model(made, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
        register_book_scheme(made);
        refuse_downloads(made);
        enable_sandbox(made);
        return made;
    }();
    return context;
}

WebKitSettings* view_settings() {
    WebKitSettings* settings = webkit_settings_new();
    // Software rendering draws a plain page sooner and with less memory than
    // compositing through a GL stack, which often is software too.
    webkit_settings_set_hardware_acceleration_policy(settings,
                                                     WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    webkit_settings_set_enable_developer_extras(settings, FALSE);
    webkit_settings_set_default_charset(settings, kDefaultCharset);
    // Sound plays from this process (page_scripts.h): the engine's media
    // player, which cannot read the book's scheme, is never started.
    webkit_settings_set_enable_media(settings, FALSE);
    return settings;
}

class WebKitBrowserPeer : public BrowserPeer {
  public:
    explicit WebKitBrowserPeer(GtkLayout* layout)
        : view_(make_view()),
          framed_(add_browser_keys(view_.get())),
          placed_(layout, framed_.widget()),
          window_(gtk_widget_get_toplevel(GTK_WIDGET(layout))) {
        gtk::connect_signal<&WebKitBrowserPeer::on_window_drawn>(window_, "draw", this, true);
    }
    ~WebKitBrowserPeer() override {
        gtk::disconnect_handlers(window_, this);
        if (pending_load_) g_source_remove(pending_load_);
    }
    WebKitBrowserPeer(const WebKitBrowserPeer&) = delete;
    WebKitBrowserPeer& operator=(const WebKitBrowserPeer&) = delete;

    // A local path goes through the book's scheme; an address as it is,
    // checked as a link would be.
    void navigate(const Text& location) override {
        bool is_address = url_scheme(to_utf8(location)).size() > 1;  // "C:" is a drive
        uri_ = is_address ? to_utf8(location) : book_url(location);
        if (window_drawn_ && !pending_load_) webkit_web_view_load_uri(view_.get(), uri_.c_str());
    }
    void set_geometry(PixelRect rect) override { placed_.set_geometry(rect); }
    void set_visible(bool visible) override { placed_.set_visible(visible); }
    void set_enabled(bool enabled) override { gtk_widget_set_sensitive(view_.widget(), enabled); }

  private:
    // The first load starts the engine's web process, and this thread waits
    // while it is started (in its sandbox, a good part of the start-up): the
    // window is drawn first, so that it shows at once.
    bool on_window_drawn(cairo_t* /*cairo*/) {
        gtk::disconnect_handlers(window_, this);
        window_drawn_ = true;
        if (!uri_.empty()) pending_load_ = g_idle_add(&WebKitBrowserPeer::load_after_drawing, this);
        return false;
    }
    static gboolean load_after_drawing(gpointer self) {
        auto* peer = static_cast<WebKitBrowserPeer*>(self);
        peer->pending_load_ = 0;
        gdk_display_flush(gtk_widget_get_display(peer->window_));  // the drawn window first
        webkit_web_view_load_uri(peer->view_.get(), peer->uri_.c_str());
        return G_SOURCE_REMOVE;
    }

    static WebKitWebView* make_view() {
        WebKitSettings* settings = view_settings();
        WebKitUserContentManager* scripts = make_page_scripts();
        auto* view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context",
                                                  shared_context(), "settings", settings,
                                                  "user-content-manager", scripts, nullptr));
        g_object_unref(settings);
        connect_page_scripts(scripts, view);
        g_object_unref(scripts);
        apply_view_policy(view);
        // After the policy's handler, which drops what the view does not offer.
        translate_context_menus(view);
        show_script_dialogs(view);
        return view;
    }

    gtk::ObjectRef<WebKitWebView> view_;  // destroyed with the peer
    gtk::ObjectRef<GtkWidget> framed_;    // the view with its find bar
    gtk::ControlWidget placed_;
    GtkWidget* window_;  // the form's window, which holds the view
    bool window_drawn_ = false;
    std::string uri_;  // the page asked for last
    guint pending_load_ = 0;
};

}  // namespace

std::unique_ptr<BrowserPeer> make_webkit_browser(GtkLayout* layout, ControlEvents&) {
    return std::make_unique<WebKitBrowserPeer>(layout);
}

}  // namespace orn::page
