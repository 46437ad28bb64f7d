// The ANSI code page of the content files: Windows-1251.
#pragma once

#include <string_view>

#include "runtime/text.h"

namespace orn {

// One line of a content file as text. A line that is valid UTF-8 and holds
// bytes beyond ASCII is read as UTF-8 (content re-encoded on Linux);
// anything else is Windows-1251, where the one undefined byte 0x98 becomes
// U+FFFD instead of failing the line.
Text decode_ansi_line(std::string_view bytes);

// Windows-1251 alone, byte by byte.
Text decode_cp1251(std::string_view bytes);

}  // namespace orn
