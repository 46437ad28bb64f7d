#include "runtime/codepage.h"

#include <array>

namespace orn {

namespace {

// Windows-1251 bytes 0x80..0xFF. 0x98 is undefined in the code page and
// reads as U+FFFD.
constexpr std::array<char16_t, 128> kUpperHalf = {
    // 0x80
    u'\u0402', u'\u0403', u'\u201A', u'\u0453', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u20AC', u'\u2030', u'\u0409', u'\u2039', u'\u040A', u'\u040C', u'\u040B', u'\u040F',
    // 0x90
    u'\u0452', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\uFFFD', u'\u2122', u'\u0459', u'\u203A', u'\u045A', u'\u045C', u'\u045B', u'\u045F',
    // 0xA0
    u'\u00A0', u'\u040E', u'\u045E', u'\u0408', u'\u00A4', u'\u0490', u'\u00A6', u'\u00A7',
    u'\u0401', u'\u00A9', u'\u0404', u'\u00AB', u'\u00AC', u'\u00AD', u'\u00AE', u'\u0407',
    // 0xB0
    u'\u00B0', u'\u00B1', u'\u0406', u'\u0456', u'\u0491', u'\u00B5', u'\u00B6', u'\u00B7',
    u'\u0451', u'\u2116', u'\u0454', u'\u00BB', u'\u0458', u'\u0405', u'\u0455', u'\u0457',
    // 0xC0..0xFF: А..я, filled in below
};

constexpr std::array<char16_t, 128> make_table() {
    std::array<char16_t, 128> table = kUpperHalf;
    for (int i = 0; i < 64; ++i) table[64 + i] = static_cast<char16_t>(0x0410 + i);
    return table;
}

constexpr std::array<char16_t, 128> kTable = make_table();

bool has_non_ascii(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

}  // namespace

Text decode_cp1251(std::string_view bytes) {
    Text out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        out.push_back(byte < 0x80 ? char16_t(byte) : kTable[byte - 0x80]);
    }
    return out;
}

// Cyrillic letters in Windows-1251 are UTF-8 lead bytes (0xC0..0xFF), and two
// letters in a row never form a valid sequence, so Russian text in 1251 fails
// the UTF-8 check; a line that passes it with bytes beyond ASCII was written
// as UTF-8. Pure ASCII reads the same either way.
Text decode_ansi_line(std::string_view bytes) {
    if (has_non_ascii(bytes) && is_valid_utf8(bytes)) return from_utf8(bytes);
    return decode_cp1251(bytes);
}

}  // namespace orn
