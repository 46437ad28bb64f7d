// A picture in a widget: where it is placed, how it is drawn (only what is
// seen, band by band while its rows are still being decoded), and the
// picture control's widget, which also reports presses and double clicks.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <optional>

#include "gtk/gobject_glue.h"
#include "gtk/shared_pixmap.h"
#include "runtime/backend.h"
#include "runtime/picture.h"

namespace orn::gtk {

// How a picture is placed in a widget: the scale from decoded pixels to
// the widget's, and the top-left corner and size of what it covers.
struct PicturePlacement {
    double scale_x, scale_y, x, y, width, height;
};

// Scaled to the allocation when stretching, else at its natural size from
// the top-left corner or centred.
PicturePlacement place_picture(const Picture& picture, int width, int height, bool stretch,
                               bool centred);

// Draws the first `rows` decoded rows of a picture into a widget (all of
// them but while the rest is still being decoded). Only the clip region
// that GTK asks for is computed, so a huge zoom costs what is visible.
// `pixmap`, when given, holds the same pixels on the server and is drawn
// from instead; only at one decoded pixel per screen pixel.
void draw_picture(cairo_t* cr, const Picture& picture, int rows, const PicturePlacement& at,
                  int width, int height, const SharedPixmap* pixmap = nullptr);

class PictureView {
  public:
    explicit PictureView(ControlEvents& events);
    ~PictureView();
    PictureView(const PictureView&) = delete;
    PictureView& operator=(const PictureView&) = delete;

    GtkWidget* widget() const { return area_.widget(); }
    void set_picture(std::shared_ptr<const Picture> picture);
    void set_stretch(bool stretch);

  private:
    // Decoded rows below the last one shown that the filter may still read
    // when it scales the picture down (by up to half) or up.
    static constexpr int kFilterReachRows = 4;

    int width() const { return gtk_widget_get_allocated_width(widget()); }
    int height() const { return gtk_widget_get_allocated_height(widget()); }
    PicturePlacement placement() const;

    bool on_draw(cairo_t* cr);
    void draw_as_rows_come(cairo_t* cr, const PicturePlacement& at, int wanted);
    int take_rows(int rows);
    void draw_band(cairo_t* cr, const PicturePlacement& at, double top, double bottom, int rows);
    int rows_shown(cairo_t* cr, const PicturePlacement& at) const;
    void make_pixmap();
    bool clip_to_screen(cairo_t* cr);

    bool on_button_press(GdkEventButton* event);
    bool completes_double_click(const GdkEventButton* event) const;

    std::optional<guint32> first_press_time_;
    double first_press_x_ = 0, first_press_y_ = 0;
    ControlEvents& events_;
    ObjectRef<GtkWidget> area_;
    std::shared_ptr<const Picture> picture_;
    std::unique_ptr<SharedPixmap> pixmap_;  // the picture's pixels on the server, if it can
    bool pixmap_tried_ = false;
    int rows_drawn_ = 0;  // decoded rows known to hold pixels, marked dirty
    bool stretch_ = false;
};

}  // namespace orn::gtk
