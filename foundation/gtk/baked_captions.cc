#include "gtk/baked_captions.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace orn::gtk {

namespace {

constexpr int kBoldWeight = 600;
// The resolved font's properties that change how its glyphs are rendered;
// the font's own revision catches a font file replaced at the same path.
constexpr char kRenderingProperties[] =
    "%{file}|%{index}|%{fontversion}|%{antialias}|%{hinting}|%{hintstyle}|%{autohint}|"
    "%{rgba}|%{lcdfilter}|%{embolden}|%{matrix}|%{pixelsize}";

std::span<const BakedCaption> program_captions;

struct FontOptionsDeleter {
    void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};
using FontOptions = std::unique_ptr<cairo_font_options_t, FontOptionsDeleter>;

FontOptions options_of(const BakedCaption& baked) {
    FontOptions options(cairo_font_options_create());
    cairo_font_options_set_antialias(options.get(), baked.antialias);
    cairo_font_options_set_subpixel_order(options.get(), baked.subpixel_order);
    cairo_font_options_set_hint_style(options.get(), baked.hint_style);
    cairo_font_options_set_hint_metrics(options.get(), baked.hint_metrics);
    return options;
}

// The keys fontconfig gave, by font, size and options: the buttons draw
// their captions again at each zoom, and a key must not need fontconfig's
// configuration once it has been let go of.
class FontKeys {
  public:
    std::string key(const BakedCaption& baked) {
        std::lock_guard lock(mutex_);
        auto same = [&](const Entry& entry) {
            return entry.family == baked.family && entry.bold == is_bold_weight(baked.weight) &&
                   entry.italic == baked.italic && entry.pixel_size == baked.pixel_size &&
                   entry.antialias == baked.antialias &&
                   entry.subpixel_order == baked.subpixel_order &&
                   entry.hint_style == baked.hint_style && entry.hint_metrics == baked.hint_metrics;
        };
        auto found = std::find_if(entries_.begin(), entries_.end(), same);
        if (found != entries_.end()) return found->key;
        FontSpec font{baked.family, 0, baked.weight, baked.italic};
        std::string key = caption_font_key(font, baked.pixel_size, options_of(baked).get());
        entries_.push_back({baked.family, is_bold_weight(baked.weight), baked.italic,
                            baked.pixel_size, baked.antialias, baked.subpixel_order,
                            baked.hint_style, baked.hint_metrics, std::move(key)});
        return entries_.back().key;
    }

  private:
    struct Entry {
        std::string family;
        bool bold, italic;
        double pixel_size;
        cairo_antialias_t antialias;
        cairo_subpixel_order_t subpixel_order;
        cairo_hint_style_t hint_style;
        cairo_hint_metrics_t hint_metrics;
        std::string key;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
};

FontKeys& font_keys() {
    static FontKeys keys;
    return keys;
}

void check_program_captions() {
    FcInit();
    for (const BakedCaption& baked : program_captions) (void)baked_caption_matches_fonts(baked);
}

}  // namespace

void use_baked_captions(std::span<const BakedCaption> captions) {
    program_captions = captions;
}

std::span<const BakedCaption> baked_captions() {
    return program_captions;
}

void prepare_caption_fonts() {
    static std::once_flag checked;
    std::call_once(checked, check_program_captions);
}

bool baked_caption_matches_fonts(const BakedCaption& baked) {
    return font_keys().key(baked) == baked.font_key;
}

bool baked_for_options(const BakedCaption& baked, const cairo_font_options_t* options) {
    return cairo_font_options_get_antialias(options) == baked.antialias &&
           cairo_font_options_get_subpixel_order(options) == baked.subpixel_order &&
           cairo_font_options_get_hint_style(options) == baked.hint_style &&
           cairo_font_options_get_hint_metrics(options) == baked.hint_metrics;
}

bool is_bold_weight(int weight) {
    return weight >= kBoldWeight;
}

std::string caption_font_key(const FontSpec& font, double pixel_size,
                             const cairo_font_options_t* options) {
    // The pattern cairo's font selection resolves: family, slant and weight
    // as it asks for them, at the pixel size, completed by the configuration
    // and the font options.
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(font.family.c_str()));
    FcPatternAddInteger(pattern, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        is_bold_weight(font.weight) ? FC_WEIGHT_BOLD : FC_WEIGHT_MEDIUM);
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
