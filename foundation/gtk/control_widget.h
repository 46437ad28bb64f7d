// A control's widget placed at an exact pixel rectangle in its window's
// layout, whatever size the widget itself would ask for.
#pragma once

#include <gtk/gtk.h>

#include <algorithm>

#include "runtime/backend.h"

namespace orn::gtk {

class ControlWidget {
  public:
    // The layout keeps a reference to the widget while it holds it; the
    // control's owner destroys the widget, which takes it out of the layout.
    ControlWidget(GtkLayout* layout, GtkWidget* widget) : layout_(layout), widget_(widget) {
        gtk_widget_set_size_request(widget_, 0, 0);
        gtk_layout_put(layout_, widget_, 0, 0);
    }
    void set_geometry(PixelRect rect) {
        gtk_layout_move(layout_, widget_, rect.x, rect.y);
        gtk_widget_set_size_request(widget_, std::max(0, rect.width), std::max(0, rect.height));
    }
    void set_visible(bool visible) { gtk_widget_set_visible(widget_, visible); }

  private:
    GtkLayout* layout_;
    GtkWidget* widget_;
};

}  // namespace orn::gtk
