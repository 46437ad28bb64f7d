#include "gtk/gtk_backend.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <utility>

#include "gtk/caption_text.h"
#include "gtk/control_widget.h"
#include "gtk/gobject_glue.h"
#include "gtk/picture_view.h"
#include "gtk/screen_area.h"
#include "gtk/sound.h"
#include "gtk/x11_window.h"
#include "runtime/picture.h"
#include "runtime/translation.h"

// Registers the classic look's compiled-in theme with GLib.
extern "C" void orn_classic_look_register_resource(void);

namespace orn::gtk {

// The theme name the classic look is compiled in under (its resource path
// in classic_look.gresource.xml).
constexpr char kClassicLookTheme[] = "Ornlux";

void use_classic_look() {
    // GTK takes the theme GTK_THEME names over the desktop's, and looks it
    // up among the program's resources first, where the backend registers
    // this one.
    g_setenv("GTK_THEME", kClassicLookTheme, FALSE);
}

namespace {

// How long the window manager may take to say how large a frame it draws.
constexpr int kFrameExtentsTimeoutMs = 500;
// How long a size the program asked for may take to arrive; configure
// events before that are steps on the way, not the user's doing.
constexpr int kGeometrySettleMs = 500;
// The narrowest client area the user can give a sizable window, in pixels.
constexpr int kMinUserClientWidth = 120;
// Widest line of an error message, in characters: well inside the smallest
// screen the programs meet.
constexpr int kMessageWidthChars = 60;

constexpr const char* kStyleSheet = R"css(
.orn-button { min-height: 0; min-width: 0; padding: 0; }
)css";

Display* x_display() {
    return GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
}

// Device pixels across one of GTK's pixels (GDK_SCALE or the desktop's
// scaling); X11 and the window manager count device pixels.
int device_scale() {
    return std::max(1, gdk_window_get_scale_factor(gdk_get_default_root_window()));
}

FrameExtents in_gtk_pixels(const FrameExtents& device) {
    int scale = device_scale();
    auto divide = [scale](int pixels) { return (pixels + scale / 2) / scale; };
    return {divide(device.left), divide(device.right), divide(device.top), divide(device.bottom)};
}

// Deprecated in GTK 3 (it only works for native windows on X11, which
// these toplevels are), and still honoured there.
void set_double_buffered(GtkWidget* window, bool buffered) {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_widget_set_double_buffered(window, buffered);
    G_GNUC_END_IGNORE_DEPRECATIONS
}

long long now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// ---- controls

// What a command button shows: its caption in its own font, or (graphical
// style) its picture, centred and clipped to the button.
class ButtonFace {
  public:
    ButtonFace() : area_(gtk_drawing_area_new()) {
        // After the class's handlers, where a subclass would draw: handlers
        // others connect to the widget (a benchmark's probe) run before it.
        connect_signal<&ButtonFace::on_draw>(area_.get(), "draw", this, true);
    }
    ~ButtonFace() { disconnect_handlers(area_.get(), this); }
    ButtonFace(const ButtonFace&) = delete;
    ButtonFace& operator=(const ButtonFace&) = delete;

    GtkWidget* widget() const { return area_.widget(); }
    void set_caption(const std::string& caption) {
        caption_ = caption;
        gtk_widget_queue_draw(widget());
    }
    void set_font(const FontSpec& font) {
        font_ = font;
        gtk_widget_queue_draw(widget());
    }
    void set_picture(std::shared_ptr<const Picture> picture) {
        picture_ = std::move(picture);
        gtk_widget_queue_draw(widget());
    }

