#include "runtime/message_text.h"

#include <cstdio>

namespace orn {

namespace {

bool is_c0_or_del(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

// C1 controls U+0080..U+009F are two bytes in UTF-8: C2 80 .. C2 9F.
bool is_c1_at(const std::string& text, std::size_t at) {
    return at + 1 < text.size() && static_cast<unsigned char>(text[at]) == 0xC2 &&
           static_cast<unsigned char>(text[at + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

// Where the character after the first `count` characters begins (the size
// when there are fewer).
std::size_t byte_after_chars(const std::string& utf8, std::size_t count) {
    std::size_t at = 0;
    for (; at < utf8.size(); ++at)
        if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && count-- == 0) break;
    return at;
}

std::size_t char_count(const std::string& utf8) {
    std::size_t count = 0;
    for (char byte : utf8) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

std::string hex_escape(const char* format, unsigned value) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, format, value);
    return escaped;
}

}  // namespace

std::string escaped_for_terminal(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        auto byte = static_cast<unsigned char>(utf8[at]);
        if (is_c1_at(utf8, at)) {
            out += hex_escape("\\u%04X", static_cast<unsigned char>(utf8[++at]));
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (is_c0_or_del(byte)) {
            out += hex_escape("\\x%02X", byte);
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

std::string shortened_in_the_middle(const std::string& utf8, std::size_t max_chars) {
    std::size_t count = char_count(utf8);
    if (count <= max_chars || max_chars < 2) return utf8;
    std::size_t head = (max_chars - 1) / 2, tail = max_chars - 1 - head;
    return utf8.substr(0, byte_after_chars(utf8, head)) + "\xE2\x80\xA6" /* … */ +
           utf8.substr(byte_after_chars(utf8, count - tail));
}

std::string readable_for_dialog(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        auto byte = static_cast<unsigned char>(utf8[at]);
        if (is_c1_at(utf8, at)) {
            out += "\xEF\xBF\xBD";  // no symbol of its own: U+FFFD
            ++at;
        } else if (byte < 0x20) {
            // U+2400 + byte: E2 90 80+byte
            out += "\xE2\x90";
            out += static_cast<char>(0x80 + byte);
        } else if (byte == 0x7F) {
            out += "\xE2\x90\xA1";  // U+2421, the symbol for delete
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

}  // namespace orn
