// Pictures: the decode scale, the decoded pixels of every kind of JPEG,
// what does not decode, the memory budget.
#include <gtest/gtest.h>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <cstddef>
#include <cstdio>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <future>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "picture_files.h"
#include "runtime/errors.h"
#include "runtime/picture.h"
#include "runtime/shared_surface.h"
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

// How a test picture is stored.
enum class Kind { Rgb, Progressive, Gray, Cmyk, Ycck };

const char* name_of(Kind kind) {
    switch (kind) {
        case Kind::Rgb:
            return "rgb";
        case Kind::Progressive:
            return "progressive";
        case Kind::Gray:
            return "gray";
        case Kind::Cmyk:
            return "cmyk";
        case Kind::Ycck:
            return "ycck";
    }
    return "?";
}

// A real JPEG from libjpeg's encoder, its pixels painted as 0xRRGGBB: YCbCr
// 4:2:0 (baseline or progressive), grayscale (the red channel), or CMYK
// stored inverted with an Adobe marker, as Photoshop writes it (plain or
// YCCK-transformed).
std::string encode_jpeg(int width, int height, Kind kind,
                        const std::function<std::uint32_t(int x, int y)>& paint) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    bool gray = kind == Kind::Gray, cmyk = kind == Kind::Cmyk || kind == Kind::Ycck;
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = gray ? 1 : cmyk ? 4 : 3;
    info.in_color_space = gray ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (kind == Kind::Ycck) jpeg_set_colorspace(&info, JCS_YCCK);
    if (kind == Kind::Progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * info.input_components);
    for (int y = 0; y < height; ++y) {
        JSAMPLE* out = row.data();
        for (int x = 0; x < width; ++x) {
            std::uint32_t rgb = paint(x, y);
            unsigned r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
            if (gray) {
                *out++ = static_cast<JSAMPLE>(r);
            } else if (cmyk) {
                // Inverted: a channel is the colour's share of K, K the lightest.
                unsigned k = std::max({r, g, b});
                for (unsigned c : {r, g, b}) *out++ = static_cast<JSAMPLE>(k ? c * 255 / k : 0);
                *out++ = static_cast<JSAMPLE>(k);
            } else {
                for (unsigned c : {r, g, b}) *out++ = static_cast<JSAMPLE>(c);
            }
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

// The decoded pixel at (x, y) as 0xRRGGBB, once its row is in. Cairo's
// RGB24 pixel is a native 32-bit word: bytes B, G, R, X in memory on a
// little-endian machine.
std::uint32_t pixel(const Picture& picture, int x, int y) {
    picture.wait_for_rows(y + 1);
    cairo_surface_t* surface = picture.surface();
    const unsigned char* row =
        cairo_image_surface_get_data(surface) +
        static_cast<std::size_t>(y) * cairo_image_surface_get_stride(surface);
    std::uint32_t value;
    std::memcpy(&value, row + static_cast<std::size_t>(x) * 4, 4);
    return value & 0xFFFFFF;
}

::testing::AssertionResult near_colour(std::uint32_t actual, std::uint32_t expected) {
    for (int shift : {16, 8, 0}) {
        int a = int(actual >> shift & 0xFF), e = int(expected >> shift & 0xFF);
        if (std::abs(a - e) > 12)
            return ::testing::AssertionFailure()
                   << std::hex << "0x" << actual << " is not near 0x" << expected;
    }
    return ::testing::AssertionSuccess();
}

TEST(Picture, DecodesAtTheSmallestEighthThatCoversTheShownSize) {
    EXPECT_EQ(dct_scale_eighths(800, 600, 1.0), 8);
    EXPECT_EQ(dct_scale_eighths(800, 600, 1.1), 8) << "nothing decodes larger than the picture";
    EXPECT_EQ(dct_scale_eighths(800, 600, 3.0), 8);
    EXPECT_EQ(dct_scale_eighths(800, 600, 0.9), 8) << "7/8 gives 700 < 720";
    EXPECT_EQ(dct_scale_eighths(800, 600, 0.6), 5) << "4/8 gives 400 < 480, 5/8 gives 500";
    EXPECT_EQ(dct_scale_eighths(6000, 4000, 0.6), 5);
    EXPECT_EQ(dct_scale_eighths(800, 600, 0.5), 4);
    EXPECT_EQ(dct_scale_eighths(801, 601, 0.5), 4) << "ceil(801*4/8) = 401 covers floor(400.5)";
    EXPECT_EQ(dct_scale_eighths(800, 600, 0.3), 3);
    EXPECT_EQ(dct_scale_eighths(800, 600, 0.25), 2);
    EXPECT_EQ(dct_scale_eighths(800, 600, 0.12), 1);
    // Rounding up can cover the shown size below display_scale * 8.
    EXPECT_EQ(dct_scale_eighths(9, 9, 0.5), 3) << "ceil(27/8) = 4 covers floor(4.5)";
    EXPECT_EQ(dct_scale_eighths(7, 7, 1.0), 8) << "at full size the file's own pixels, "
                                                  "though 7/8 would give as many";
    // Each side must be covered: here the tall or the wide one decides.
    EXPECT_EQ(dct_scale_eighths(8, 600, 0.3), 3);
    EXPECT_EQ(dct_scale_eighths(600, 8, 0.3), 3);

    EXPECT_EQ(dct_scaled_size(801, 4), 401);
    EXPECT_EQ(dct_scaled_size(203, 5), 127);
    EXPECT_EQ(dct_scaled_size(7, 1), 1);
    EXPECT_EQ(dct_scaled_size(65535, 8), 65535);

    auto picture = load_picture_file(sample("Book/jpg/f01_1.jpg"), u"f01_1.jpg", 0.5);
    EXPECT_EQ(picture->width(), 800);
    EXPECT_EQ(picture->height(), 600);
    EXPECT_EQ(picture->decoded_width(), 400);
    EXPECT_EQ(picture->decoded_height(), 300);

    auto full = load_picture_file(sample("Book/jpg/f01_1.jpg"), u"f01_1.jpg", 1.0);
    EXPECT_EQ(full->decoded_width(), 800);
}

// Four bands, 64 pixels wide (whole 16-pixel blocks, so that no colour
// bleeds into the next through the halved chroma), decoded at several
// scales: the size libjpeg gives, and each band's colour in the middle.
TEST(Picture, EveryKindOfJpegDecodesToItsColoursAtEveryScale) {
    test::TempTree tree;
    const std::uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0x804020};
    const std::uint32_t greys[] = {0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF};
    struct Scale {
        double display;
        int width, height;  // 256x48 at M/8, rounded up
    };
    const Scale scales[] = {
        {1.0, 256, 48}, {2.0, 256, 48}, {0.6, 160, 30}, {0.3, 96, 18}, {0.1, 32, 6}};
    for (Kind kind : {Kind::Rgb, Kind::Progressive, Kind::Gray, Kind::Cmyk, Kind::Ycck}) {
        const std::uint32_t* bands = kind == Kind::Gray ? greys : colours;
        std::string path =
            tree.write(std::string(name_of(kind)) + ".jpg",
                       encode_jpeg(256, 48, kind, [&](int x, int) { return bands[x / 64]; }));
        for (const Scale& scale : scales) {
            SCOPED_TRACE(std::string(name_of(kind)) + " at " + std::to_string(scale.display));
            auto picture = load_picture_file(path, u"f.jpg", scale.display);
            ASSERT_EQ(cairo_image_surface_get_format(picture->surface()), CAIRO_FORMAT_RGB24);
            EXPECT_EQ(picture->width(), 256);
            EXPECT_EQ(picture->height(), 48);
            ASSERT_EQ(picture->decoded_width(), scale.width);
            ASSERT_EQ(picture->decoded_height(), scale.height);
            for (int band = 0; band < 4; ++band) {
                int x = (band * 64 + 32) * scale.width / 256;
                EXPECT_TRUE(near_colour(pixel(*picture, x, scale.height / 2), bands[band]))
                    << "band " << band;
            }
        }
    }
}

TEST(Picture, OddSizesDecodeToTheRoundedUpEighth) {
    test::TempTree tree;
    std::string path =
        tree.write("odd.jpg", encode_jpeg(203, 101, Kind::Rgb, [](int, int) { return 0x2060A0u; }));
    auto picture = load_picture_file(path, u"odd.jpg", 0.6);  // shown 121x60
    EXPECT_EQ(picture->decoded_width(), 127);
    EXPECT_EQ(picture->decoded_height(), 64);
    EXPECT_TRUE(near_colour(pixel(*picture, 126, 63), 0x2060A0)) << "the last pixel is written";
}

TEST(Picture, WhatIsNoReadableJpegIsAnInvalidPicture) {
    test::TempTree tree;
    std::string jpeg = read_file(sample("Book/jpg/f01_2.jpg"));
    ASSERT_GT(jpeg.size(), 1000u);
    EXPECT_EQ(load_error(tree.write("empty.jpg", "")), ErrorCode::InvalidPicture);
    EXPECT_EQ(load_error(tree.write("text.jpg", "not a picture at all")),
              ErrorCode::InvalidPicture);
    EXPECT_EQ(load_error(tree.write("png.jpg", "\x89PNG\r\n\x1a\n....")), ErrorCode::InvalidPicture)
        << "a PNG header without a picture";
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

// Found by fuzzing: a BMP whose header names a data offset and a header size
// of gigabytes made the BMP decoder allocate them before announcing a size.
TEST(Picture, ABmpHeaderNamingGigabytesIsAnInvalidPictureAtOnce) {
    test::TempTree tree;
    std::string bmp("BM\x40\0\0\0\0\0\0\0\x0f\0\0\xff\x0f\0\0\xff", 18);
    bmp += std::string(46, '\0');
    EXPECT_EQ(load_error(tree.write("huge-header.jpg", bmp)), ErrorCode::InvalidPicture);
}

// BMP, GIF, ICO and PNG in a file named .jpg are taken by their content,
// whole at any scale, a GIF's first frame only; whatever else is no JPEG,
// or is one of them broken, is an invalid picture.
TEST(Picture, OtherFormatsAreTakenByTheirContent) {
    test::TempTree tree;
    constexpr std::uint32_t kTop = 0xC02020, kBottom = 0x2020C0;
    for (const char* format : {"bmp", "gif", "ico", "png"}) {
        std::string bytes = test::two_colour_picture(format, 64, 48, kTop, kBottom);
        ASSERT_GT(bytes.size(), 20u) << format << " not written";
        std::string path = tree.write(std::string(format) + ".jpg", bytes);
        for (double scale : {0.5, 1.0, 1.7}) {
            auto picture = load_picture_file(path, from_utf8(path), scale);
            EXPECT_EQ(picture->width(), 64) << format;
            EXPECT_EQ(picture->height(), 48) << format;
            EXPECT_EQ(picture->decoded_width(), 64) << format << " at " << scale;
            EXPECT_TRUE(picture->complete()) << format;
            for (int x : {0, 63}) {
                EXPECT_TRUE(near_colour(pixel(*picture, x, 0), kTop)) << format << " top";
                EXPECT_TRUE(near_colour(pixel(*picture, x, 23), kTop)) << format << " top";
                EXPECT_TRUE(near_colour(pixel(*picture, x, 24), kBottom)) << format << " bottom";
                EXPECT_TRUE(near_colour(pixel(*picture, x, 47), kBottom)) << format << " bottom";
            }
        }
        // Cut short, each of them fails as a JPEG cut short does.
        EXPECT_EQ(
            load_error(tree.write(std::string("short-") + format + ".jpg", bytes.substr(0, 30))),
            ErrorCode::InvalidPicture)
            << format;
    }
    EXPECT_EQ(load_error(tree.write("tiff.jpg", std::string("II*\0\x08\0\0\0....", 12))),
              ErrorCode::InvalidPicture);
    EXPECT_EQ(load_error(tree.write("bm.jpg", "BM but no bitmap")), ErrorCode::InvalidPicture);
}

// A BMP claiming more pixels than a picture may take fails as out of memory.
TEST(Picture, AnOtherFormatBeyondTheMemoryBudgetIsOutOfMemory) {
    test::TempTree tree;
    std::string bmp = test::two_colour_picture("bmp", 8, 8, 0, 0);
    ASSERT_GT(bmp.size(), 26u);
    for (int at : {18, 22}) {  // width and height, 32-bit little-endian
        bmp[at] = 0, bmp[at + 1] = 0x80, bmp[at + 2] = 0, bmp[at + 3] = 0;  // 32768
    }
    EXPECT_EQ(load_error(tree.write("big.jpg", bmp)), ErrorCode::OutOfMemory);

    // Found by fuzzing: the GIF decoder allocated the canvas a header named
    // (65535x65496, 16 GiB) before announcing any size.
    std::string gif = test::two_colour_picture("gif", 8, 8, 0, 0);
    ASSERT_GT(gif.size(), 10u);
    gif[6] = '\xFF', gif[7] = '\xFF', gif[8] = '\xD8', gif[9] = '\xFF';
    EXPECT_EQ(load_error(tree.write("big-screen.jpg", gif)), ErrorCode::OutOfMemory);
}

// The position of a file's first segment with this marker (0xFF, marker).
std::size_t find_segment(const std::string& jpeg, unsigned char marker) {
    return jpeg.find(std::string{'\xFF', static_cast<char>(marker)});
}

// Errors inside the decoder itself come back as Invalid picture and leave
// the program running; damaged picture data is no error.
TEST(Picture, TheDecodersOwnErrorsAreInvalidPicturesAndDamagedDataIsNot) {
    test::TempTree tree;
    auto stripes = [](int x, int y) { return (x / 8 + y / 8) % 2 ? 0xFFFFFFu : 0x000000u; };
    std::string jpeg = encode_jpeg(64, 64, Kind::Rgb, stripes);

    // Without quantisation tables, which only the decoder misses.
    std::string no_tables = jpeg;
    for (std::size_t at; (at = find_segment(no_tables, 0xDB)) != std::string::npos;) {
        std::size_t length = std::size_t(static_cast<unsigned char>(no_tables[at + 2])) << 8 |
                             static_cast<unsigned char>(no_tables[at + 3]);
        no_tables.erase(at, 2 + length);
    }
    EXPECT_EQ(load_error(tree.write("no-tables.jpg", no_tables)), ErrorCode::InvalidPicture);
    EXPECT_EQ(load_error(tree.write("no-tables-small.jpg", no_tables), 0.3),
              ErrorCode::InvalidPicture);

    // Scan data overwritten (no 0xFF, so no marker appears): the decoder
    // warns, fills in what it could not read, and the picture shows.
    std::string damaged = jpeg;
    std::size_t scan = find_segment(damaged, 0xDA);
    ASSERT_NE(scan, std::string::npos);
    for (std::size_t i = scan + 20; i < damaged.size() - 40; i += 3) damaged[i] = '\x5A';
    std::string path = tree.write("damaged.jpg", damaged);
    ::testing::internal::CaptureStderr();
    auto picture = load_picture_file(path, u"damaged.jpg", 1.0);
    picture->wait_for_rows(picture->decoded_height());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "the decoder's warnings are quiet";
    EXPECT_EQ(picture->decoded_width(), 64);

    // Cut short: still refused before decoding, as the decoder would fill
    // the rest with grey.
    EXPECT_EQ(load_error(tree.write("cut.jpg", jpeg.substr(0, jpeg.size() - 2))),
              ErrorCode::InvalidPicture);
}

// A frame header that claims 65000 x 65000 pixels: refused from the header
// alone, before the decoder allocates anything, at every scale whose
// surface (four bytes a pixel) exceeds the budget.
TEST(Picture, APictureBeyondTheMemoryBudgetIsOutOfMemory) {
    test::TempTree tree;
    std::string header(
        "\xFF\xD8\xFF\xC0\x00\x11\x08\xFD\xE8\xFD\xE8\x03"
        "\x01\x22\x00\x02\x11\x01\x03\x11\x01",
        21);
    std::string path = tree.write("huge.jpg", header);
    EXPECT_EQ(load_error(path, 1.0), ErrorCode::OutOfMemory);
    EXPECT_EQ(load_error(path, 0.5), ErrorCode::OutOfMemory);
    EXPECT_EQ(load_error(path, 0.2), ErrorCode::OutOfMemory) << "2/8 is 16250 x 16250";
    // At 1/8 (8125 x 8125, 252 MiB) it is within the budget: the same
    // header then fails as the picture it is not.
    EXPECT_EQ(load_error(path, 0.1), ErrorCode::InvalidPicture);
}

// A progressive file keeps all of its coefficients at full size while it is
// decoded, however small the result: 16000 x 16000 pixels in 4:2:0 need
// 768 MB of them, for a 2000 x 2000 surface at 1/8. The decoder is held to the
// budget and the picture fails with Out of memory before taking it.
TEST(Picture, AProgressiveFileWhoseDecodeNeedsMoreThanTheBudgetIsOutOfMemory) {
    test::TempTree tree;
    std::string jpeg = encode_jpeg(16, 16, Kind::Progressive, [](int, int) { return 0x808080u; });
    std::size_t frame = find_segment(jpeg, 0xC2);
    ASSERT_NE(frame, std::string::npos);
    std::string large = jpeg;
    for (std::size_t at : {frame + 5, frame + 7}) {  // height, then width: 16000
        large[at] = static_cast<char>(16000 >> 8);
        large[at + 1] = static_cast<char>(16000 & 0xFF);
    }
    std::string path = tree.write("large.jpg", large);
    try {
        load_picture_file(path, u"large.jpg", 0.1);
        ADD_FAILURE() << "a picture beyond the budget loaded";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.code(), ErrorCode::OutOfMemory);
        EXPECT_NE(error.detail().find("more memory than a picture may take"), std::string::npos)
            << error.detail();
    }
    EXPECT_EQ(load_picture_file(tree.write("small.jpg", jpeg), u"small.jpg", 0.1)->decoded_width(),
              2);
}

// A scan bomb: a small progressive file whose last scan is repeated
// thousands of times. The decoder would go over every block once per scan,
// for many seconds; the file is refused after a bounded number of scans,
// at once, while an ordinary progressive file of the same picture loads.
TEST(Picture, AFileWithThousandsOfScansIsRefusedWithinASecond) {
    test::TempTree tree;
    auto grey = [](int, int) { return 0x808080u; };
    std::string jpeg = encode_jpeg(1024, 1024, Kind::Progressive, grey);
    std::size_t last_scan = jpeg.rfind(std::string{'\xFF', '\xDA'});
    ASSERT_NE(last_scan, std::string::npos);
    std::string scan = jpeg.substr(last_scan, jpeg.size() - 2 - last_scan);  // up to the EOI
    std::string bomb = jpeg.substr(0, jpeg.size() - 2);
    for (int i = 0; i < 20000; ++i) bomb += scan;
    bomb += "\xFF\xD9";

    auto started = std::chrono::steady_clock::now();
    try {
        load_picture_file(tree.write("bomb.jpg", bomb), u"bomb.jpg", 0.5);
        ADD_FAILURE() << "a file of 20000 scans loaded";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.code(), ErrorCode::InvalidPicture);
        EXPECT_NE(error.detail().find("scans"), std::string::npos) << error.detail();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    EXPECT_EQ(load_picture_file(tree.write("fine.jpg", jpeg), u"fine.jpg", 0.5)->decoded_width(),
              512);
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
    // One byte of scan data changed, the size the same: in the middle of the
    // file, and among its last bytes, which the change check takes one by one.
    std::string bytes = read_file(path);
    for (std::size_t at : {bytes.size() / 2, bytes.size() - 5}) {
        std::string edited = bytes;
        edited[at] = static_cast<char>(edited[at] == 0x10 ? 0x20 : 0x10);
        tree.write("f.jpg", edited);
        EXPECT_NE(load_picture_file(path, u"f.jpg", 0.5), changed) << "byte " << at;
        tree.write("f.jpg", bytes);
        changed = load_picture_file(path, u"f.jpg", 0.5);
    }
    tree.write("f.jpg", "");
    EXPECT_EQ(load_error(path, 0.5), ErrorCode::InvalidPicture) << "read again every time";
}

// A file is read and hashed a part at a time: one byte changed far into a
// large file (in comment segments after the start marker) is seen too.
TEST(Picture, AChangeFarIntoALargeFileIsSeen) {
    test::TempTree tree;
    std::string jpeg = read_file(sample("Book/jpg/f01_2.jpg"));
    std::string comments;
    for (int i = 0; i < 6; ++i)
        comments += std::string("\xFF\xFE\xEA\x60", 4) + std::string(0xEA5E, 'c');
    std::string large = jpeg.substr(0, 2) + comments + jpeg.substr(2);
    ASSERT_GT(large.size(), std::size_t{350000});
    std::string path = tree.write("large.jpg", large);
    auto first = load_picture_file(path, u"large.jpg", 0.5);
    EXPECT_EQ(first->decoded_width(), 160);
    EXPECT_EQ(load_picture_file(path, u"large.jpg", 0.5), first) << "unchanged";
    for (std::size_t at : {std::size_t{300000}, std::size_t{270000}}) {
        large[at] = static_cast<char>(large[at] + 1);
        tree.write("large.jpg", large);
        auto changed = load_picture_file(path, u"large.jpg", 0.5);
        EXPECT_NE(changed, first) << "byte " << at;
        first = changed;
    }
}

// At start-up the figure is decoded ahead and then loaded: LoadPicture
// takes that picture for the same bytes at the same scale, and decodes
// anything else anew. Errors met ahead are raised by the load itself.
TEST(Picture, AHeadStartIsTakenForTheSameBytesAndScaleOnly) {
    test::TempTree tree;
    test::ScopedWinePrefix prefix(tree);
    std::string small = read_file(sample("Book/jpg/f01_2.jpg"));
    std::string large = read_file(sample("Book/jpg/f01_1.jpg"));
    tree.write("drive_c/a.jpg", small);
    auto ahead = decode_picture_ahead([] { return Text(u"C:\\a.jpg"); }, 0.5);
    auto picture = LoadPicture(u"C:\\a.jpg", 0.5);
    ASSERT_TRUE(ahead.get()) << "nothing decoded ahead";
    EXPECT_EQ(picture, ahead.get()) << "the head start was not taken";
    EXPECT_EQ(picture->decoded_width(), 160);
    picture.reset();

    // Changed after the decode ahead, though with the same size and time.
    ahead = decode_picture_ahead([] { return Text(u"C:\\a.jpg"); }, 0.5);
    ASSERT_TRUE(ahead.get());
    std::string changed = small;
    changed[changed.size() - 3] ^= 0x01;  // entropy data, next to the end
    tree.write("drive_c/a.jpg", changed);
    picture = LoadPicture(u"C:\\a.jpg", 0.5);
    EXPECT_NE(picture, ahead.get()) << "a changed file was not read again";
    picture.reset();
    tree.write("drive_c/a.jpg", large);
    ahead = decode_picture_ahead([] { return Text(u"C:\\a.jpg"); }, 0.5);
    ASSERT_TRUE(ahead.get());
    tree.write("drive_c/a.jpg", small);
    EXPECT_EQ(LoadPicture(u"C:\\a.jpg", 0.5)->width(), 320) << "another file in its place";
    ahead = decode_picture_ahead([] { return Text(u"C:\\a.jpg"); }, 0.5);
    ASSERT_TRUE(ahead.get());
    EXPECT_EQ(LoadPicture(u"C:\\a.jpg", 1.0)->decoded_width(), 320) << "another scale";

    ahead = decode_picture_ahead([]() -> Text { raise_error(ErrorCode::ReadPastEnd); }, 0.5);
    EXPECT_FALSE(ahead.get());
    ahead = decode_picture_ahead([] { return Text(u"C:\\missing.jpg"); }, 0.5);
    EXPECT_FALSE(ahead.get());
    try {
        LoadPicture(u"C:\\missing.jpg", 0.5);
        FAIL() << "a missing picture loaded";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.code(), ErrorCode::FileNotFound);
    }
}

