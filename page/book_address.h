// Addresses of the textbook's files inside the HTML view. Every page and
// everything it loads comes through a URL scheme of the program's own, whose
// path is a Windows path written with slashes:
//
//   C:\Book\htm\dop_htm\p07_2.htm  <->  ornbook:///C:/Book/htm/dop_htm/p07_2.htm
//
// so that relative links resolve as they did on Windows and the file is then
// found by the same lookup as item paths (case-insensitive, "\" a separator,
// trailing dots and spaces ignored).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/text.h"

namespace orn::page {

inline constexpr char kBookScheme[] = "ornbook";

// The URL of a Windows path (or an absolute POSIX path); a relative path is
// taken from the working directory.
std::string book_url(const Text& windows_path);

// The Windows path a URL of the scheme names: query and fragment dropped,
// %-escapes decoded per component (UTF-8 where valid, else Windows-1251, as
// old pages wrote Cyrillic names), "." and ".." folded the way Windows folds
// them. Nothing when the URL is not one of the scheme's.
std::optional<Text> windows_path_of_url(std::string_view url);

// The scheme of a URL in lower case ("http", "ornbook"); empty when it has none.
std::string url_scheme(std::string_view url);

// The charset to announce for a served text file that declares none of its
// own (by a byte order mark, or a <meta> charset in a page): UTF-8 when its
// bytes beyond ASCII are valid UTF-8, else Windows-1251. Empty when the file
// declares one: a declared charset always wins.
std::string undeclared_charset(std::string_view bytes, bool is_html);

}  // namespace orn::page
