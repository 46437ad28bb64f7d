// Pictures other than JPEG in a figure file: BMP, GIF (its first frame),
// ICO and PNG, as old textbooks have them in files named .jpg. They are
// recognised by their first bytes and decoded by gdk-pixbuf, whose loader
// for a format is loaded only when a file of that format is met.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace orn {

// The gdk-pixbuf loader for bytes that start as a BMP, GIF, ICO or PNG
// file ("bmp", "gif", "ico", "png"), or nullptr for anything else.
const char* pixbuf_format_of(std::string_view bytes);

struct PixbufDecode {
    // An RGB24 surface of the picture's natural size (transparent parts
    // over the window's background), or nullptr with the reason in failure.
    cairo_surface_t* surface = nullptr;
    bool out_of_memory = false;
    std::string failure;
};

// Decodes bytes of the given format (pixbuf_format_of) whole. A picture
// whose pixels would take more than memory_budget bytes fails as out of
// memory.
PixbufDecode decode_with_pixbuf(std::string_view bytes, const char* format,
                                std::size_t memory_budget);

}  // namespace orn
