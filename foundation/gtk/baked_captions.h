// Button captions rasterised when the program is built. A caption drawn
// from its baked mask needs neither FreeType nor cairo's font code at run
// time, which is most of what drawing two words of text costs a small
// program in memory. A mask is only used where it is exactly what drawing
// the text would give: the same text, font and pixel size, and a key that
// names the font file fontconfig picks and the options it is rendered with.
#pragma once

#include <span>

namespace orn::gtk {

struct BakedCaption {
    // What the mask shows.
    const char* family;
    int weight;
    bool italic;
    double pixel_size;
    const char* text;  // UTF-8
    // The font file and rendering options it was rasterised with (see
    // caption_font_key in caption_text.h).
    const char* font_key;
    // The metrics that place it: the line's, and the pen's advance.
    double ascent, descent, x_advance;
    // An A8 mask of mask_width x mask_height (rows of mask_stride bytes)
    // whose corner lies at (mask_x, mask_y) from the pen's starting point.
    int mask_x, mask_y, mask_width, mask_height, mask_stride;
    const unsigned char* mask;
};

// The program's baked captions, handed over before its GTK backend starts.
void use_baked_captions(std::span<const BakedCaption> captions);
std::span<const BakedCaption> baked_captions();

}  // namespace orn::gtk