  private:
    bool on_draw(cairo_t* cr) {
        GtkWidget* area = widget();
        int width = gtk_widget_get_allocated_width(area);
        int height = gtk_widget_get_allocated_height(area);
        if (picture_) {
            draw_picture(cr, *picture_, picture_->decoded_height(),
                         place_picture(*picture_, width, height, false, true), width, height);
            return true;
        }
        // The foreground colour follows the button's state, greyed when disabled.
        GdkRGBA colour;
        gtk_style_context_get_color(gtk_widget_get_style_context(area),
                                    gtk_widget_get_state_flags(area), &colour);
        cairo_rectangle(cr, 0, 0, width, height);
        cairo_clip(cr);
        gdk_cairo_set_source_rgba(cr, &colour);
        draw_caption(cr, gtk_widget_get_screen(area), font_, caption_, width, height);
        return true;
    }

    ObjectRef<GtkWidget> area_;
    std::string caption_;
    FontSpec font_;
    std::shared_ptr<const Picture> picture_;
};

class GtkButtonPeer : public ButtonPeer {
  public:
    GtkButtonPeer(GtkLayout* layout, ControlEvents& events)
        : events_(events), button_(gtk_button_new()), placed_(layout, button_.widget()) {
        gtk_style_context_add_class(gtk_widget_get_style_context(button_.widget()), "orn-button");
        gtk_container_add(GTK_CONTAINER(button_.get()), face_.widget());
        gtk_widget_show(face_.widget());
        connect_signal<&GtkButtonPeer::on_clicked>(button_.get(), "clicked", this, true);
    }
    ~GtkButtonPeer() override { disconnect_handlers(button_.get(), this); }

    void set_geometry(PixelRect rect) override { placed_.set_geometry(rect); }
    void set_visible(bool visible) override { placed_.set_visible(visible); }
    void set_enabled(bool enabled) override { gtk_widget_set_sensitive(button_.widget(), enabled); }
    void set_caption(const std::string& utf8) override { face_.set_caption(utf8); }
    void set_font(const FontSpec& font) override { face_.set_font(font); }
    void set_picture(std::shared_ptr<const Picture> picture) override {
        face_.set_picture(std::move(picture));
    }

  private:
    void on_clicked() { events_.control_clicked(); }

    ControlEvents& events_;
    ObjectRef<GtkWidget> button_;
    ButtonFace face_;
    ControlWidget placed_;
};

class GtkImagePeer : public ImagePeer {
  public:
    GtkImagePeer(GtkLayout* layout, ControlEvents& events)
        : view_(events), placed_(layout, view_.widget()) {}
    void set_geometry(PixelRect rect) override { placed_.set_geometry(rect); }
    void set_visible(bool visible) override { placed_.set_visible(visible); }
    void set_enabled(bool enabled) override { gtk_widget_set_sensitive(view_.widget(), enabled); }
    void set_picture(std::shared_ptr<const Picture> picture) override {
        view_.set_picture(std::move(picture));
    }
    void set_stretch(bool stretch) override { view_.set_stretch(stretch); }

  private:
    PictureView view_;
    ControlWidget placed_;
};

class GtkTimerPeer : public TimerPeer {
  public:
    explicit GtkTimerPeer(TimerEvents& events) : events_(events) {}
    void start(int interval_ms) override {
        // A tick that stops or restarts the timer removes its own source:
        // GLib then ends it whatever the callback returns.
        source_.set(g_timeout_add(static_cast<guint>(interval_ms), &GtkTimerPeer::tick, this));
    }
    void stop() override { source_.remove(); }

  private:
    static gboolean tick(gpointer self) {
        static_cast<GtkTimerPeer*>(self)->events_.timer_ticked();
        return G_SOURCE_CONTINUE;
    }

    TimerEvents& events_;
    SourceId source_;
};

// ---- the window

class GtkWindowPeer;

std::vector<GtkWindowPeer*>& all_windows() {
    static std::vector<GtkWindowPeer*> windows;
    return windows;
}

class GtkWindowPeer : public WindowPeer {
  public:
    GtkWindowPeer(const WindowDesign& design, WindowEvents& events);
    ~GtkWindowPeer() override {
        disconnect_handlers(window_.get(), this);
        disconnect_handlers(layout_.get(), this);
        std::erase(all_windows(), this);
    }

