#include "runtime/pixbuf_picture.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "runtime/shared_surface.h"

namespace orn {

namespace {

// What transparent parts of an icon or PNG show: the window's background.
constexpr std::uint32_t kBackgroundRed = 0xF0, kBackgroundGreen = 0xF0, kBackgroundBlue = 0xF0;
// Bytes handed to the loader at a time: the size it reports from the
// header is checked before the rest is read.
constexpr std::size_t kWritePart = std::size_t{64} << 10;

struct LoaderUnref {
    void operator()(GdkPixbufLoader* loader) const { g_object_unref(loader); }
};

// The size the header announces, checked against the budget.
struct Announced {
    std::size_t budget;
    bool too_large = false;
};

void check_size(GdkPixbufLoader* loader, int width, int height, gpointer data) {
    auto* announced = static_cast<Announced*>(data);
    auto pixels = std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0));
    announced->too_large = pixels > announced->budget / 4;
    // Asked for no pixels, the decoders stop here; else they allocate the
    // picture (the BMP one clears it whole) before the next write returns.
    if (announced->too_large) gdk_pixbuf_loader_set_size(loader, 0, 0);
}

std::uint32_t over_background(std::uint32_t value, std::uint32_t alpha, std::uint32_t background) {
    return (value * alpha + background * (255 - alpha) + 127) / 255;
}

