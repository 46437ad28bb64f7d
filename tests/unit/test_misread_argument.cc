// Item paths whose Windows-1251 bytes Wine read as Windows-1252: read again,
// and taken only when the reread names an item that is there.
#include <glib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "figure/frm1.h"
#include "page/frm_ornpage.h"
#include "runtime/misread_argument.h"
#include "temp_tree.h"

namespace orn {
namespace {

// What Wine hands over for these bytes under a code page 1252 locale, read
// with the system's own converter (independent of the code under test).
Text as_windows_1252(const std::string& bytes) {
    gchar* utf8 = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", "CP1252",
                            nullptr, nullptr, nullptr);
    EXPECT_NE(utf8, nullptr) << "bytes that Windows-1252 leaves undefined";
    Text text = utf8 ? from_utf8(utf8) : Text();
    g_free(utf8);
    return text;
}

Text as_windows_1251(const std::string& bytes) {
    gchar* utf8 = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", "CP1251",
                            nullptr, nullptr, nullptr);
    Text text = utf8 ? from_utf8(utf8) : Text();
    g_free(utf8);
    return text;
}

TEST(RereadWindows1252As1251, EveryByteBeyondAsciiBothCodePagesDefine) {
    std::string bytes;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        // Undefined in Windows-1252 (0x81 0x8D 0x8F 0x90 0x9D) or in 1251 (0x98).
        if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D ||
            byte == 0x98)
            continue;
        bytes.push_back(static_cast<char>(byte));
    }
    auto reread = reread_windows_1252_as_1251(as_windows_1252("C:\\Book\\" + bytes));
    ASSERT_TRUE(reread);
    EXPECT_EQ(to_utf8(*reread), to_utf8(as_windows_1251("C:\\Book\\" + bytes)));
}

TEST(RereadWindows1252As1251, RussianNamesAndTheUndefinedBytes) {
    // "ф01_1.htm" arrives as "ô01_1.htm".
    EXPECT_EQ(reread_windows_1252_as_1251(u"C:\\Book\\htm\\\u00F401_1.htm"),
              Text(u"C:\\Book\\htm\\ф01_1.htm"));
    // "Рисунок 3.htm" in Windows-1251: D0 E8 F1 F3 ED EE EA.
    EXPECT_EQ(reread_windows_1252_as_1251(as_windows_1252("\xD0\xE8\xF1\xF3\xED\xEE\xEA 3.htm")),
              Text(u"Рисунок 3.htm"));
    // Wine's table passes the bytes Windows-1252 leaves undefined through as
    // the control characters of the same number: 0x81 is "Ѓ" in 1251.
    EXPECT_EQ(reread_windows_1252_as_1251(u"\u0081.htm"), Text(u"Ѓ.htm"));
}

TEST(RereadWindows1252As1251, NothingForTextThatCannotBeAMisreadName) {
    EXPECT_FALSE(reread_windows_1252_as_1251(u"C:\\Book\\htm\\f01_1.htm"));  // ASCII
    EXPECT_FALSE(reread_windows_1252_as_1251(u""));
    // Cyrillic that arrived as it should: no Windows-1252 byte for "ф".
    EXPECT_FALSE(reread_windows_1252_as_1251(u"C:\\Book\\htm\\ф01_1.htm"));
    // Latin-1's controls other than the five are no Windows-1252 text either.
    EXPECT_FALSE(reread_windows_1252_as_1251(u"\u0080.htm"));
    EXPECT_FALSE(reread_windows_1252_as_1251(u"\u00F4\u0444.htm"));
}

TEST(ArgumentAsMeant, TakesTheRereadOnlyWhenItAloneIsFound) {
    const Text misread = u"C:\\Book\\htm\\\u00F401.htm";
    const Text meant = u"C:\\Book\\htm\\ф01.htm";
    std::vector<Text> asked;
    auto found_among = [&](const std::vector<Text>& there) {
        return [&asked, there](const Text& candidate) {
            asked.push_back(candidate);
            return std::find(there.begin(), there.end(), candidate) != there.end();
        };
    };
    EXPECT_EQ(argument_as_meant(misread, found_among({meant})), meant);
    // A Latin name that is there is taken as it came.
    EXPECT_EQ(argument_as_meant(misread, found_among({misread, meant})), misread);
    // Neither there: the errors name what arrived.
    EXPECT_EQ(argument_as_meant(misread, found_among({})), misread);
    // ASCII or proper Cyrillic is never looked up for this.
    asked.clear();
    EXPECT_EQ(argument_as_meant(u"C:\\f01.htm", found_among({})), Text(u"C:\\f01.htm"));
    EXPECT_EQ(argument_as_meant(meant, found_among({})), meant);
    EXPECT_TRUE(asked.empty());
}

// The viewers look for their own item's file: the figure or the page.
class ViewerArgument : public testing::Test {
  protected:
    void SetUp() override {
        tree.write("drive_c/Program Files/Ornlux/orn.ini", "[default]\r\nC:\\Book\r\n");
        tree.write("drive_c/Book/jpg/ф01_1.jpg", "picture");
        tree.write("drive_c/Book/htm/dop_htm/стр 2.htm", "<p>page</p>");
    }
    test::TempTree tree;
    test::ScopedWinePrefix prefix{tree};
};

TEST_F(ViewerArgument, FigureNameWineMisreadIsReadAgain) {
    EXPECT_EQ(figure::figure_argument_as_meant(u"C:\\Book\\htm\\\u00F401_1.htm"),
              Text(u"C:\\Book\\htm\\ф01_1.htm"));
    EXPECT_EQ(figure::figure_argument_as_meant(u"C:\\Book\\htm\\ф01_1.htm"),
              Text(u"C:\\Book\\htm\\ф01_1.htm"));
    // No figure for either reading: as it came.
    EXPECT_EQ(figure::figure_argument_as_meant(u"C:\\Book\\htm\\\u00F402.htm"),
              Text(u"C:\\Book\\htm\\\u00F402.htm"));
    // A name too short to be an item is no error here: start-up reports it.
    EXPECT_EQ(figure::figure_argument_as_meant(u"\u00F4"), Text(u"\u00F4"));
}

TEST_F(ViewerArgument, PageNameWineMisreadIsReadAgain) {
    // "стр 2.htm" in Windows-1251 is F1 F2 F0, read as "ñòð".
    EXPECT_EQ(page::page_argument_as_meant(u"C:\\Book\\htm\\\u00F1\u00F2\u00F0 2.htm"),
              Text(u"C:\\Book\\htm\\стр 2.htm"));
}

TEST(ViewerArgumentWithoutConfiguration, IsTakenAsItCame) {
    test::TempTree tree;
    test::ScopedWinePrefix prefix{tree};
    EXPECT_EQ(figure::figure_argument_as_meant(u"C:\\\u00F401_1.htm"), Text(u"C:\\\u00F401_1.htm"));
}

}  // namespace
}  // namespace orn