// Waits (up to 10 s) until every row of a picture holds its pixels.
bool wait_until_complete(const Picture& picture) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!picture.complete() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return picture.complete();
}

// 64 x 4000 pixels, red above row 2000 and blue below.
std::string tall_jpeg() {
    return encode_jpeg(64, 4000, Kind::Rgb,
                       [](int, int y) { return y < 2000 ? 0xC02020u : 0x2020C0u; });
}

// A figure decoded ahead comes back from LoadPicture once its header is
// read, before its rows are in; they follow on the decoding thread.
TEST(Picture, APictureDecodedAheadIsHandedOverBeforeItsRowsAndCompleted) {
    test::TempTree tree;
    test::ScopedWinePrefix prefix(tree);
    tree.write("drive_c/tall.jpg", tall_jpeg());
    auto ahead = decode_picture_ahead([] { return Text(u"C:\\tall.jpg"); }, 1.0);
    auto picture = LoadPicture(u"C:\\tall.jpg", 1.0);
    EXPECT_EQ(picture, ahead.get());
    EXPECT_GE(picture->wait_for_rows(1080), 1080);
    EXPECT_TRUE(near_colour(pixel(*picture, 32, 1000), 0xC02020));
    ASSERT_TRUE(wait_until_complete(*picture));
    EXPECT_TRUE(near_colour(pixel(*picture, 32, 3999), 0x2020C0)) << "the last row is written";
    EXPECT_EQ(LoadPicture(u"C:\\tall.jpg", 1.0), picture) << "the same file is not decoded again";
}

