// A picture's pixels seen by the X server as a pixmap on the same shared
// memory (MIT-SHM). Drawn one decoded pixel per screen pixel, the picture
// is then copied by the server from memory it already maps: no staging
// copy in the client and no upload, on every draw.
#pragma once

#include <cairo.h>
#include <gtk/gtk.h>

#include <memory>

namespace orn::gtk {

class SharedPixmap {
  public:
    // The pixmap over a surface made by create_shareable_surface, for
    // drawing into the widget's window (realized or not); null where the
    // server cannot map it: no shared pixmaps (a remote display), another
    // pixel layout, or a surface with no memory file under it. Costs a round
    // trip to the server.
    static std::unique_ptr<SharedPixmap> create(GtkWidget* widget, cairo_surface_t* pixels);
    ~SharedPixmap();
    SharedPixmap(const SharedPixmap&) = delete;
    SharedPixmap& operator=(const SharedPixmap&) = delete;

    // The pixmap as a cairo source, the size of the pixels' surface.
    cairo_surface_t* surface() const { return surface_; }

  private:
    struct Parts;
    SharedPixmap(std::unique_ptr<Parts> parts, cairo_surface_t* surface);
    std::unique_ptr<Parts> parts_;
    cairo_surface_t* surface_;
};

}  // namespace orn::gtk
