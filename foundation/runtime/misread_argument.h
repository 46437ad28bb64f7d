// Item paths that reach a viewer misread on the way.
//
// The textbook's main program is a Windows program that names items in
// Windows-1251. Run by Wine under a locale whose Windows code page is not
// 1251 (C.UTF-8, en_US.UTF-8, de_DE.UTF-8 ...: code page 1252), Wine reads
// those bytes as Windows-1252 text and hands the viewer that text in UTF-8:
// "ф01.htm" arrives as "ô01.htm". The bytes are all still there, so the
// name can be read again as Windows-1251.
#pragma once

#include <functional>
#include <optional>

#include "runtime/text.h"

namespace orn {

// The text read as Windows-1251 from its Windows-1252 bytes, when it holds
// something beyond ASCII and every character of it is one of Windows-1252.
std::optional<Text> reread_windows_1252_as_1251(const Text& text);

// The argument as the program that started the viewer meant it: as given
// when found(given) holds or it cannot be a misread name; else its reread
// when found(reread) holds; else as given (its errors then name the path
// that arrived).
Text argument_as_meant(const Text& given, const std::function<bool(const Text&)>& found);

}  // namespace orn
