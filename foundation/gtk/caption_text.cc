#include "gtk/caption_text.h"

#include <cmath>
#include <memory>

#include "gtk/baked_captions.h"
#include "gtk/screen_area.h"

namespace orn::gtk {

namespace {

constexpr double kPointsPerInch = 72.0;

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

// A mask drawn at whole device pixels lands exactly where the text would.
bool draws_at_whole_pixels(cairo_t* cr) {
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    double scale_x, scale_y;
    cairo_surface_get_device_scale(cairo_get_target(cr), &scale_x, &scale_y);
    return matrix.xx == 1 && matrix.yy == 1 && matrix.xy == 0 && matrix.yx == 0 &&
           matrix.x0 == std::floor(matrix.x0) && matrix.y0 == std::floor(matrix.y0) &&
           scale_x == 1 && scale_y == 1;
}

// The program's baked caption that shows exactly this text, if any.
const BakedCaption* find_baked(cairo_t* cr, const FontSpec& font, double pixel_size,
                               const std::string& caption, const cairo_font_options_t* options) {
    if (!draws_at_whole_pixels(cr)) return nullptr;
    for (const BakedCaption& baked : baked_captions()) {
        if (baked.text == caption && baked.family == font.family &&
            is_bold_weight(baked.weight) == is_bold_weight(font.weight) &&
            baked.italic == font.italic && baked.pixel_size == pixel_size &&
            baked_for_options(baked, options) && baked_caption_matches_fonts(baked))
            return &baked;
    }
    return nullptr;
}

void draw_baked(cairo_t* cr, const BakedCaption& baked, int width, int height) {
    CaptionPen pen = caption_pen(width, height, baked.x_advance, baked.ascent, baked.descent);
    // cairo only reads a surface that is a source or a mask.
    cairo_surface_t* mask =
        cairo_image_surface_create_for_data(const_cast<unsigned char*>(baked.mask), CAIRO_FORMAT_A8,
                                            baked.mask_width, baked.mask_height, baked.mask_stride);
    cairo_mask_surface(cr, mask, pen.x + baked.mask_x, pen.y + baked.mask_y);
    cairo_surface_destroy(mask);
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
    // Start-up may be checking the baked captions on another thread:
    // waiting for it is quicker than loading fontconfig again beside it.
    prepare_caption_fonts();
    double pixel_size = font.size_points * screen_dpi(screen) / kPointsPerInch;
    FontOptions options = effective_font_options(cr, screen);
    if (const BakedCaption* baked = find_baked(cr, font, pixel_size, caption, options.get()))
        draw_baked(cr, *baked, width, height);
    else
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
