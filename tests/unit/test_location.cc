#include <gtest/gtest.h>

#include "content/location.h"
#include "error_of.h"
#include "runtime/errors.h"
#include "runtime/textfile.h"
#include "temp_tree.h"

namespace orn {
namespace {

const std::string kExampleConfiguration =
    "[default]\r\nC:\\Book\r\n[f12]\r\nD:\\Extra\r\n[p03]\r\nE:\\Pages\r\n";

ContentRoots roots_from(const std::string& configuration, const Text& item_name) {
    TextInput input;
    input.open_bytes(configuration);
    return content_roots(item_name, input);
}

using test::error_of;

TEST(ItemName, TextAfterTheLastSeparator) {
    EXPECT_EQ(item_name_from_argument(u"C:\\Book\\htm\\f12_3!.htm"), u"f12_3!.htm");
    EXPECT_EQ(item_name_from_argument(u"f12_1.htm"), u"f12_1.htm");
    EXPECT_EQ(item_name_from_argument(u"/srv/book/htm\\x/p07.htm"), u"p07.htm");
    EXPECT_EQ(item_name_from_argument(u"C:\\a\\b c: d.htm"), u"b c: d.htm");
    EXPECT_EQ(item_name_from_argument(u"\"C:\\Book\\htm\\f1.htm\""), u"f1.htm\"");
    EXPECT_EQ(item_name_from_argument(u"C:\\Book\\"), u"");
    EXPECT_EQ(item_name_from_argument(u""), u"");
}

// The configuration file of the worked example, read through the C: drive.
class Configuration : public ::testing::Test {
  protected:
    Configuration() : prefix(tree) {}
    void write(const std::string& bytes) {
        tree.write("drive_c/Program Files/Ornlux/orn.ini", bytes);
    }
    test::TempTree tree;
    test::ScopedWinePrefix prefix;
};

TEST_F(Configuration, FigureViewerExample) {
    write(kExampleConfiguration);
    Text item = item_name_from_argument(u"C:\\Book\\htm\\f12_3!.htm");
    EXPECT_EQ(item, u"f12_3!.htm");
    ContentRoots roots = read_content_roots(item);
    EXPECT_EQ(roots.default_root, u"C:\\Book");
    EXPECT_EQ(roots.content_root, u"D:\\Extra");
    EXPECT_EQ(figure_directory(roots.content_root), u"D:\\Extra\\jpg\\");
    EXPECT_EQ(figure_caption_directory(roots.content_root), u"D:\\Extra\\htm\\orn\\");
    ItemStem stem = item_stem(item);
    EXPECT_EQ(stem.stem, u"f12_3");
    EXPECT_TRUE(stem.self_answer);
    EXPECT_EQ(figure_directory(roots.content_root) + stem.stem + u".jpg",
              u"D:\\Extra\\jpg\\f12_3.jpg");
    EXPECT_EQ(figure_caption_directory(roots.content_root) + item,
              u"D:\\Extra\\htm\\orn\\f12_3!.htm");
    EXPECT_EQ(click_sound_path(roots.content_root), u"D:\\Extra\\wav\\pick.wav");

    EXPECT_EQ(read_content_roots(item_name_from_argument(u"f12_1.htm")).content_root, u"D:\\Extra");
}

TEST_F(Configuration, PageViewerExample) {
    write(kExampleConfiguration);
    Text item = item_name_from_argument(u"C:\\Book\\htm\\p07_2.htm");
    ContentRoots roots = read_content_roots(item);
    EXPECT_EQ(roots.content_root, u"C:\\Book");
    EXPECT_EQ(page_directory(roots.content_root), u"C:\\Book\\htm\\dop_htm\\");
    EXPECT_EQ(page_caption_directory(roots.content_root), u"C:\\Book\\htm\\or3\\");
    EXPECT_FALSE(item_stem(item).self_answer);
    EXPECT_EQ(page_name(item), u"p07_2");
    EXPECT_EQ(page_directory(roots.content_root) + page_name(item) + u".htm",
              u"C:\\Book\\htm\\dop_htm\\p07_2.htm");
}

TEST_F(Configuration, FoundWithoutRegardToCaseAndIn1251) {
    tree.write("drive_c/PROGRAM FILES/ornlux/ORN.INI", "[default]\r\nC:\\\xCA\xED\xE8\xE3\xE0\r\n");
    EXPECT_EQ(read_content_roots(u"f1.htm").content_root, u"C:\\Книга");
}

TEST_F(Configuration, MissingFileOrFolder) {
    EXPECT_EQ(error_of([] { read_content_roots(u"f1.htm"); }), ErrorCode::PathNotFound);
    tree.mkdir("drive_c/Program Files/Ornlux");
    EXPECT_EQ(error_of([] { read_content_roots(u"f1.htm"); }), ErrorCode::FileNotFound);
}

TEST(ContentRoots, LaterPairsWinAndTheDefaultFillsIn) {
    // Two matching pairs: the later one wins.
    EXPECT_EQ(roots_from("[f12]\r\nA\r\n[f12]\r\nB\r\n", u"f12_1.htm").content_root, u"B");
    // Two default pairs: the later one wins.
    ContentRoots two = roots_from("[default]\r\nA\r\n[default]\r\nB\r\n", u"x.htm");
    EXPECT_EQ(two.default_root, u"B");
    EXPECT_EQ(two.content_root, u"B");
    // A matching pair with an empty value leaves the default.
    EXPECT_EQ(roots_from(kExampleConfiguration + "[f12]\r\n\r\n", u"f12_1.htm").content_root,
              u"C:\\Book");
    // A matching pair may come before the default pair.
    EXPECT_EQ(roots_from("[p03]\r\nP\r\n[default]\r\nD\r\n", u"p03.htm").content_root, u"P");
    // Nothing at all: both empty.
    ContentRoots none = roots_from("", u"f1.htm");
    EXPECT_EQ(none.default_root, u"");
    EXPECT_EQ(none.content_root, u"");
}

TEST(ContentRoots, KeysAreComparedExactlyByCharacters2To4) {
    // "[DEFAULT]" is no default pair, but its "DEF" matches items named DEF...
    ContentRoots upper = roots_from("[DEFAULT]\r\nU\r\n", u"DEFs.htm");
    EXPECT_EQ(upper.default_root, u"");
    EXPECT_EQ(upper.content_root, u"U");
    EXPECT_EQ(roots_from("[DEFAULT]\r\nU\r\n", u"def.htm").content_root, u"");
    // ... and the default pair is a root pair for items beginning with "def".
    EXPECT_EQ(roots_from("[default]\r\nD\r\n[f12]\r\nF\r\n", u"default.htm").content_root, u"D");
    // Only three characters count, and nothing is trimmed.
    EXPECT_EQ(roots_from("xf12 tail\r\nT\r\n", u"f12.htm").content_root, u"T");
    EXPECT_EQ(roots_from("[ f12]\r\nT\r\n", u"f12.htm").content_root, u"");
    EXPECT_EQ(roots_from("[default] \r\nT\r\n", u"x.htm").default_root, u"");
    // A short item name is compared whole against the shorter key part.
    EXPECT_EQ(roots_from("[ab\r\nT\r\n", u"ab").content_root, u"T");
}

TEST(ContentRoots, AnUnpairedKeyIsReadPastTheEnd) {
    EXPECT_EQ(error_of([] { roots_from("[default]\r\nC:\\Book\r\n[f12]", u"f.htm"); }),
              ErrorCode::ReadPastEnd);
    // One empty line after the last pair is a key without a value.
    EXPECT_EQ(error_of([] { roots_from(kExampleConfiguration + "\r\n", u"f.htm"); }),
              ErrorCode::ReadPastEnd);
    EXPECT_EQ(roots_from(kExampleConfiguration, u"p03.htm").content_root, u"E:\\Pages");
    // The last value needs no line end.
    EXPECT_EQ(roots_from("[f12]\r\nX", u"f12.htm").content_root, u"X");
}

TEST(ItemStem, LastFourCharactersAndOneMark) {
    ItemStem only_extension = item_stem(u".htm");
    EXPECT_EQ(only_extension.stem, u"");
    EXPECT_FALSE(only_extension.self_answer);
    ItemStem marks = item_stem(u"f1!!.htm");
    EXPECT_EQ(marks.stem, u"f1!");
    EXPECT_TRUE(marks.self_answer);
    EXPECT_TRUE(item_stem(u"!.htm").self_answer);
    EXPECT_EQ(item_stem(u"f1.htm\"").stem, u"f1.");
    EXPECT_EQ(item_stem(u"  p07.htm  ").stem, u"p07");
    EXPECT_EQ(error_of([] { item_stem(u"htm"); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(error_of([] { item_stem(u"  a.b  "); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(error_of([] { item_stem(u""); }), ErrorCode::InvalidArgument);
}

TEST(PageName, CutFromTheUntrimmedName) {
    EXPECT_EQ(page_name(u"p07.htm  "), u"p07.h");
    EXPECT_EQ(page_name(u"  p07.htm"), u"p07");
    EXPECT_EQ(page_name(u"p07!.htm"), u"p07!");
    EXPECT_EQ(page_name(u".htm"), u"");
    EXPECT_EQ(error_of([] { page_name(u"abc"); }), ErrorCode::InvalidArgument);
}

}  // namespace
}  // namespace orn
