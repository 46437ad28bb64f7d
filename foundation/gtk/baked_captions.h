// Button captions rasterised when the program is built. A caption drawn
// from its baked mask needs neither FreeType nor cairo's font code at run
// time, which is most of what drawing two words of text costs a small
// program in memory. A mask is only used where it is exactly what drawing
// the text would give: the same text, font, pixel size and font options,
// and a font key (caption_font_key) that matches the one it was baked with.
//
// This part runs before GTK is loaded, so it is linked into the program.
#pragma once

#include <cairo.h>

#include <span>
#include <string>

#include "runtime/backend.h"

namespace orn::gtk {

struct BakedCaption {
    // What the mask shows.
    const char* family;
    int weight;
    bool italic;
    double pixel_size;
    const char* text;  // UTF-8
    // The font options it was rasterised with, and the key they gave.
    cairo_antialias_t antialias;
    cairo_subpixel_order_t subpixel_order;
    cairo_hint_style_t hint_style;
    cairo_hint_metrics_t hint_metrics;
    const char* font_key;
    // The metrics that place it: the line's, and the pen's advance.
    double ascent, descent, x_advance;
    // An A8 mask of mask_width x mask_height (rows of mask_stride bytes)
    // whose corner lies at (mask_x, mask_y) from the pen's starting point.
    int mask_x, mask_y, mask_width, mask_height, mask_stride;
    const unsigned char* mask;
};

// The program's baked captions, handed over before anything checks them.
void use_baked_captions(std::span<const BakedCaption> captions);
std::span<const BakedCaption> baked_captions();

// Checks the program's baked captions against fontconfig, once, on
// whichever thread calls it first (start-up calls it on a thread that
// would otherwise be idle); callers while it runs wait for it. Anything
// that draws a caption calls it first.
void prepare_caption_fonts();

// Whether drawing the caption's text at its size with its font options
// would give its mask here. Only the first question for a font asks
// fontconfig.
bool baked_caption_matches_fonts(const BakedCaption& baked);

// Whether text drawn with these options comes out as the caption's mask.
bool baked_for_options(const BakedCaption& baked, const cairo_font_options_t* options);

// Weights from semi-bold up are drawn bold: cairo's font selection knows
// only normal and bold.
bool is_bold_weight(int weight);

// What decides how the font's text comes out: the font file, face and
// revision fontconfig picks for it at that pixel size, the rendering options
// from fontconfig's configuration and from the font options (as merged with
// the target surface's), and the versions of cairo and fontconfig.
std::string caption_font_key(const FontSpec& font, double pixel_size,
                             const cairo_font_options_t* options);

}  // namespace orn::gtk