    GtkLayout* layout() { return layout_.get(); }
    // Shows or hides the window now, as set_visible last asked.
    void apply_visibility();
    // The window is on the screen as asked (taken over by the window
    // manager when there is one), or hidden.
    bool shown_or_hidden() {
        if (!wanted_visible_) return true;
        GdkWindow* gdk_window = gtk_widget_get_window(window_.widget());
        if (!gdk_window || (gdk_window_get_state(gdk_window) & GDK_WINDOW_STATE_WITHDRAWN))
            return false;
        return !managed_ || x11::has_wm_state(x_display(), GDK_WINDOW_XID(gdk_window));
    }

    FrameExtents frame_extents() override { return normal_frame_; }
    int min_client_height() override { return managed_ ? 0 : 1; }
    void set_outer_geometry(PixelRect outer) override;
    void set_visible(bool visible) override;
    void set_maximised(bool maximised, PixelRect outer) override;
    void set_title(const std::string& utf8) override {
        gtk_window_set_title(window_.get(), utf8.c_str());
    }
    void set_keep_above() override;
    void begin_drag() override;
    std::uintptr_t native_handle() override { return GDK_WINDOW_XID(gdk_window()); }

  private:
    GdkWindow* gdk_window() const { return gtk_widget_get_window(window_.widget()); }
    void set_icon(const IconImage& icon);
    void apply_client_size(PixelRect outer);
    void set_user_minimum();
    void expect_geometry();
    bool on_configure(GdkEventConfigure* event);
    bool on_window_state(GdkEventWindowState* event);
    bool on_property(GdkEventProperty* event);
    bool on_layout_press(GdkEventButton* event);
    bool on_motion(GdkEventMotion* event);
    bool on_release(GdkEventButton* event);
    bool on_delete(GdkEvent* event);
    bool on_map(GdkEvent* event);
    bool on_first_draw(cairo_t* cr);
    void report_if_changed();
    void paint_what_came_on_screen();
    void check_placement();
    void freeze_until_resized();
    void thaw();
    PixelRect actual_outer();

    WindowEvents& events_;
    // Members go in reverse order: the idle and timeout sources below
    // first, then the layout (with any control still in it), the window last.
    ObjectRef<GtkWindow> window_;
    ObjectRef<GtkLayout> layout_;
    bool fixed_;
    bool managed_;               // a window manager frames the window
    FrameExtents frame_;         // as the window manager draws it now
    FrameExtents normal_frame_;  // of the window when not maximised: sizes are set for it
    bool keep_above_ = false;
    bool wanted_visible_ = false;
    bool check_placement_ = false;  // the window was just shown
    bool frozen_ = false;           // painting waits for a new size
    GdkPoint clipped_at_{0, 0};     // where the window was when paints were last clipped
    SourceId visibility_update_;
    gulong first_draw_ = 0;  // until the first frame is drawn

    // What the model believes, and whether a change it asked for is on its way.
    PixelRect model_outer_;
    bool model_maximised_ = false;
    bool actual_maximised_ = false;
    long long settle_until_ = 0;
    SourceId settle_timer_;

