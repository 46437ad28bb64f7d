#include "gtk/caption_text.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <memory>

#include "gtk/baked_captions.h"
#include "gtk/before_gtk.h"
#include "gtk/screen_area.h"

namespace orn::gtk {

namespace {

// Weights from semi-bold up are drawn bold: cairo's font selection knows
// only normal and bold.
constexpr int kBoldWeight = 600;
constexpr double kPointsPerInch = 72.0;
// The resolved font's properties that change how its glyphs are rendered.
constexpr char kRenderingProperties[] =
    "%{file}|%{index}|%{antialias}|%{hinting}|%{hintstyle}|%{autohint}|%{rgba}|%{lcdfilter}|"
    "%{embolden}|%{matrix}|%{pixelsize}";

bool is_bold(int weight) {
    return weight >= kBoldWeight;
}

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

// The key of the font last drawn with: the buttons redraw with one font,
// and fontconfig's match need not run for each.
const std::string& current_font_key(const FontSpec& font, double pixel_size,
                                    const cairo_font_options_t* options) {
    struct Cached {
        FontSpec font;
        double pixel_size = 0;
        FontOptions options;
        std::string key;
    };
    static Cached cached;
    bool same = cached.options && cached.font.family == font.family &&
                cached.font.weight == font.weight && cached.font.italic == font.italic &&
                cached.pixel_size == pixel_size &&
                cairo_font_options_equal(cached.options.get(), options);
    if (!same) {
        std::string key = caption_font_key(font, pixel_size, options);
        cached = {font, pixel_size, FontOptions(cairo_font_options_copy(options)), std::move(key)};
    }
    return cached.key;
}

const BakedCaption* find_baked(const FontSpec& font, double pixel_size, const std::string& caption,
                               const cairo_font_options_t* options) {
    for (const BakedCaption& baked : baked_captions()) {
        if (baked.text != caption || baked.family != font.family || baked.italic != font.italic ||
            is_bold(baked.weight) != is_bold(font.weight) || baked.pixel_size != pixel_size)
            continue;
        return current_font_key(font, pixel_size, options) == baked.font_key ? &baked : nullptr;
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
    // Start-up may be loading the font configuration on another thread:
    // waiting for it is quicker than loading it again beside it.
    load_font_configuration();
    double pixel_size = font.size_points * screen_dpi(screen) / kPointsPerInch;
    FontOptions options = effective_font_options(cr, screen);
    const BakedCaption* baked =
        draws_at_whole_pixels(cr) ? find_baked(font, pixel_size, caption, options.get()) : nullptr;
    if (baked)
        draw_baked(cr, *baked, width, height);
    else
        draw_text(cr, font, pixel_size, options.get(), caption, width, height);
}

void select_caption_font(cairo_t* cr, const FontSpec& font, double pixel_size,
                         const cairo_font_options_t* options) {
    cairo_select_font_face(
        cr, font.family.c_str(), font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        is_bold(font.weight) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, pixel_size);
    cairo_set_font_options(cr, options);
}

CaptionPen caption_pen(int width, int height, double x_advance, double ascent, double descent) {
    return {std::floor((width - x_advance) / 2.0),
            std::floor((height - (ascent + descent)) / 2.0) + std::round(ascent)};
}

std::string caption_font_key(const FontSpec& font, double pixel_size,
                             const cairo_font_options_t* options) {
    load_font_configuration();
    // The pattern cairo's font selection resolves: family, slant and weight
    // as it asks for them, at the pixel size, completed by the configuration
    // and the font options.
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(font.family.c_str()));
    FcPatternAddInteger(pattern, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        is_bold(font.weight) ? FC_WEIGHT_BOLD : FC_WEIGHT_MEDIUM);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixel_size);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    cairo_ft_font_options_substitute(options, pattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    std::string key = std::string("cairo ") + cairo_version_string() + "|fontconfig " +
                      std::to_string(FcGetVersion()) + "|";
    if (match) {
        FcChar8* properties =
            FcPatternFormat(match, reinterpret_cast<const FcChar8*>(kRenderingProperties));
        if (properties) key += reinterpret_cast<const char*>(properties);
        FcStrFree(properties);
        FcPatternDestroy(match);
    }
    key += "|" + std::to_string(cairo_font_options_get_antialias(options)) + "," +
           std::to_string(cairo_font_options_get_subpixel_order(options)) + "," +
           std::to_string(cairo_font_options_get_hint_style(options)) + "," +
           std::to_string(cairo_font_options_get_hint_metrics(options));
    return key;
}

}  // namespace orn::gtk
