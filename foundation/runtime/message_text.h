// A run-time error's message as each place shows it. The message names
// files and an item typed by whoever started the program, so it may hold
// any character, line ends and terminal escapes included.
#pragma once

#include <cstddef>
#include <string>

namespace orn {

// For standard error: always one line, and nothing a terminal would take as
// a command. C0 and C1 control characters and DEL become \xHH (\u00HH for
// C1), except tab, newline and carriage return, which become \t, \n, \r.
std::string escaped_for_terminal(const std::string& utf8);

// For the dialog: control characters become the visible symbols Unicode
// has for them (U+2400 onwards: "␊" for a newline, "␛" for escape), so the
// name reads as it was typed and no line of it moves.
std::string readable_for_dialog(const std::string& utf8);

// Longest message a dialog shows, in characters: a dozen lines of a box
// that fits any screen.
inline constexpr std::size_t kMaxDialogMessageChars = 720;

// The text as it is when it has at most max_chars characters; otherwise its
// beginning and its end around "…", max_chars characters in all, so that
// both the error's name and the end of the path stay in view.
std::string shortened_in_the_middle(const std::string& utf8, std::size_t max_chars);

}  // namespace orn