// The same for pictures loaded one after another, as zoom commands do: the
// second load starts while the first one's rows still come, and each
// picture's rows are its own.
TEST(Picture, PicturesLoadedInARowAreEachCompleted) {
    test::TempTree tree;
    std::string path = tree.write("tall.jpg", tall_jpeg());
    auto half = load_picture_file(path, u"tall.jpg", 0.5);
    auto large = load_picture_file(path, u"tall.jpg", 3.0);
    ASSERT_EQ(half->decoded_height(), 2000);
    ASSERT_EQ(large->decoded_height(), 4000);
    for (const auto& picture : {half, large}) {
        ASSERT_TRUE(wait_until_complete(*picture));
        int last = picture->decoded_height() - 1;
        EXPECT_TRUE(near_colour(pixel(*picture, 16, last / 3), 0xC02020)) << "row " << last / 3;
        EXPECT_TRUE(near_colour(pixel(*picture, 16, last), 0x2020C0)) << "row " << last;
        // Decoded into memory the display server can map, not a copy of it.
        EXPECT_GE(shared_memory_file_of(picture->surface()), 0);
    }
}

// Whoever waits for rows is woken as they come in: a wait for fewer rows
// than the picture has may return before the last row is decoded, and a
// wait for more than it has returns once all are in.
TEST(Picture, WaitingForRowsEndsAsTheyComeIn) {
    test::TempTree tree;
    std::string path = tree.write("tall.jpg", tall_jpeg());
    auto picture = load_picture_file(path, u"tall.jpg", 1.0);
    EXPECT_GE(picture->wait_for_rows(100), 100);
    EXPECT_EQ(picture->wait_for_rows(1 << 20), 4000);
    EXPECT_TRUE(picture->complete());
}

}  // namespace
}  // namespace orn
