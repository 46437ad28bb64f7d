// Text as the forms see it: UTF-16 code units, positions counted from 1.
#pragma once

#include <string>
#include <string_view>

namespace orn {

using Text = std::u16string;

// Substring of count code units from the 1-based position start; what
// exists when it runs past the end. start < 1 or count < 0 is an
// Invalid argument error.
Text mid(const Text& s, long start, long count);
Text left(const Text& s, long count);   // count < 0: Invalid argument
Text right(const Text& s, long count);  // count < 0: Invalid argument
// Removes space characters (only U+0020) at both ends.
Text trim_spaces(const Text& s);

// UTF-8 <-> UTF-16. from_utf8 expects valid UTF-8 (invalid bytes become
// U+FFFD). to_utf8 never fails: a lone surrogate becomes U+FFFD, so any Text
// can be shown in a title or used in a message.
Text from_utf8(std::string_view utf8);
// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool is_valid_utf8(std::string_view bytes);
std::string to_utf8(const Text& text);

// Text for a window title or label: as to_utf8, with NUL characters (which
// would end a C string early) shown as U+FFFD.
std::string to_display_utf8(const Text& text);

}  // namespace orn
