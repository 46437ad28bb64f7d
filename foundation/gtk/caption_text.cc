#include "gtk/caption_text.h"

#include <cmath>
#include <memory>

#include "gtk/screen_area.h"

namespace orn::gtk {

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr int kBoldWeight = 600;

struct FontOptionsDeleter {
    void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};
using FontOptions = std::unique_ptr<cairo_font_options_t, FontOptionsDeleter>;

// The options text on cr's target comes out with: the surface's own, and
// over them the screen's.
FontOptions effective_font_options(cairo_t* cr, GdkScreen* screen) {
    FontOptions options(cairo_font_options_create());
    cairo_surface_get_font_options(cairo_get_target(cr), options.get());
    if (const cairo_font_options_t* screen_options = gdk_screen_get_font_options(screen))
        cairo_font_options_merge(options.get(), screen_options);
    return options;
}

// Weights from semi-bold up are drawn bold: cairo's font selection knows
// only normal and bold.
bool is_bold_weight(int weight) {
    return weight >= kBoldWeight;
}

void draw_text(cairo_t* cr, const FontSpec& font, double pixel_size,
               const cairo_font_options_t* options, const std::string& caption, int width,
               int height) {
    select_caption_font(cr, font, pixel_size, options);
    cairo_font_extents_t font_extents;
    cairo_text_extents_t text_extents;
    cairo_font_extents(cr, &font_extents);
    cairo_text_extents(cr, caption.c_str(), &text_extents);
    CaptionPen pen = caption_pen(width, height, text_extents.x_advance, font_extents.ascent,
                                 font_extents.descent);
    cairo_move_to(cr, pen.x, pen.y);
    cairo_show_text(cr, caption.c_str());
}

}  // namespace

void draw_caption(cairo_t* cr, GdkScreen* screen, const FontSpec& font, const std::string& caption,
                  int width, int height) {
    double pixel_size = font.size_points * screen_dpi(screen) / kPointsPerInch;
    FontOptions options = effective_font_options(cr, screen);
    draw_text(cr, font, pixel_size, options.get(), caption, width, height);
}

void select_caption_font(cairo_t* cr, const FontSpec& font, double pixel_size,
                         const cairo_font_options_t* options) {
    cairo_select_font_face(
        cr, font.family.c_str(), font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        is_bold_weight(font.weight) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, pixel_size);
    cairo_set_font_options(cr, options);
}

CaptionPen caption_pen(int width, int height, double x_advance, double ascent, double descent) {
    return {std::floor((width - x_advance) / 2.0),
            std::floor((height - (ascent + descent)) / 2.0) + std::round(ascent)};
}

}  // namespace orn::gtk
