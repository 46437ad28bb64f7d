#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/errors.h"
#include "runtime/textfile.h"
#include "temp_tree.h"

namespace orn {
namespace {

using namespace std::string_literals;

// The byte's character according to the C library's converter, or nothing
// when the converter has no such code page.
std::optional<Text> system_cp1251(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1251");
    // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's failure value
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    char in[1] = {static_cast<char>(byte)};
    char out[8];
    char* in_ptr = in;
    char* out_ptr = out;
    std::size_t in_left = 1, out_left = sizeof out;
    std::size_t result = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    iconv_close(cd);
    if (result == static_cast<std::size_t>(-1)) return Text{};
    auto low = static_cast<unsigned char>(out[0]), high = static_cast<unsigned char>(out[1]);
    return Text(1, static_cast<char16_t>(low | (high << 8)));
}

TEST(Codepage, UpperHalfMatchesTheSystemConverter) {
    if (!system_cp1251(0xC0)) GTEST_SKIP() << "no CP1251 converter in the C library";
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        if (byte == 0x98) continue;
        EXPECT_EQ(decode_cp1251(std::string(1, char(byte))), *system_cp1251(byte))
            << "byte 0x" << std::hex << byte;
    }
}

TEST(Codepage, KnownCharacters) {
    EXPECT_EQ(decode_cp1251("\xA8\xB8\xB9\x98"), u"Ёё№\uFFFD");
    EXPECT_EQ(decode_cp1251("\xC0\xDF\xE0\xFF"), u"АЯая");
    EXPECT_EQ(decode_cp1251("\x88\x96\x97\xAB\xBB\xA0"), u"€–—«»\u00A0");
    std::string ascii;
    for (int c = 0; c < 0x80; ++c) ascii.push_back(static_cast<char>(c));
    Text decoded = decode_cp1251(ascii);
    ASSERT_EQ(decoded.size(), 128u);
    for (int c = 0; c < 0x80; ++c) EXPECT_EQ(decoded[c], c);
}

// "Рисунок" and a pangram holding every Russian letter, in Windows-1251.
const std::string kRisunok1251 = "\xD0\xE8\xF1\xF3\xED\xEE\xEA";
const Text kPangram = u"Съешь же ещё этих мягких французских булок, да выпей чаю. ЁЪ №1";

std::string to_cp1251(const Text& text) {
    std::string bytes;
    for (char16_t c : text) {
        if (c < 0x80)
            bytes.push_back(static_cast<char>(c));
        else if (c == u'Ё')
            bytes.push_back('\xA8');
        else if (c == u'ё')
            bytes.push_back('\xB8');
        else if (c == u'№')
            bytes.push_back('\xB9');
        else
            bytes.push_back(static_cast<char>(c - 0x0410 + 0xC0));
    }
    return bytes;
}

TEST(Codepage, AnsiLinesAreReadAsWindows1251UnlessTheyAreUtf8) {
    EXPECT_EQ(decode_ansi_line(kRisunok1251), u"Рисунок");
    EXPECT_EQ(decode_ansi_line("\xD0\xA0\xD0\xB8\xD1\x81"), u"Рис");  // UTF-8
    EXPECT_EQ(decode_ansi_line(to_cp1251(kPangram)), kPangram);
    EXPECT_EQ(decode_ansi_line(to_utf8(kPangram)), kPangram);
    EXPECT_EQ(decode_ansi_line("plain [f12]"), u"plain [f12]");
    EXPECT_EQ(decode_ansi_line("a\0b"s), u"a\0b"s);
    EXPECT_EQ(decode_ansi_line(""), u"");
    // UTF-8 spoilt by one stray byte: the whole line is read as 1251.
    EXPECT_EQ(decode_ansi_line("\xD0\xA0\x98"), u"Р\u00A0\uFFFD");
}

TEST(Codepage, RussianTextInWindows1251IsNeverValidUtf8) {
    Text upper = u"СЪЕШЬ ЖЕ ЕЩЁ ЭТИХ МЯГКИХ ФРАНЦУЗСКИХ БУЛОК";
    for (const Text& text : {kPangram, upper, Text(u"Рисунок 12.3"), Text(u"ё"), Text(u"я")}) {
        EXPECT_FALSE(is_valid_utf8(to_cp1251(text))) << to_utf8(text);
    }
}

std::vector<Text> read_all(TextInput& input) {
    std::vector<Text> lines;
    while (!input.eof()) lines.push_back(input.read_line());
    return lines;
}

std::vector<Text> lines_of(std::string bytes) {
    TextInput input;
    input.open_bytes(std::move(bytes));
    return read_all(input);
}

TEST(TextInput, LineEnds) {
    using Lines = std::vector<Text>;
    EXPECT_EQ(lines_of(""), Lines{});
    EXPECT_EQ(lines_of("a"), Lines{u"a"});
    EXPECT_EQ(lines_of("a\r\n"), Lines{u"a"});
    EXPECT_EQ(lines_of("a\r\n\r\n"), (Lines{u"a", u""}));
    EXPECT_EQ(lines_of("\r"), Lines{u""});
    EXPECT_EQ(lines_of("\n"), Lines{u""});
    EXPECT_EQ(lines_of("a\rb"), (Lines{u"a", u"b"}));
    EXPECT_EQ(lines_of("a\nb\n"), (Lines{u"a", u"b"}));
    EXPECT_EQ(lines_of("a\n\rb"), (Lines{u"a", u"", u"b"}));
    EXPECT_EQ(lines_of("a\r\r\nb"), (Lines{u"a", u"", u"b"}));
    EXPECT_EQ(lines_of("\0\r\n\0"s), (Lines{u"\0"s, u"\0"s}));
    EXPECT_EQ(lines_of(kRisunok1251 + "\r\n" + to_utf8(u"ё")), (Lines{u"Рисунок", u"ё"}));
}

TEST(TextInput, ReadingPastTheEndIsAnError) {
    TextInput input;
    EXPECT_TRUE(input.eof());  // nothing open
    input.open_bytes("k\r\n");
    EXPECT_FALSE(input.eof());
    EXPECT_EQ(input.read_line(), u"k");
    EXPECT_TRUE(input.eof());
    try {
        input.read_line();
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.code(), ErrorCode::ReadPastEnd);
    }
    input.open_bytes("x");
    input.close();
    EXPECT_TRUE(input.eof());
}