    // A press that may become a move of the window once the pointer moves.
    bool drag_armed_ = false;
    guint drag_button_ = 0;
    double drag_x_ = 0, drag_y_ = 0;
    guint32 drag_time_ = 0;
};

GtkWindowPeer::GtkWindowPeer(const WindowDesign& design, WindowEvents& events)
    : events_(events),
      window_(GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL))),
      layout_(GTK_LAYOUT(gtk_layout_new(nullptr, nullptr))),
      fixed_(design.border == BorderStyle::FixedSingle) {
    all_windows().push_back(this);
    GtkWidget* window = window_.widget();
    GtkWidget* layout = layout_.widget();
    gtk_window_set_title(window_.get(), design.title.c_str());
    if (!design.icon.rgba.empty()) set_icon(design.icon);
    gtk_window_set_gravity(window_.get(), GDK_GRAVITY_NORTH_WEST);
    if (!fixed_) set_user_minimum();
    if (fixed_) gtk_window_set_type_hint(window_.get(), GDK_WINDOW_TYPE_HINT_NORMAL);
    gtk_widget_add_events(layout,
                          GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_BUTTON_MOTION_MASK);
    gtk_container_add(GTK_CONTAINER(window), layout);
    gtk_widget_show(layout);
    // WM_STATE and _NET_FRAME_EXTENTS tell when openbox has taken the window
    // over and how thick its frame is.
    gtk_widget_add_events(window, GDK_STRUCTURE_MASK | GDK_PROPERTY_CHANGE_MASK);

    // Configure events are seen before GtkWindow's own handler, which ends
    // their emission; the other handlers run after the class's.
    connect_signal<&GtkWindowPeer::on_configure>(window, "configure-event", this);
    connect_signal<&GtkWindowPeer::on_window_state>(window, "window-state-event", this, true);
    connect_signal<&GtkWindowPeer::on_property>(window, "property-notify-event", this, true);
    connect_signal<&GtkWindowPeer::on_motion>(window, "motion-notify-event", this, true);
    connect_signal<&GtkWindowPeer::on_release>(window, "button-release-event", this, true);
    connect_signal<&GtkWindowPeer::on_layout_press>(layout, "button-press-event", this, true);
    connect_signal<&GtkWindowPeer::on_delete>(window, "delete-event", this, true);
    connect_signal<&GtkWindowPeer::on_map>(window, "map-event", this, true);

    set_double_buffered(window, false);
    first_draw_ = connect_signal<&GtkWindowPeer::on_first_draw>(window, "draw", this, true);

    gtk_widget_realize(window);
    gdk_window_set_invalidate_handler(gdk_window(), clip_invalidation_to_screen);
    // A fixed border offers neither resizing nor a maximise box.
    if (fixed_)
        gdk_window_set_functions(
            gdk_window(),
            static_cast<GdkWMFunction>(GDK_FUNC_MOVE | GDK_FUNC_MINIMIZE | GDK_FUNC_CLOSE));
    Display* display = x_display();
    managed_ = x11::window_manager_running(display);
    if (managed_) {
        Window xid = GDK_WINDOW_XID(gdk_window());
        if (fixed_) x11::set_fixed_size_hints(display, xid, 1, 1);
        frame_ = normal_frame_ =
            in_gtk_pixels(x11::request_frame_extents(display, xid, kFrameExtentsTimeoutMs));
    }
}

bool GtkWindowPeer::on_delete(GdkEvent*) {
    events_.window_close_requested();
    return true;
}

bool GtkWindowPeer::on_map(GdkEvent*) {
    // Keep-above may be lost when a window is withdrawn and mapped again.
    if (keep_above_) gtk_window_set_keep_above(window_.get(), TRUE);
    return false;
}

// A window's first frame goes straight onto the screen: nothing of the
// window is there yet that could flicker, and the buffer GTK would draw the
// frame into is fresh memory to the X server, which it pays for a page at a
// time (a fifth of the start-up of a 1500x1000 figure). Every later frame is
// buffered, so that a zoom step never shows a half-drawn window.
bool GtkWindowPeer::on_first_draw(cairo_t*) {
    set_double_buffered(window_.widget(), true);
    g_signal_handler_disconnect(window_.get(), first_draw_);
    first_draw_ = 0;
    return false;
}

void GtkWindowPeer::set_icon(const IconImage& icon) {
    // An icon whose pixels do not fill it leaves the default one.
    if (icon.width <= 0 || icon.height <= 0 ||
        icon.rgba.size() != std::size_t(icon.width) * icon.height * 4)
        return;
    // The pixbuf only reads the pixels, which last as long as the program.
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_data(reinterpret_cast<const guchar*>(icon.rgba.data()),
                                                 GDK_COLORSPACE_RGB, TRUE, 8, icon.width,
                                                 icon.height, icon.width * 4, nullptr, nullptr);
    gtk_window_set_icon(window_.get(), pixbuf);
    g_object_unref(pixbuf);
}

