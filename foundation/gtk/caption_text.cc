#include "gtk/caption_text.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "gtk/screen_area.h"

namespace orn::gtk {

namespace {

// Weights from semi-bold up are drawn bold: cairo's font selection knows
// only normal and bold.
constexpr int kBoldWeight = 600;
constexpr double kPointsPerInch = 72.0;

// cairo keeps the fonts it has made by face, size and options: the thread
// that prepares a font and the draw must ask for them alike to share one.
struct CairoFont {
    cairo_font_face_t* face;
    double pixels;
    cairo_font_options_t* options;

    CairoFont(GdkScreen* screen, const FontSpec& font)
        : face(cairo_toy_font_face_create(
              font.family.c_str(), font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
              font.weight >= kBoldWeight ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL)),
          pixels(font.size_points * screen_dpi(screen) / kPointsPerInch),
          options(cairo_font_options_create()) {
        if (const cairo_font_options_t* screen_options = gdk_screen_get_font_options(screen))
            cairo_font_options_merge(options, screen_options);
    }
    ~CairoFont() {
        cairo_font_options_destroy(options);
        cairo_font_face_destroy(face);
    }
    CairoFont(const CairoFont&) = delete;
    CairoFont& operator=(const CairoFont&) = delete;
};

}  // namespace

void draw_caption(cairo_t* cr, GdkScreen* screen, const FontSpec& font, const std::string& caption,
                  int width, int height) {
    CairoFont cairo_font(screen, font);
    cairo_set_font_face(cr, cairo_font.face);
    cairo_set_font_size(cr, cairo_font.pixels);
    cairo_set_font_options(cr, cairo_font.options);
    cairo_font_extents_t font_extents;
    cairo_text_extents_t text_extents;
    cairo_font_extents(cr, &font_extents);
    cairo_text_extents(cr, caption.c_str(), &text_extents);
    double line_height = font_extents.ascent + font_extents.descent;
    cairo_move_to(cr, std::floor((width - text_extents.x_advance) / 2.0),
                  std::floor((height - line_height) / 2.0) + std::round(font_extents.ascent));
    cairo_show_text(cr, caption.c_str());
}

void CaptionFonts::prepare(GdkScreen* screen, const FontSpec& font) {
    if (std::find(prepared_.begin(), prepared_.end(), font) != prepared_.end()) return;
    prepared_.push_back(font);
    // Made here: the screen's settings are read on the toolkit's thread.
    auto cairo_font = std::make_shared<CairoFont>(screen, font);
    loads_.emplace_back([cairo_font] {
        cairo_matrix_t size, identity;
        cairo_matrix_init_scale(&size, cairo_font->pixels, cairo_font->pixels);
        cairo_matrix_init_identity(&identity);
        cairo_scaled_font_t* scaled =
            cairo_scaled_font_create(cairo_font->face, &size, &identity, cairo_font->options);
        cairo_font_extents_t extents;
        cairo_scaled_font_extents(scaled, &extents);  // opens the font file
        cairo_scaled_font_destroy(scaled);            // cairo keeps it a while for the draw
    });
}

}  // namespace orn::gtk
