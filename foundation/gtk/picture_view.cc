#include "gtk/picture_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "gtk/screen_area.h"

namespace orn::gtk {

PicturePlacement place_picture(const Picture& picture, int width, int height, bool stretch,
                               bool centred) {
    double decoded_width = picture.decoded_width(), decoded_height = picture.decoded_height();
    double shown_width = stretch ? width : picture.width();
    double shown_height = stretch ? height : picture.height();
    return {shown_width / decoded_width,
            shown_height / decoded_height,
            centred ? std::floor((width - shown_width) / 2) : 0,
            centred ? std::floor((height - shown_height) / 2) : 0,
            shown_width,
            shown_height};
}

namespace {

// One decoded pixel per device pixel of what cr draws on (a doubling
// screen draws two of them across each of the window's pixels).
bool one_to_one(cairo_t* cr, const PicturePlacement& at) {
    double device_x = 1, device_y = 1;
    cairo_surface_get_device_scale(cairo_get_group_target(cr), &device_x, &device_y);
    return at.scale_x * device_x == 1.0 && at.scale_y * device_y == 1.0;
}

// What a draw reads the picture's pixels from (a reference of its own).
cairo_surface_t* picture_source(const Picture& picture, int rows, const SharedPixmap* pixmap,
                                bool pixel_for_pixel) {
    // Pixel for pixel, the server's copy serves; the clip keeps out the rows
    // still being written.
    if (pixmap && pixel_for_pixel) return cairo_surface_reference(pixmap->surface());
    // From the client's pixels, rows still being written are outside the
    // source, so that not even the filter reads them.
    if (rows < picture.decoded_height())
        return cairo_surface_create_for_rectangle(picture.surface(), 0, 0, picture.decoded_width(),
                                                  rows);
    return cairo_surface_reference(picture.surface());
}

}  // namespace

void draw_picture(cairo_t* cr, const Picture& picture, int rows, const PicturePlacement& at,
                  int width, int height, const SharedPixmap* pixmap) {
    if (rows <= 0) return;
    bool partial = rows < picture.decoded_height();
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_clip(cr);
    cairo_rectangle(cr, at.x, at.y, at.width, partial ? std::floor(rows * at.scale_y) : at.height);
    cairo_clip(cr);
    cairo_translate(cr, at.x, at.y);
    cairo_scale(cr, at.scale_x, at.scale_y);
    bool pixel_for_pixel = one_to_one(cr, at);
    cairo_surface_t* source = picture_source(picture, rows, pixmap, pixel_for_pixel);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_t* pattern = cairo_get_source(cr);
    // One decoded pixel per screen pixel needs no filter and stays sharp;
    // scaled, the edges are filtered as if the picture went on beyond them.
    cairo_pattern_set_filter(pattern, pixel_for_pixel ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    if (!pixel_for_pixel) cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(source);
}

PictureView::PictureView(ControlEvents& events) : events_(events), area_(gtk_drawing_area_new()) {
    gtk_widget_add_events(widget(),
                          GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_BUTTON_MOTION_MASK);
    // After the class's handlers, as ButtonFace draws.
    connect_signal<&PictureView::on_draw>(area_.get(), "draw", this, true);
    connect_signal<&PictureView::on_button_press>(area_.get(), "button-press-event", this, true);
}

PictureView::~PictureView() {
    disconnect_handlers(area_.get(), this);
}

void PictureView::set_picture(std::shared_ptr<const Picture> picture) {
    if (picture != picture_) {
        pixmap_.reset();
        pixmap_tried_ = false;
    }
    picture_ = std::move(picture);
    // While the window is being set up the server is idle: the pixmap is
    // made now rather than in the first draw, where its round trip would
    // wait for the window manager to map and frame the window.
    if (!gtk_widget_get_mapped(widget())) make_pixmap();
    rows_drawn_ = 0;
    gtk_widget_queue_draw(widget());
}

void PictureView::set_stretch(bool stretch) {
    stretch_ = stretch;
    gtk_widget_queue_draw(widget());
}

PicturePlacement PictureView::placement() const {
    return place_picture(*picture_, width(), height(), stretch_, false);
}

bool PictureView::on_draw(cairo_t* cr) {
    if (!picture_ || !clip_to_screen(cr)) return true;
    PicturePlacement at = placement();
    int wanted = rows_shown(cr, at);
    draw_as_rows_come(cr, at, wanted);
    return true;
}

// Draws the picture band by band as its rows come in, each band once
// the rows its filter reads are in, so that drawing overlaps decoding.
// GTK shows the frame only when it is whole, never half a picture.
void PictureView::draw_as_rows_come(cairo_t* cr, const PicturePlacement& at, int wanted) {
    int from = 0;   // the first decoded row whose pixels are still to draw
    int ready = 0;  // each wait is for a row more than the last one had
    for (bool last = false; !last;) {
        ready = take_rows(std::min(wanted, std::max(ready, from + kFilterReachRows) + 1));
        last = ready >= wanted;
        int through = last ? ready : ready - kFilterReachRows;
        double top = from == 0 ? 0 : at.y + std::floor(from * at.scale_y);
        double bottom = last ? height() : at.y + std::floor(through * at.scale_y);
        if (bottom <= top) continue;
        draw_band(cr, at, top, bottom, ready);
        from = through;
        // Sent now, the band is uploaded while the next rows decode,
        // rather than with all the others when the frame ends.
        if (!last) gdk_display_flush(gtk_widget_get_display(widget()));
    }
}

// Waits until the picture's first rows are in, and marks the surface
// dirty for those that came in since it was last drawn from.
int PictureView::take_rows(int rows) {
    int ready = picture_->wait_for_rows(rows);
    if (ready != rows_drawn_) {
        cairo_surface_mark_dirty(picture_->surface());
        rows_drawn_ = ready;
    }
    return ready;
}

void PictureView::draw_band(cairo_t* cr, const PicturePlacement& at, double top, double bottom,
                            int rows) {
    cairo_save(cr);
    cairo_rectangle(cr, 0, top, width(), bottom - top);
    cairo_clip(cr);
    if (one_to_one(cr, at)) make_pixmap();
    draw_picture(cr, *picture_, rows, at, width(), height(), pixmap_.get());
    cairo_restore(cr);
}

// The picture's pixels as a pixmap on the server, made once per picture
// and only for a picture drawn pixel for pixel (or about to be): other
// zooms draw from the client's pixels through a filter the server lacks.
void PictureView::make_pixmap() {
    if (pixmap_tried_ || !picture_) return;
    pixmap_tried_ = true;
    pixmap_ = SharedPixmap::create(widget(), picture_->surface());
}

// The decoded rows the area to draw shows, and those below them that
// the filter reaches.
int PictureView::rows_shown(cairo_t* cr, const PicturePlacement& at) const {
    double left = 0, top = 0, right = 0, bottom = 0;
    cairo_clip_extents(cr, &left, &top, &right, &bottom);
    double shown = at.scale_y > 0 ? std::ceil((bottom - at.y) / at.scale_y) + kFilterReachRows : 0;
    return static_cast<int>(std::min<double>(shown, picture_->decoded_height()));
}

// A zoomed picture may be far larger than the screen: only what lies on
// the screen is drawn. Without a compositor the rest is exposed (and
// drawn) once it comes into view; with one, everything is drawn.
bool PictureView::clip_to_screen(cairo_t* cr) {
    GdkScreen* screen = gtk_widget_get_screen(widget());
    if (gdk_screen_is_composited(screen)) return true;
    cairo_rectangle_int_t on_screen =
        screen_seen_from(screen, screen_origin(gtk_widget_get_window(widget())));
    cairo_rectangle_int_t area{0, 0, width(), height()};
    if (!gdk_rectangle_intersect(&on_screen, &area, &area)) return false;
    cairo_rectangle(cr, area.x, area.y, area.width, area.height);
    cairo_clip(cr);
    return true;
}

// Two left presses close in time and place make a double click, as on
// the platform the textbook comes from: the second press is the double
// click (no mouse-down of its own), and the press after it starts
// afresh, so four quick clicks are two double clicks. GTK's own double
// and triple click events would turn the third and fourth into nothing.
bool PictureView::on_button_press(GdkEventButton* event) {
    if (event->type != GDK_BUTTON_PRESS) return false;
    if (completes_double_click(event)) {
        first_press_time_.reset();
        events_.control_double_clicked();
    } else {
        if (event->button == GDK_BUTTON_PRIMARY) {
            first_press_time_ = event->time;
            first_press_x_ = event->x_root;
            first_press_y_ = event->y_root;
        }
        events_.control_mouse_down(static_cast<int>(event->button));
    }
    return false;  // the window sees the press too, for dragging
}

bool PictureView::completes_double_click(const GdkEventButton* event) const {
    if (event->button != GDK_BUTTON_PRIMARY || !first_press_time_) return false;
    int time = 400, distance = 5;
    g_object_get(gtk_widget_get_settings(widget()), "gtk-double-click-time", &time,
                 "gtk-double-click-distance", &distance, nullptr);
    return event->time - *first_press_time_ <= static_cast<guint32>(time) &&
           std::abs(event->x_root - first_press_x_) <= distance &&
           std::abs(event->y_root - first_press_y_) <= distance;
}

}  // namespace orn::gtk