void GtkWindowPeer::apply_client_size(PixelRect outer) {
    int width = std::max(1, outer.width - normal_frame_.left - normal_frame_.right);
    int height = std::max(1, outer.height - normal_frame_.top - normal_frame_.bottom);
    if (fixed_) {
        // The user cannot resize it; the program still can.
        GdkGeometry hints{};
        hints.min_width = hints.max_width = width;
        hints.min_height = hints.max_height = height;
        gtk_window_set_geometry_hints(
            window_.get(), window_.widget(), &hints,
            static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
    }
    gtk_window_resize(window_.get(), width, height);
}

// The user may make a sizable window small, but not smaller than a title
// bar's worth, as on the platform the programs come from: the forms lay
// their controls out for widths from there on.
void GtkWindowPeer::set_user_minimum() {
    GdkGeometry hints{};
    hints.min_width = kMinUserClientWidth;
    hints.min_height = 1;
    gtk_window_set_geometry_hints(window_.get(), window_.widget(), &hints, GDK_HINT_MIN_SIZE);
}

void GtkWindowPeer::set_outer_geometry(PixelRect outer) {
    bool resized = outer.width != model_outer_.width || outer.height != model_outer_.height;
    model_outer_ = outer;
    if (resized) freeze_until_resized();
    apply_client_size(outer);
    // With north-west gravity the window manager puts the frame's corner here.
    gtk_window_move(window_.get(), outer.x, outer.y);
    expect_geometry();
}

// Showing and hiding take effect when the event loop next runs: start-up
// shows, hides and shows the window again while it lays it out, and the
// user sees (and the window manager maps) only the window as it ends up.
void GtkWindowPeer::set_visible(bool visible) {
    wanted_visible_ = visible;
    if (visibility_update_.active()) return;
    visibility_update_.set(g_idle_add_full(
        G_PRIORITY_HIGH_IDLE,
        [](gpointer self) -> gboolean {
            auto* peer = static_cast<GtkWindowPeer*>(self);
            peer->visibility_update_.ended();
            peer->apply_visibility();
            return G_SOURCE_REMOVE;
        },
        this, nullptr));
}

void GtkWindowPeer::apply_visibility() {
    visibility_update_.remove();
    GtkWidget* window = window_.widget();
    if (wanted_visible_ == static_cast<bool>(gtk_widget_get_visible(window))) return;
    if (wanted_visible_) {
        // A window shown again is placed where it was, not where the window
        // manager would centre it. GTK skips a move to where it thinks the
        // window is, but the unmapped window itself may sit elsewhere (under
        // openbox, offset by its frame): openbox would then map it off by
        // the frame and move it again. Moving it through GDK as well makes
        // it appear in place at once, with one paint instead of two.
        gtk_window_move(window_.get(), model_outer_.x, model_outer_.y);
        gdk_window_move(gdk_window(), model_outer_.x, model_outer_.y);
        check_placement_ = true;
        gtk_widget_show(window);
        if (keep_above_) gtk_window_set_keep_above(window_.get(), TRUE);
    } else {
        gtk_widget_hide(window);
    }
}

void GtkWindowPeer::set_maximised(bool maximised, PixelRect outer) {
    model_outer_ = outer;
    model_maximised_ = maximised;
    if (!managed_) {
        // Nobody else sizes the window to the work area.
        apply_client_size(outer);
        gtk_window_move(window_.get(), outer.x, outer.y);
    } else if (maximised) {
        gtk_window_maximize(window_.get());
    } else {
        gtk_window_unmaximize(window_.get());
        apply_client_size(outer);
        gtk_window_move(window_.get(), outer.x, outer.y);
    }
    expect_geometry();
}

void GtkWindowPeer::set_keep_above() {
    keep_above_ = true;
    gtk_window_set_keep_above(window_.get(), TRUE);
}

void GtkWindowPeer::begin_drag() {
    GdkEvent* event = gtk_get_current_event();
    if (!event) return;
    if (event->type == GDK_BUTTON_PRESS) {
        drag_armed_ = true;
        drag_button_ = event->button.button;
        drag_x_ = event->button.x_root;
        drag_y_ = event->button.y_root;
        drag_time_ = event->button.time;
    }
    gdk_event_free(event);
}

// The move starts once the pointer really moves with the button held, so
// that a click or a double click in place still reaches its handler.
bool GtkWindowPeer::on_motion(GdkEventMotion* event) {
    if (!drag_armed_) return false;
    if (!gtk_drag_check_threshold(window_.widget(), static_cast<int>(drag_x_),
                                  static_cast<int>(drag_y_), static_cast<int>(event->x_root),
                                  static_cast<int>(event->y_root)))
        return false;
    drag_armed_ = false;
    gdk_window_begin_move_drag(gdk_window(), static_cast<int>(drag_button_),
                               static_cast<int>(drag_x_), static_cast<int>(drag_y_), drag_time_);
    return true;
}

bool GtkWindowPeer::on_release(GdkEventButton*) {
    drag_armed_ = false;
    return false;
}

bool GtkWindowPeer::on_layout_press(GdkEventButton* event) {
    if (event->type != GDK_BUTTON_PRESS ||
        event->window != gtk_layout_get_bin_window(layout_.get()))
        return false;
    events_.window_mouse_down(static_cast<int>(event->button));
    return true;
}

void GtkWindowPeer::expect_geometry() {
    settle_until_ = now_ms() + kGeometrySettleMs;
    settle_timer_.set(g_timeout_add(
        kGeometrySettleMs + 10,
        [](gpointer self) -> gboolean {
            auto* peer = static_cast<GtkWindowPeer*>(self);
            peer->settle_timer_.ended();
            peer->thaw();
            peer->report_if_changed();
            return G_SOURCE_REMOVE;
        },
        this));
}

// A shown window that changes size is not painted until the window manager
// has given it the new size: painting the new layout into the old size
// first would cost a whole frame and show a cropped picture.
void GtkWindowPeer::freeze_until_resized() {
    if (frozen_ || !gtk_widget_get_mapped(window_.widget())) return;
    frozen_ = true;
    gdk_window_freeze_updates(gdk_window());
}

void GtkWindowPeer::thaw() {
    if (!frozen_) return;
    frozen_ = false;
    gdk_window_thaw_updates(gdk_window());
}

PixelRect GtkWindowPeer::actual_outer() {
    GdkWindow* window = gdk_window();
    auto [x, y] = screen_origin(window);
    return {x - frame_.left, y - frame_.top,
            gdk_window_get_width(window) + frame_.left + frame_.right,
            gdk_window_get_height(window) + frame_.top + frame_.bottom};
}

bool GtkWindowPeer::on_configure(GdkEventConfigure*) {
    paint_what_came_on_screen();
    report_if_changed();
    return false;
}

bool GtkWindowPeer::on_window_state(GdkEventWindowState* event) {
    actual_maximised_ = (event->new_window_state & GDK_WINDOW_STATE_MAXIMIZED) != 0;
    report_if_changed();
    return false;
}

// A move brings parts of the window onto the screen, and the X server
// exposes them; but its expose may be handled before the configure event
// that tells where the window now is, and then be clipped to the old place.
// So what has come onto the screen is painted once the new place is known.
void GtkWindowPeer::paint_what_came_on_screen() {
    GdkScreen* screen = gtk_widget_get_screen(window_.widget());
    GdkPoint before = std::exchange(clipped_at_, screen_origin(gdk_window()));
    if (gdk_screen_is_composited(screen) ||
        (before.x == clipped_at_.x && before.y == clipped_at_.y))
        return;
    cairo_rectangle_int_t on_screen_now = screen_seen_from(screen, clipped_at_);
    cairo_rectangle_int_t on_screen_before = screen_seen_from(screen, before);
    cairo_region_t* came = cairo_region_create_rectangle(&on_screen_now);
    cairo_region_subtract_rectangle(came, &on_screen_before);
    gdk_window_invalidate_region(gdk_window(), came, TRUE);
    cairo_region_destroy(came);
}

// The window manager may place a newly mapped window elsewhere than asked
// (openbox does after it has told the frame's size): once it has taken the
// window over, the window goes where it was asked to be.
void GtkWindowPeer::check_placement() {
    if (!check_placement_ || model_maximised_) return;
    check_placement_ = false;
    PixelRect actual = actual_outer();
    if (actual.x == model_outer_.x && actual.y == model_outer_.y) return;
    // Through GDK: GTK would drop a move to where it thinks the window is.
    gdk_window_move(gdk_window(), model_outer_.x, model_outer_.y);
    expect_geometry();
}

bool GtkWindowPeer::on_property(GdkEventProperty* event) {
    if (event->atom == gdk_atom_intern_static_string("WM_STATE") &&
        gtk_widget_get_mapped(window_.widget()))
        check_placement();
    if (event->atom == gdk_atom_intern_static_string("_NET_FRAME_EXTENTS")) {
        FrameExtents device;
        if (x11::read_frame_extents(x_display(), GDK_WINDOW_XID(gdk_window()), device))
            frame_ = in_gtk_pixels(device);
        if (!actual_maximised_ && !model_maximised_) normal_frame_ = frame_;
        report_if_changed();
    }
    return false;
}

// Tells the model what the user or the window manager changed, once the
// changes the program itself asked for have had time to arrive.
void GtkWindowPeer::report_if_changed() {
    if (!gtk_widget_get_mapped(window_.widget())) return;
    PixelRect actual = actual_outer();
    bool maximised = managed_ ? actual_maximised_ : model_maximised_;
    bool settling = now_ms() < settle_until_;
    bool as_asked = actual == model_outer_ && maximised == model_maximised_;
    if (actual.width == model_outer_.width && actual.height == model_outer_.height) thaw();
    if (settling && !as_asked) return;
    if (as_asked) settle_until_ = 0;
    if (actual == model_outer_ && maximised == model_maximised_) return;
    model_outer_ = actual;
    model_maximised_ = maximised;
    events_.window_configured(actual, maximised);
}

}  // namespace

