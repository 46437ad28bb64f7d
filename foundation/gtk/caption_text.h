// A command button's caption: one short line in one font, drawn with
// cairo's own font selection. It finds the font through fontconfig as a
// text layout would, but needs no shaping engine and no font fallback
// lists, which would cost the start-up milliseconds and megabytes of their
// own.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "runtime/backend.h"

namespace orn::gtk {

// Draws the caption in the middle of a width x height area, in the font
// at the screen's resolution and with its font options, in cr's source.
void draw_caption(cairo_t* cr, GdkScreen* screen, const FontSpec& font, const std::string& caption,
                  int width, int height);

// The font's face and size for cr's text, with the given font options.
void select_caption_font(cairo_t* cr, const FontSpec& font, double pixel_size,
                         const cairo_font_options_t* options);

// Where a caption's pen starts so that its line stands in the middle of a
// width x height area.
struct CaptionPen {
    double x, y;
};
CaptionPen caption_pen(int width, int height, double x_advance, double ascent, double descent);

}  // namespace orn::gtk
