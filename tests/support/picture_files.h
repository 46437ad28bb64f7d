// Picture files of other formats than JPEG, for the tests: a picture of two
// colours, the top half one and the bottom half the other, as BMP, GIF, ICO
// or PNG bytes.
#pragma once

#include <cstdint>
#include <string>

namespace orn::test {

// top and bottom are 0xRRGGBB. "bmp", "ico" and "png" come from gdk-pixbuf;
// "gif" is written here (gdk-pixbuf writes no GIF), with a second frame all
// of colour `later` that a viewer showing the first frame never shows.
std::string two_colour_picture(const std::string& format, int width, int height, std::uint32_t top,
                               std::uint32_t bottom, std::uint32_t later = 0x00FF00);

}  // namespace orn::test