// ---- the backend

struct GtkBackend::Impl {
    std::string program_name;
    BrowserFactory browser_factory;
};

GtkBackend::GtkBackend(int& argc, char**& argv, const std::string& program_name)
    : impl_(std::make_unique<Impl>()) {
    impl_->program_name = program_name;
    // Placing, keeping above and moving windows work on X11 (also through
    // XWayland), not on a native Wayland connection.
    gdk_set_allowed_backends("x11");
    // The classic look's theme, among the resources where GTK looks for the
    // theme GTK_THEME names before it looks in the theme folders.
    orn_classic_look_register_resource();
    // The program has taken the user's language and character set from the
    // environment itself (use_users_language); GTK would take the whole
    // locale, numbers included, while the figure may be decoding on another
    // thread.
    gtk_disable_setlocale();
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "%s: %s\n", program_name.c_str(),
                     _("cannot open the display (is DISPLAY set?)"));
        // Not exit(): the figure may still be decoding on another thread,
        // into what static destructors would free.
        std::fflush(nullptr);
        _exit(1);
    }
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kStyleSheet, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);  // the screen keeps it
}

GtkBackend::~GtkBackend() = default;

double GtkBackend::twips_per_pixel() {
    return 1440.0 / screen_dpi(gdk_screen_get_default());
}