TEST(TextInput, LineLengthIsBounded) {
    const std::size_t max = TextInput::kMaxLineBytes;
    EXPECT_EQ(lines_of(std::string(max, 'a') + "\r\nb").at(0).size(), max);
    TextInput input;
    input.open_bytes(std::string(max + 1, 'a'));
    try {
        input.read_line();
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.code(), ErrorCode::OutOfMemory);
    }
}

class TextFile : public ::testing::Test {
  protected:
    // Writes bytes to a file and returns its path as the viewers pass it.
    Text file(const std::string& bytes, const std::string& name = "f.txt") {
        return from_utf8(tree.write(name, bytes));
    }
    std::vector<Text> file_lines(const std::string& bytes) {
        TextInput input;
        input.open(file(bytes));
        return read_all(input);
    }
    test::TempTree tree;
};

TEST_F(TextFile, LinesAcrossChunkBoundaries) {
    const std::size_t chunk = TextInput::kChunkBytes;
    std::string a(chunk - 1, 'a');
    using Lines = std::vector<Text>;
    EXPECT_EQ(file_lines(a + "\r\nb"), (Lines{Text(chunk - 1, u'a'), u"b"}));  // CR | LF
    EXPECT_EQ(file_lines(a + "\rb"), (Lines{Text(chunk - 1, u'a'), u"b"}));    // CR | b
    EXPECT_EQ(file_lines(a + "\r"), (Lines{Text(chunk - 1, u'a')}));           // CR | end
    EXPECT_EQ(file_lines(a + "\n\nb"), (Lines{Text(chunk - 1, u'a'), u"", u"b"}));
    EXPECT_EQ(file_lines(a + "a"), (Lines{Text(chunk, u'a')}));
    std::string long_line(3 * chunk + 5, 'x');
    EXPECT_EQ(file_lines("\r\n" + long_line + "\r\n"), (Lines{u"", Text(long_line.size(), u'x')}));
}

TEST_F(TextFile, FileReadsAsTheSameBytesInMemory) {
    std::string bytes;
    const char* ends[] = {"\r\n", "\r", "\n", "\n\r"};
    for (int i = 0; bytes.size() < 5 * TextInput::kChunkBytes; ++i) {
        bytes += std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), '\xE0');
        bytes += ends[i % 4];
    }
    std::vector<Text> from_file = file_lines(bytes);
    EXPECT_EQ(from_file, lines_of(bytes));
    EXPECT_GT(from_file.size(), 5000u);
}

TEST_F(TextFile, OverlongLineInAFile) {
    TextInput input;
    input.open(file(std::string(TextInput::kMaxLineBytes + 1, 'a') + "\r\n"));
    try {
        input.read_line();
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.code(), ErrorCode::OutOfMemory);
    }
}

TEST_F(TextFile, ReadingPastTheEndNamesTheFile) {
    Text path = file("only\r\n");
    TextInput input;
    input.open(path);
    EXPECT_EQ(input.read_line(), u"only");
    try {
        input.read_line();
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.code(), ErrorCode::ReadPastEnd);
        EXPECT_EQ(e.detail(), to_utf8(path));
    }
}

TEST_F(TextFile, OpeningAnotherFileStartsAfresh) {
    TextInput input;
    input.open(file("one\r\ntwo", "1.txt"));
    EXPECT_EQ(input.read_line(), u"one");
    input.open(file("three", "2.txt"));
    EXPECT_EQ(read_all(input), std::vector<Text>{u"three"});
}

ErrorCode open_error(const Text& path, std::string* detail = nullptr) {
    TextInput input;
    try {
        input.open(path);
    } catch (const RuntimeError& e) {
        if (detail) *detail = e.detail();
        return e.code();
    }
    ADD_FAILURE() << "opened " << to_utf8(path);
    return ErrorCode{};
}

TEST_F(TextFile, OpenFailures) {
    tree.mkdir("dir");
    Text root = from_utf8(tree.root());
    std::string detail;
    EXPECT_EQ(open_error(root + u"\\missing.txt", &detail), ErrorCode::FileNotFound);
    EXPECT_EQ(detail,
              to_utf8(root) + "\\missing.txt (looked for at " + tree.root() + "/missing.txt)");
    EXPECT_EQ(open_error(root + u"/nodir/x.txt"), ErrorCode::PathNotFound);
    EXPECT_EQ(open_error(root + u"/dir", &detail), ErrorCode::FileNotFound);
    EXPECT_NE(detail.find("directory"), std::string::npos) << detail;
}

TEST_F(TextFile, UnreadableFileIsNotFound) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    Text path = file("secret");
    ASSERT_EQ(chmod(to_utf8(path).c_str(), 0), 0);
    std::string detail;
    EXPECT_EQ(open_error(path, &detail), ErrorCode::FileNotFound);
    EXPECT_NE(detail.find("ermission"), std::string::npos) << detail;
}

}  // namespace
}  // namespace orn
