#include "gtk/caption_text.h"

#include <cmath>

#include "gtk/before_gtk.h"
#include "gtk/screen_area.h"

namespace orn::gtk {

namespace {

// Weights from semi-bold up are drawn bold: cairo's font selection knows
// only normal and bold.
constexpr int kBoldWeight = 600;
constexpr double kPointsPerInch = 72.0;

void select_font(cairo_t* cr, GdkScreen* screen, const FontSpec& font) {
    cairo_select_font_face(
        cr, font.family.c_str(), font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        font.weight >= kBoldWeight ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, font.size_points * screen_dpi(screen) / kPointsPerInch);
    if (const cairo_font_options_t* options = gdk_screen_get_font_options(screen))
        cairo_set_font_options(cr, options);
}

}  // namespace

void draw_caption(cairo_t* cr, GdkScreen* screen, const FontSpec& font, const std::string& caption,
                  int width, int height) {
    // Start-up may be loading the font configuration on another thread:
    // waiting for it is quicker than loading it again beside it.
    load_font_configuration();
    select_font(cr, screen, font);
    cairo_font_extents_t font_extents;
    cairo_text_extents_t text_extents;
    cairo_font_extents(cr, &font_extents);
    cairo_text_extents(cr, caption.c_str(), &text_extents);
    double line_height = font_extents.ascent + font_extents.descent;
    cairo_move_to(cr, std::floor((width - text_extents.x_advance) / 2.0),
                  std::floor((height - line_height) / 2.0) + std::round(font_extents.ascent));
    cairo_show_text(cr, caption.c_str());
}

}  // namespace orn::gtk
