// A control's widget placed at an exact pixel rectangle in its window's
// layout, whatever size the widget itself would ask for.
#pragma once

#include <gtkmm/layout.h>

#include <algorithm>

#include "runtime/backend.h"

namespace orn::gtk {

class ControlWidget {
  public:
    ControlWidget(Gtk::Layout& layout, Gtk::Widget& widget) : layout_(layout), widget_(widget) {
        widget_.set_size_request(0, 0);
        layout_.put(widget_, 0, 0);
    }
    void set_geometry(PixelRect rect) {
        layout_.move(widget_, rect.x, rect.y);
        widget_.set_size_request(std::max(0, rect.width), std::max(0, rect.height));
    }
    void set_visible(bool visible) { widget_.set_visible(visible); }

  private:
    Gtk::Layout& layout_;
    Gtk::Widget& widget_;
};

}  // namespace orn::gtk
