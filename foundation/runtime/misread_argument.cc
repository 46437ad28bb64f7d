#include "runtime/misread_argument.h"

#include <string>

#include "runtime/codepage.h"

namespace orn {

namespace {

// Windows-1252 at 0x80..0x9F. The five bytes it leaves undefined stand for
// the control characters of the same number, as Wine's table has them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The Windows-1252 byte of a character, if it has one.
std::optional<unsigned char> windows_1252_byte(char16_t c) {
    // Latin-1's controls 0x80..0x9F are not (except the five undefined ones).
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (unsigned i = 0; i < 32; ++i)
        if (kWindows1252High[i] == c) return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

}  // namespace

std::optional<Text> reread_windows_1252_as_1251(const Text& text) {
    std::string bytes;
    bytes.reserve(text.size());
    bool beyond_ascii = false;
    for (char16_t c : text) {
        std::optional<unsigned char> byte = windows_1252_byte(c);
        if (!byte) return std::nullopt;
        beyond_ascii |= *byte >= 0x80;
        bytes.push_back(static_cast<char>(*byte));
    }
    if (!beyond_ascii) return std::nullopt;
    return decode_cp1251(bytes);
}

Text argument_as_meant(const Text& given, const std::function<bool(const Text&)>& found) {
    std::optional<Text> reread = reread_windows_1252_as_1251(given);
    if (!reread || found(given)) return given;
    return found(*reread) ? *reread : given;
}

}  // namespace orn
