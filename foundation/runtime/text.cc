#include "runtime/text.h"

#include <algorithm>

#include "runtime/errors.h"

namespace orn {

Text mid(const Text& s, long start, long count) {
    if (start < 1 || count < 0) raise_error(ErrorCode::InvalidArgument);
    auto offset = static_cast<std::size_t>(start - 1);
    if (offset >= s.size()) return {};
    return s.substr(offset, static_cast<std::size_t>(count));
}

Text left(const Text& s, long count) {
    return mid(s, 1, count);
}

Text right(const Text& s, long count) {
    if (count < 0) raise_error(ErrorCode::InvalidArgument);
    auto n = std::min(s.size(), static_cast<std::size_t>(count));
    return s.substr(s.size() - n);
}

Text trim_spaces(const Text& s) {
    auto first = s.find_first_not_of(u' ');
    if (first == Text::npos) return {};
    return s.substr(first, s.find_last_not_of(u' ') - first + 1);
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool is_continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes one well-formed UTF-8 sequence at bytes[pos]; returns its length,
// or 0 when the bytes there are not one.
std::size_t decode_one(std::string_view bytes, std::size_t pos, char32_t& code_point) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[pos + i]); };
    unsigned char lead = byte(0);
    if (lead < 0x80) {
        code_point = lead;
        return 1;
    }
    std::size_t length;
    char32_t min;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, min = 0x80, code_point = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, min = 0x800, code_point = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, code_point = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() - pos < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (!is_continuation(byte(i))) return 0;
        code_point = (code_point << 6) | (byte(i) & 0x3F);
    }
    bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
    if (code_point < min || code_point > 0x10FFFF || surrogate) return 0;
    return length;
}

void append_utf16(Text& out, char32_t code_point) {
    if (code_point < 0x10000) {
        out.push_back(static_cast<char16_t>(code_point));
    } else {
        code_point -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
    }
}

void append_utf8(std::string& out, char32_t code_point) {
    auto put = [&](unsigned value) { out.push_back(static_cast<char>(value)); };
    if (code_point < 0x80) {
        put(code_point);
    } else if (code_point < 0x800) {
        put(0xC0 | (code_point >> 6));
        put(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        put(0xE0 | (code_point >> 12));
        put(0x80 | ((code_point >> 6) & 0x3F));
        put(0x80 | (code_point & 0x3F));
    } else {
        put(0xF0 | (code_point >> 18));
        put(0x80 | ((code_point >> 12) & 0x3F));
        put(0x80 | ((code_point >> 6) & 0x3F));
        put(0x80 | (code_point & 0x3F));
    }
}

bool is_high_surrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_low_surrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::string utf16_to_utf8(const Text& text, bool hide_nul) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (is_high_surrogate(text[i]) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if ((unit >= 0xD800 && unit <= 0xDFFF) || (unit == 0 && hide_nul)) {
            unit = kReplacement;  // a lone surrogate, or NUL where it would cut a C string
        }
        append_utf8(out, unit);
    }
    return out;
}

}  // namespace

Text from_utf8(std::string_view utf8) {
    Text out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t code_point;
        std::size_t length = decode_one(utf8, pos, code_point);
        if (length == 0) {  // one replacement per byte that starts no valid sequence
            code_point = kReplacement;
            length = 1;
        }
        append_utf16(out, code_point);
        pos += length;
    }
    return out;
}

bool is_valid_utf8(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        char32_t code_point;
        std::size_t length = decode_one(bytes, pos, code_point);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

std::string to_utf8(const Text& text) {
    return utf16_to_utf8(text, false);
}
std::string to_display_utf8(const Text& text) {
    return utf16_to_utf8(text, true);
}

}  // namespace orn
