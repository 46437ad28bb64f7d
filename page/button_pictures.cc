#include "page/button_pictures.h"

#include <pango/pangocairo.h>

#include "runtime/picture.h"

namespace orn::page {

namespace {

constexpr const char* kWordFont = "Liberation Sans Bold Italic 10.5";

void fill(cairo_t* cr, double x, double y, double width, double height, double grey) {
    cairo_set_source_rgb(cr, grey, grey, grey);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
}

// A raised bar: light edges at the top and left, dark ones at the bottom
// and right, two pixels deep, over a darker face with a soft gradient.
void draw_bar(cairo_t* cr, int width, int height) {
    fill(cr, 0, 0, width, height, 0.10);  // outer dark edge
    fill(cr, 0, 0, width - 1, height - 1, 0.62);
    fill(cr, 1, 1, width - 2, height - 2, 0.16);
    fill(cr, 1, 1, width - 3, height - 3, 0.48);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, 2, 0, height - 2);
    cairo_pattern_add_color_stop_rgb(face, 0, 0.36, 0.36, 0.37);
    cairo_pattern_add_color_stop_rgb(face, 1, 0.22, 0.22, 0.23);
    cairo_set_source(cr, face);
    cairo_rectangle(cr, 2, 2, width - 4, height - 4);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
}

void draw_word(cairo_t* cr, const Text& word, int width, int height) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string(kWordFont);
    pango_layout_set_font_description(layout, font);
    std::string text = to_utf8(word);
    pango_layout_set_text(layout, text.c_str(), -1);
    int text_width = 0, text_height = 0;
    pango_layout_get_pixel_size(layout, &text_width, &text_height);
    double x = (width - text_width) / 2.0, y = (height - text_height) / 2.0;
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);  // a dark shadow keeps the letters crisp
    cairo_move_to(cr, x + 1, y + 1);
    pango_cairo_show_layout(cr, layout);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(font);
    g_object_unref(layout);
}

}  // namespace

std::shared_ptr<const Picture> button_picture(const Text& word) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kButtonPictureWidth, kButtonPictureHeight);
    cairo_t* cr = cairo_create(surface);
    draw_bar(cr, kButtonPictureWidth, kButtonPictureHeight);
    draw_word(cr, word, kButtonPictureWidth, kButtonPictureHeight);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return std::make_shared<const Picture>(kButtonPictureWidth, kButtonPictureHeight, surface);
}

}  // namespace orn::page