// The pixbuf's pixels (8-bit RGB or RGBA) into a new RGB24 surface.
cairo_surface_t* surface_of(GdkPixbuf* pixbuf) {
    int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
    cairo_surface_t* surface = create_shareable_surface(width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return surface;
    cairo_surface_flush(surface);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    int channels = gdk_pixbuf_get_n_channels(pixbuf);
    bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    auto in_stride = std::size_t(gdk_pixbuf_get_rowstride(pixbuf));
    auto out_stride = std::size_t(cairo_image_surface_get_stride(surface));
    unsigned char* out = cairo_image_surface_get_data(surface);
    for (int y = 0; y < height; ++y) {
        const guchar* in = pixels + std::size_t(y) * in_stride;
        auto* row = reinterpret_cast<std::uint32_t*>(out + std::size_t(y) * out_stride);
        for (int x = 0; x < width; ++x, in += channels) {
            std::uint32_t a = alpha ? in[3] : 255;
            row[x] = 0xFF000000u | over_background(in[0], a, kBackgroundRed) << 16 |
                     over_background(in[1], a, kBackgroundGreen) << 8 |
                     over_background(in[2], a, kBackgroundBlue);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

PixbufDecode failed(GError* error, const char* otherwise) {
    PixbufDecode result;
    result.out_of_memory = error && error->domain == GDK_PIXBUF_ERROR &&
                           error->code == GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY;
    result.failure = error ? error->message : otherwise;
    if (error) g_error_free(error);
    return result;
}

// A little-endian field of a file's header, of size bytes.
std::uint32_t le_at(std::string_view bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}
std::uint32_t le32_at(std::string_view bytes, std::size_t at) {
    return le_at(bytes, at, 4);
}

// The bytes of a BMP's palette (up to 8 bits a pixel) as its info header,
// of info_size bytes, counts them.
std::uint64_t bmp_palette_bytes(std::string_view bytes, std::uint64_t info_size) {
    constexpr std::size_t kInfo = 14, kOs2Info = 12, kColoursEnd = 36;
    bool os2 = info_size == kOs2Info;
    if (!os2 && info_size < kColoursEnd) return 0;  // the decoder refuses it
    std::uint64_t bits = le_at(bytes, kInfo + (os2 ? 10 : 14), 2);
    if (bits > 8) return 0;
    std::uint64_t colours = os2 ? 0 : le32_at(bytes, kInfo + 32);
    if (colours == 0) colours = std::uint64_t{1} << bits;
    return colours * (os2 ? 3 : 4);
}

// The BMP decoder sizes its buffer from the header's own size field, its
// data offset and its count of colours before any size is announced: a
// hostile file naming gigabytes there would be allocated. All of them lie
// within the file in any picture that can be shown.
bool bmp_header_fits(std::string_view bytes) {
    constexpr std::size_t kFileHeader = 14;
    if (bytes.size() < kFileHeader + 4) return false;
    std::uint64_t data_offset = le32_at(bytes, 10);
    std::uint64_t info_size = le32_at(bytes, kFileHeader);
    if (data_offset > bytes.size() || kFileHeader + info_size > bytes.size()) return false;
    return kFileHeader + info_size + bmp_palette_bytes(bytes, info_size) <= bytes.size();
}

// The GIF decoder allocates a canvas of the logical screen's size, which
// the header names, before it announces any size: a hostile file naming
// 65535x65535 there would take 16 GiB.
bool gif_screen_fits(std::string_view bytes, std::size_t memory_budget) {
    constexpr std::size_t kScreenEnd = 10;       // "GIF89a", width, height
    if (bytes.size() < kScreenEnd) return true;  // too short: the decoder refuses it
    std::size_t pixels = std::size_t{le_at(bytes, 6, 2)} * le_at(bytes, 8, 2);
    return pixels <= memory_budget / 4;
}

// The ICO decoder grows its header buffer to the end of each directory
// entry's bitmap header and palette before it announces a size: a hostile
// directory naming an offset or a palette of gigabytes would be allocated.
// In an icon that can be shown all of them lie within the file.
bool ico_directory_fits(std::string_view bytes) {
    constexpr std::size_t kDirectory = 6, kEntry = 16, kBitmapHeader = 40;
    std::uint64_t entries = le_at(bytes, 4, 2);
    if (kDirectory + entries * kEntry > bytes.size()) return false;
    for (std::uint64_t i = 0; i < entries; ++i) {
        std::uint64_t header = le32_at(bytes, kDirectory + i * kEntry + 12);
        if (header + kBitmapHeader > bytes.size()) return false;
        // A compressed (PNG) entry has no palette; the decoder skips it.
        if (le32_at(bytes, header + 16) != 0) continue;
        std::uint64_t bits = le_at(bytes, header + 14, 2);
        std::uint64_t colours = le32_at(bytes, header + 32);
        if (colours == 0 && (bits == 1 || bits == 4 || bits == 8)) colours = 1u << bits;
        if (header + kBitmapHeader + colours * 4 > bytes.size()) return false;
    }
    return true;
}

// Whether the sizes and offsets a header names, which its decoder would
// allocate before announcing a size, lie within the file.
bool header_fits(std::string_view bytes, std::string_view format) {
    if (format == "bmp") return bmp_header_fits(bytes);
    if (format == "ico") return ico_directory_fits(bytes);
    return true;
}

PixbufDecode too_large() {
    PixbufDecode result;
    result.out_of_memory = true;
    result.failure = "more pixels than a picture may take";
    return result;
}

}  // namespace

const char* pixbuf_format_of(std::string_view bytes) {
    if (bytes.starts_with("BM")) return "bmp";
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) return "gif";
    if (bytes.starts_with(std::string_view("\0\0\1\0", 4)) && bytes.size() > 6) return "ico";
    if (bytes.starts_with("\x89PNG\r\n\x1a\n")) return "png";
    return nullptr;
}

PixbufDecode decode_with_pixbuf(std::string_view bytes, const char* format,
                                std::size_t memory_budget) {
    if (!header_fits(bytes, format))
        return failed(nullptr, "its header names more bytes than the file holds");
    if (std::string_view(format) == "gif" && !gif_screen_fits(bytes, memory_budget))
        return too_large();
    GError* error = nullptr;
    std::unique_ptr<GdkPixbufLoader, LoaderUnref> loader(
        gdk_pixbuf_loader_new_with_type(format, &error));
    if (!loader) return failed(error, "no decoder for it");
    Announced announced{memory_budget};
    g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(check_size), &announced);
    bool written = true;
    for (std::size_t at = 0; written && at < bytes.size() && !announced.too_large;
         at += kWritePart) {
        std::size_t part = std::min(kWritePart, bytes.size() - at);
        written = gdk_pixbuf_loader_write(
            loader.get(), reinterpret_cast<const guchar*>(bytes.data() + at), part, &error);
    }
    // Closed in any case: a loader must be before it goes.
    GError* close_error = nullptr;
    bool closed = gdk_pixbuf_loader_close(loader.get(), written ? &close_error : nullptr);
    if (announced.too_large) {
        if (error) g_error_free(error);
        if (close_error) g_error_free(close_error);
        return too_large();
    }
    if (!written) return failed(error, "it does not decode");
    if (!closed) return failed(close_error, "it does not decode");
    // An animation's first frame: what the loader shows before it moves on.
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
    if (!pixbuf) return failed(nullptr, "it does not decode");
    PixbufDecode result;
    result.surface = surface_of(pixbuf);
    cairo_status_t status = cairo_surface_status(result.surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(result.surface);
        result.surface = nullptr;
        result.out_of_memory = status == CAIRO_STATUS_NO_MEMORY;
        result.failure = cairo_status_to_string(status);
    }
    return result;
}

}  // namespace orn
