// Pictures: the decode scale, what does not decode, the memory budget.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/errors.h"
#include "runtime/picture.h"
#include "temp_tree.h"

namespace orn {
namespace {

std::string sample(const std::string& relative) {
    const char* source = std::getenv("ORN_SOURCE_DIR");
    return std::string(source ? source : ".") + "/data/drive_c/" + relative;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

ErrorCode load_error(const std::string& host_path, double scale = 1.0) {
    try {
        load_picture_file(host_path, from_utf8(host_path), scale);
    } catch (const RuntimeError& error) {
        return error.code();
    }
    ADD_FAILURE() << host_path << " loaded";
    return ErrorCode::Overflow;
}

TEST(Picture, DecodesAtTheSmallestDctScaleThatCoversTheShownSize) {
    EXPECT_EQ(dct_denominator(800, 600, 1.0), 1);
    EXPECT_EQ(dct_denominator(800, 600, 1.1), 1) << "nothing decodes larger than the picture";
    EXPECT_EQ(dct_denominator(800, 600, 0.5), 2);
    EXPECT_EQ(dct_denominator(801, 601, 0.5), 2) << "ceil(801/2) covers floor(400.5)";
    EXPECT_EQ(dct_denominator(800, 600, 0.3), 2);
    EXPECT_EQ(dct_denominator(800, 600, 0.25), 4);
    EXPECT_EQ(dct_denominator(800, 600, 0.12), 8);

    auto picture = load_picture_file(sample("Book/jpg/f01_1.jpg"), u"f01_1.jpg", 0.5);
    EXPECT_EQ(picture->width(), 800);
    EXPECT_EQ(picture->height(), 600);
    EXPECT_EQ(picture->decoded_width(), 400);
    EXPECT_EQ(picture->decoded_height(), 300);

    auto full = load_picture_file(sample("Book/jpg/f01_1.jpg"), u"f01_1.jpg", 1.0);
    EXPECT_EQ(full->decoded_width(), 800);
}

TEST(Picture, WhatIsNoReadableJpegIsAnInvalidPicture) {
    test::TempTree tree;
    std::string jpeg = read_file(sample("Book/jpg/f01_2.jpg"));
    ASSERT_GT(jpeg.size(), 1000u);
    EXPECT_EQ(load_error(tree.write("empty.jpg", "")), ErrorCode::InvalidPicture);
    EXPECT_EQ(load_error(tree.write("text.jpg", "not a picture at all")),
              ErrorCode::InvalidPicture);
    EXPECT_EQ(load_error(tree.write("png.jpg", "\x89PNG\r\n\x1a\n....")),
              ErrorCode::InvalidPicture);
    EXPECT_EQ(load_error(tree.write("header-only.jpg", jpeg.substr(0, 300))),
              ErrorCode::InvalidPicture);
    EXPECT_EQ(load_error(tree.write("half.jpg", jpeg.substr(0, jpeg.size() / 2))),
              ErrorCode::InvalidPicture);
    std::string broken = jpeg;
    for (std::size_t i = 20; i < 400; ++i)
        broken[i] = '\x55';  // tables and frame header overwritten
    EXPECT_EQ(load_error(tree.write("broken.jpg", broken)), ErrorCode::InvalidPicture);
    EXPECT_EQ(load_error(tree.root() + "/missing.jpg"), ErrorCode::FileNotFound);
}

// A frame header that claims 65000 x 65000 pixels: refused from the header
// alone, before the decoder allocates anything.
TEST(Picture, APictureBeyondTheMemoryBudgetIsOutOfMemory) {
    test::TempTree tree;
    std::string header(
        "\xFF\xD8\xFF\xC0\x00\x11\x08\xFD\xE8\xFD\xE8\x03"
        "\x01\x22\x00\x02\x11\x01\x03\x11\x01",
        21);
    std::string path = tree.write("huge.jpg", header);
    EXPECT_EQ(load_error(path, 1.0), ErrorCode::OutOfMemory);
    EXPECT_EQ(load_error(path, 0.01), ErrorCode::OutOfMemory) << "even at 1/8 it is 8125 x 8125";
    // Within the budget at 1/8, the same header reaches the decoder, which
    // finds no picture data.
    std::string small_header(
        "\xFF\xD8\xFF\xC0\x00\x11\x08\x27\x10\x27\x10\x03"
        "\x01\x22\x00\x02\x11\x01\x03\x11\x01",
        21);
    EXPECT_EQ(load_error(tree.write("big.jpg", small_header), 0.1), ErrorCode::InvalidPicture);
}

TEST(Picture, AnUnchangedFileIsNotDecodedAgainAndAChangedOneIs) {
    test::TempTree tree;
    std::string path = tree.write("f.jpg", read_file(sample("Book/jpg/f01_2.jpg")));
    auto first = load_picture_file(path, u"f.jpg", 0.5);
    EXPECT_EQ(load_picture_file(path, u"f.jpg", 0.4), first) << "same bytes, same scale";
    EXPECT_NE(load_picture_file(path, u"f.jpg", 1.0), first) << "another scale decodes anew";
    tree.write("f.jpg", read_file(sample("Book/jpg/f01_1.jpg")));
    auto changed = load_picture_file(path, u"f.jpg", 0.5);
    EXPECT_EQ(changed->width(), 800);
    tree.write("f.jpg", "");
    EXPECT_EQ(load_error(path, 0.5), ErrorCode::InvalidPicture) << "read again every time";
}

TEST(Picture, ADecodeStartedAheadIsTakenOnlyForTheSameFile) {
    test::TempTree tree;
    test::ScopedWinePrefix prefix(tree);
    tree.write("drive_c/a.jpg", read_file(sample("Book/jpg/f01_2.jpg")));
    decode_picture_ahead([] { return Text(u"C:\\a.jpg"); }, 0.5);
    auto picture = LoadPicture(u"C:\\a.jpg", 0.5);
    EXPECT_EQ(picture->decoded_width(), 160);

    // Errors met ahead are raised by the load itself, in its place.
    decode_picture_ahead([]() -> Text { raise_error(ErrorCode::ReadPastEnd); }, 0.5);
    decode_picture_ahead([] { return Text(u"C:\\missing.jpg"); }, 0.5);
    try {
        LoadPicture(u"C:\\missing.jpg", 0.5);
        FAIL() << "a missing picture loaded";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.code(), ErrorCode::FileNotFound);
    }
    EXPECT_EQ(LoadPicture(u"C:\\a.jpg", 0.5), picture);
}

}  // namespace
}  // namespace orn
