// Hostile headers of pictures other than JPEG: sizes, offsets and palettes
// that name more than the file holds or a picture may take are refused
// before the decoders allocate what they name.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "picture_files.h"
#include "runtime/errors.h"
#include "runtime/picture.h"
#include "temp_tree.h"

#if defined(__SANITIZE_ADDRESS__)
#define ORN_TEST_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORN_TEST_ADDRESS_SANITIZER 1
#endif
#endif

namespace orn {
namespace {

std::string le16(unsigned value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)};
}
std::string le32(std::uint32_t value) {
    return le16(value & 0xFFFF) + le16(value >> 16);
}
void put_le32(std::string& bytes, std::size_t at, std::uint32_t value) {
    bytes.replace(at, 4, le32(value));
}
std::string be32(std::uint32_t value) {
    std::string bytes = le32(value);
    return {bytes.rbegin(), bytes.rend()};
}

// The checksum a PNG chunk ends with (CRC-32), which its decoder checks.
std::uint32_t crc32_of(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return crc ^ 0xFFFFFFFF;
}

// A BMP of 8-bit runs (whose decoder clears the whole picture before the
// runs are drawn) that names its size and its count of colours.
std::string run_length_bmp(std::int32_t width, std::int32_t height, std::uint32_t colours) {
    std::string info = le32(40) + le32(static_cast<std::uint32_t>(width)) +
                       le32(static_cast<std::uint32_t>(height)) + le16(1) + le16(8) +
                       le32(1) /* 8-bit runs */ + le32(0) + le32(2835) + le32(2835) +
                       le32(colours) + le32(0);
    std::string palette = le32(0x00C02020) + le32(0x002020C0);
    std::string runs("\x04\x01\x00\x01", 4);  // four pixels of colour 1, the end
    std::uint32_t offset = 14 + 40 + 8;
    return "BM" + le32(offset + 4) + le32(0) + le32(offset) + info + palette + runs;
}

std::string write_and_load_error(test::TempTree& tree, const std::string& name,
                                 const std::string& bytes) {
    std::string path = tree.write(name, bytes);
    try {
        load_picture_file(path, from_utf8(path), 1.0);
    } catch (const RuntimeError& error) {
        return error.code() == ErrorCode::InvalidPicture ? "invalid picture"
               : error.code() == ErrorCode::OutOfMemory  ? "out of memory"
                                                         : "another error";
    }
    return "loaded";
}

// Runs check in a process of its own (a new run of this test binary), so
// that the peak memory and the limits it sees are its alone, and expects it
// to return true; it tells on standard error why not.
void expect_in_own_process(const std::function<bool()>& check) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::_Exit(check() ? 0 : 1), testing::ExitedWithCode(0), "");
}

long peak_resident_kib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The most address space this process has held, in KiB ("VmPeak").
long peak_address_space_kib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmPeak:")) return std::stol(line.substr(7));
    return 0;
}

// A PNG whose header names width x height (its checksum made to match).
std::string png_naming(std::uint32_t width, std::uint32_t height) {
    std::string png = test::two_colour_picture("png", 8, 8, 0, 0);
    constexpr std::size_t kHeader = 12, kHeaderEnd = 29;  // "IHDR" and its fields
    if (png.size() < kHeaderEnd + 4) return png;
    png.replace(kHeader + 4, 8, be32(width) + be32(height));
    png.replace(kHeaderEnd, 4, be32(crc32_of(png.substr(kHeader, kHeaderEnd - kHeader))));
    return png;
}

// Found by probing the decoders and by fuzzing: told a size beyond the
// budget, the BMP and PNG decoders still allocated and filled the whole
// picture before the next write could stop them: 2 GiB for this 66-byte
// BMP, 3.4 GiB for the PNG, most of a minute. A picture beyond the budget
// now takes no memory to refuse.
TEST(PictureHeaders, APictureBeyondTheBudgetTakesNoMemoryToRefuse) {
    expect_in_own_process([] {
        test::TempTree tree;
        long resident = peak_resident_kib(), address_space = peak_address_space_kib();
        std::string outcomes =
            write_and_load_error(tree, "runs.jpg", run_length_bmp(23000, 23000, 2)) + ", " +
            write_and_load_error(tree, "png.jpg", png_naming(30000, 30000));
        long resident_mib = (peak_resident_kib() - resident) / 1024;
        long address_space_mib = (peak_address_space_kib() - address_space) / 1024;
        std::fprintf(stderr, "%s; peak memory grew by %ld MiB, address space by %ld MiB\n",
                     outcomes.c_str(), resident_mib, address_space_mib);
#ifdef ORN_TEST_ADDRESS_SANITIZER
        address_space_mib = 0;  // the sanitizer reserves its own at will
#endif
        return outcomes == "out of memory, out of memory" && resident_mib < 64 &&
               address_space_mib < 256;
    });
}

// Found by fuzzing and by probing the decoders: a BMP counting billions of
// colours, an icon whose directory points gigabytes past its end, or one
// whose bitmap counts a palette of gigabytes made the decoders allocate
// those gigabytes for a file of a few hundred bytes. Where they cannot be
// had (here, an address space of 1 GiB) that ended as "Out of memory";
// they are invalid pictures, whatever the memory.
TEST(PictureHeaders, HeadersNamingMoreThanTheFileHoldsAreInvalidPictures) {
    std::string bmp = run_length_bmp(4, 1, 0xFFFFFF02);  // -254 colours, as a signed count
    std::string far_ico = test::two_colour_picture("ico", 8, 8, 0, 0);
    ASSERT_GT(far_ico.size(), 22u + 40);
    std::string palette_ico = far_ico;
    put_le32(far_ico, 6 + 12, 0x7FFFFF00);       // the first bitmap's offset
    put_le32(palette_ico, 22 + 32, 0x1C000000);  // its count of colours
    auto outcomes = [&] {
        test::TempTree tree;
        return write_and_load_error(tree, "colours.jpg", bmp) + ", " +
               write_and_load_error(tree, "far.jpg", far_ico) + ", " +
               write_and_load_error(tree, "palette.jpg", palette_ico);
    };
    const std::string expected = "invalid picture, invalid picture, invalid picture";
    EXPECT_EQ(outcomes(), expected);
#ifndef ORN_TEST_ADDRESS_SANITIZER  // whose shadow memory needs more than the limit
    expect_in_own_process([&] {
        constexpr rlim_t kAddressSpace = rlim_t{1} << 30;
        rlimit limit{kAddressSpace, kAddressSpace};
        setrlimit(RLIMIT_AS, &limit);
        std::string seen = outcomes();
        std::fprintf(stderr, "with 1 GiB of address space: %s\n", seen.c_str());
        return seen == expected;
    });
#endif
}

}  // namespace
}  // namespace orn