int GtkBackend::device_pixels_per_pixel() {
    return device_scale();
}

PixelRect GtkBackend::work_area() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle area{0, 0, 1024, 768};
    if (monitor) gdk_monitor_get_workarea(monitor, &area);
    return {area.x, area.y, area.width, area.height};
}

std::unique_ptr<WindowPeer> GtkBackend::create_window(const WindowDesign& design,
                                                      WindowEvents& events) {
    return std::make_unique<GtkWindowPeer>(design, events);
}

std::unique_ptr<ButtonPeer> GtkBackend::create_button(WindowPeer& window, ControlEvents& events) {
    return std::make_unique<GtkButtonPeer>(static_cast<GtkWindowPeer&>(window).layout(), events);
}

std::unique_ptr<ImagePeer> GtkBackend::create_image(WindowPeer& window, ControlEvents& events) {
    return std::make_unique<GtkImagePeer>(static_cast<GtkWindowPeer&>(window).layout(), events);
}

std::unique_ptr<BrowserPeer> GtkBackend::create_browser(WindowPeer& window, ControlEvents& events) {
    if (!impl_->browser_factory) throw std::logic_error("this program has no HTML view");
    return impl_->browser_factory(static_cast<GtkWindowPeer&>(window).layout(), events);
}

void GtkBackend::set_browser_factory(BrowserFactory factory) {
    impl_->browser_factory = std::move(factory);
}

