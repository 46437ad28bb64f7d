// The marker structure of a JPEG file, read without decoding it: its size
// from the frame header, and whether the file reaches its end-of-image marker.
#pragma once

#include <optional>
#include <string_view>

namespace orn {

struct JpegSize {
    int width;
    int height;
};

// The picture's size from its frame header; nothing when the bytes are no
// JPEG or end before the frame header.
std::optional<JpegSize> read_jpeg_size(std::string_view bytes);

// True when the bytes are a JPEG that runs to its end-of-image marker; a
// truncated file is not, though a decoder would fill it up with grey.
bool jpeg_is_complete(std::string_view bytes);

}  // namespace orn
