#include "repaint_probe.h"

namespace orn::bench {

namespace {

gboolean set_flag(gpointer flag) {
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
}

}  // namespace

RepaintProbe::RepaintProbe(GtkWidget* window, GtkWidget* picture)
    : window_(window), picture_(picture), clock_(gtk_widget_get_frame_clock(window)) {
    // Before the widget's own handler, which ends the emission; it draws
    // the picture at this allocation right after.
    draw_handler_ = g_signal_connect(picture_, "draw", G_CALLBACK(on_draw), this);
    paint_handler_ = g_signal_connect(clock_, "after-paint", G_CALLBACK(on_after_paint), this);
}

RepaintProbe::~RepaintProbe() {
    g_signal_handler_disconnect(picture_, draw_handler_);
    g_signal_handler_disconnect(clock_, paint_handler_);
}

void RepaintProbe::reset() {
    drawn_ = {};
    drawn_at_ = -1;
}

Size RepaintProbe::last_window() const {
    GdkWindow* window = gtk_widget_get_window(window_);
    return {gdk_window_get_width(window), gdk_window_get_height(window)};
}

gboolean RepaintProbe::on_draw(GtkWidget* widget, cairo_t*, gpointer data) {
    auto* self = static_cast<RepaintProbe*>(data);
    self->drawn_ = {gtk_widget_get_allocated_width(widget),
                    gtk_widget_get_allocated_height(widget)};
    self->drawn_at_ = g_get_monotonic_time();
    return FALSE;
}

void RepaintProbe::on_after_paint(GdkFrameClock*, gpointer data) {
    auto* self = static_cast<RepaintProbe*>(data);
    if (!self->waiting_ || self->drawn_ != self->want_picture_ ||
        self->last_window() != self->want_window_)
        return;
    // The frame's drawing requests are queued in Xlib: the round trip makes
    // the server process them before the time is taken.
    gdk_display_sync(gtk_widget_get_display(self->window_));
    self->done_at_ = g_get_monotonic_time();
    self->waiting_ = false;
}

gint64 RepaintProbe::wait_for(Size picture, Size window, int timeout_ms) {
    want_picture_ = picture;
    want_window_ = window;
    done_at_ = -1;
    waiting_ = true;
    bool timed_out = false;
    guint timeout = g_timeout_add(static_cast<guint>(timeout_ms), set_flag, &timed_out);
    while (waiting_ && !timed_out) gtk_main_iteration_do(TRUE);
    if (!timed_out) g_source_remove(timeout);
    waiting_ = false;
    return done_at_;
}

void run_main_loop_for(int ms) {
    bool over = false;
    g_timeout_add(static_cast<guint>(ms), set_flag, &over);
    while (!over) gtk_main_iteration_do(TRUE);
}

}  // namespace orn::bench