std::unique_ptr<TimerPeer> GtkBackend::create_timer(TimerEvents& events) {
    return std::make_unique<GtkTimerPeer>(events);
}

void GtkBackend::play_sound(const std::string& host_path) {
    play_sound_file(host_path);
}

void GtkBackend::run() {
    gtk_main();
}

namespace {
// Lets the window manager take the shown windows over (they are mapped
// once it has), for at most a moment.
void wait_until_mapped() {
    constexpr int kWaitMs = 300;
    long long deadline = now_ms() + kWaitMs;
    auto all_mapped = [] {
        return std::all_of(all_windows().begin(), all_windows().end(),
                           [](GtkWindowPeer* window) { return window->shown_or_hidden(); });
    };
    while (!all_mapped() && now_ms() < deadline) {
        while (gtk_events_pending()) gtk_main_iteration_do(false);
        if (!all_mapped()) g_usleep(1000);
    }
}
}  // namespace

namespace {
// A message names files and an item typed by anyone. Its lines break
// anywhere, even inside a long name, so that the box is never wider than
// the screen (the toolkit has shortened a very long message in the middle,
// so it is never taller either). The text can be selected and copied;
// Return still presses OK.
void fit_message_to_screen(GtkMessageDialog* dialog) {
    GtkWidget* area = gtk_message_dialog_get_message_area(dialog);
    GList* children = gtk_container_get_children(GTK_CONTAINER(area));
    GtkWidget* label = children ? GTK_WIDGET(children->data) : nullptr;
    g_list_free(children);
    if (label && GTK_IS_LABEL(label)) {
        gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
        gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
        gtk_label_set_max_width_chars(GTK_LABEL(label), kMessageWidthChars);
        gtk_label_set_selectable(GTK_LABEL(label), TRUE);
        // A hyphen at a break inside a path would read as part of the name.
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_insert_hyphens_new(FALSE));
        gtk_label_set_attributes(GTK_LABEL(label), attributes);
        pango_attr_list_unref(attributes);
    }
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    if (GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK))
        gtk_widget_grab_focus(ok);
}
}  // namespace

void GtkBackend::show_error(const std::string& title, const std::string& message) {
    // The program's windows appear as they stand before the message does.
    for (GtkWindowPeer* window : all_windows()) window->apply_visibility();
    wait_until_mapped();
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                               GTK_BUTTONS_OK, "%s", message.c_str());
    fit_message_to_screen(GTK_MESSAGE_DIALOG(dialog));
    gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

void GtkBackend::end_program(int status) {
    // Nothing of the program runs on closing: the process ends here.
    std::fflush(nullptr);
    _exit(status);
}

}  // namespace orn::gtk
