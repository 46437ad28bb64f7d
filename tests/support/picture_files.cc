#include "picture_files.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <vector>

namespace orn::test {

namespace {

void put16(std::string& out, int value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

// LSB-first codes of a fixed width, in sub-blocks of at most 255 bytes.
class CodeWriter {
  public:
    void put(unsigned code, int width) {
        bits_ |= code << filled_;
        filled_ += width;
        while (filled_ >= 8) flush_byte();
    }
    std::string finish() {
        if (filled_ > 0) flush_byte();
        std::string blocks;
        for (std::size_t at = 0; at < bytes_.size(); at += 255) {
            std::size_t size = std::min<std::size_t>(255, bytes_.size() - at);
            blocks += static_cast<char>(size);
            blocks.append(bytes_, at, size);
        }
        return blocks + '\0';
    }

  private:
    void flush_byte() {
        bytes_ += static_cast<char>(bits_ & 0xff);
        bits_ >>= 8;
        filled_ = std::max(0, filled_ - 8);
    }
    std::string bytes_;
    unsigned bits_ = 0;
    int filled_ = 0;
};

// One frame whose pixels are palette indices: a clear code before every
// two pixels keeps the codes 3 bits wide, so no table is needed.
std::string gif_frame(int width, int height, const std::vector<int>& indices) {
    constexpr unsigned kClear = 4, kEnd = 5;
    std::string frame = "\x2C";
    put16(frame, 0), put16(frame, 0), put16(frame, width), put16(frame, height);
    frame += '\0';  // no local palette, not interlaced
    frame += '\2';  // minimum code size
    CodeWriter codes;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % 2 == 0) codes.put(kClear, 3);
        codes.put(static_cast<unsigned>(indices[i]), 3);
    }
    codes.put(kEnd, 3);
    return frame + codes.finish();
}

std::string gif(int width, int height, std::uint32_t top, std::uint32_t bottom,
                std::uint32_t later) {
    std::string out = "GIF89a";
    put16(out, width), put16(out, height);
    out += '\x81', out += '\0', out += '\0';  // a 4-entry palette
    for (std::uint32_t colour : {top, bottom, later, 0u})
        for (int shift : {16, 8, 0}) out += static_cast<char>((colour >> shift) & 0xff);
    std::vector<int> first, second(std::size_t(width) * height, 2);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) first.push_back(y < height / 2 ? 0 : 1);
    return out + gif_frame(width, height, first) + gif_frame(width, height, second) + ';';
}

std::string saved_by_pixbuf(const char* format, int width, int height, std::uint32_t top,
                            std::uint32_t bottom) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
    int half = height / 2;
    GdkPixbuf* upper = gdk_pixbuf_new_subpixbuf(pixbuf, 0, 0, width, half);
    GdkPixbuf* lower = gdk_pixbuf_new_subpixbuf(pixbuf, 0, half, width, height - half);
    gdk_pixbuf_fill(upper, top << 8 | 0xff);
    gdk_pixbuf_fill(lower, bottom << 8 | 0xff);
    g_object_unref(upper);
    g_object_unref(lower);
    gchar* buffer = nullptr;
    gsize size = 0;
    gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, format, nullptr, nullptr);
    std::string bytes(buffer ? buffer : "", buffer ? size : 0);
    g_free(buffer);
    g_object_unref(pixbuf);
    return bytes;
}

}  // namespace

std::string two_colour_picture(const std::string& format, int width, int height, std::uint32_t top,
                               std::uint32_t bottom, std::uint32_t later) {
    if (format == "gif") return gif(width, height, top, bottom, later);
    return saved_by_pixbuf(format.c_str(), width, height, top, bottom);
}

}  // namespace orn::test
