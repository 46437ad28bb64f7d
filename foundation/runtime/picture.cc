#include "runtime/picture.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "runtime/errors.h"
#include "runtime/hostpath.h"

namespace orn {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct JpegSize {
    int width;
    int height;
};

int read_byte(std::FILE* file) {
    return std::fgetc(file);
}

int read_u16(std::FILE* file) {
    int high = read_byte(file);
    int low = read_byte(file);
    if (high < 0 || low < 0) return -1;
    return high << 8 | low;
}

bool is_start_of_frame(int marker) {
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Reads the markers up to the frame header for the picture's size, so that
// the memory it needs is known before the decoder allocates anything.
std::optional<JpegSize> read_jpeg_size(std::FILE* file) {
    if (read_byte(file) != 0xFF || read_byte(file) != 0xD8) return std::nullopt;
    for (;;) {
        int byte = read_byte(file);
        if (byte != 0xFF) return std::nullopt;
        int marker;
        do marker = read_byte(file);
        while (marker == 0xFF);  // fill bytes
        if (marker < 0 || marker == 0xD9 || marker == 0xDA) return std::nullopt;
        if (marker >= 0xD0 && marker <= 0xD7) continue;  // restart markers carry no length
        int length = read_u16(file);
        if (length < 2) return std::nullopt;
        if (is_start_of_frame(marker)) {
            if (read_byte(file) < 0) return std::nullopt;  // sample precision
            int height = read_u16(file);
            int width = read_u16(file);
            if (width <= 0 || height <= 0) return std::nullopt;
            return JpegSize{width, height};
        }
        if (std::fseek(file, length - 2, SEEK_CUR) != 0) return std::nullopt;
    }
}

// Follows the JPEG's marker structure as its bytes stream by, to tell a
// complete file (one that reaches its end-of-image marker) from a truncated
// one, which the decoder would otherwise fill up with grey without a word.
class JpegCompleteness {
  public:
    void feed(const unsigned char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count && state_ != State::Done; ++i) step(bytes[i]);
    }
    bool complete() const { return state_ == State::Done; }

  private:
    enum class State {
        Start,
        Marker,
        Code,
        LengthHigh,
        LengthLow,
        Segment,
        Entropy,
        EntropyMarker,
        Done
    };

    void step(unsigned char byte) {
        switch (state_) {
            case State::Start:  // FF D8
                state_ = byte == 0xFF ? State::Code : State::Start;
                break;
            case State::Marker:
                if (byte == 0xFF) state_ = State::Code;
                break;
            case State::Code:
                code(byte);
                break;
            case State::LengthHigh:
                remaining_ = std::size_t{byte} << 8;
                state_ = State::LengthLow;
                break;
            case State::LengthLow:
                remaining_ |= byte;
                remaining_ = remaining_ >= 2 ? remaining_ - 2 : 0;
                state_ = remaining_ ? State::Segment : after_segment_;
                break;
            case State::Segment:
                if (--remaining_ == 0) state_ = after_segment_;
                break;
            case State::Entropy:
                if (byte == 0xFF) state_ = State::EntropyMarker;
                break;
            case State::EntropyMarker:
                // Stuffed zero, restart marker or fill byte: still scan data.
                if (byte == 0x00 || (byte >= 0xD0 && byte <= 0xD7))
                    state_ = State::Entropy;
                else if (byte != 0xFF)
                    code(byte);
                break;
            case State::Done:
                break;
        }
    }

    void code(unsigned char marker) {
        if (marker == 0xFF) return;  // fill byte
        if (marker == 0xD9) {
            state_ = State::Done;
        } else if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            state_ = State::Marker;  // no length follows
        } else {
            // Start of scan: its header, then entropy-coded data.
            after_segment_ = marker == 0xDA ? State::Entropy : State::Marker;
            state_ = State::LengthHigh;
        }
    }

    State state_ = State::Start;
    State after_segment_ = State::Marker;
    std::size_t remaining_ = 0;
};

int scaled(int size, int denominator) {
    return (size + denominator - 1) / denominator;
}

[[noreturn]] void invalid_picture(const Text& windows_path, const std::string& host_path,
                                  const std::string& reason) {
    std::string detail = describe_path(windows_path, host_path);
    if (!reason.empty()) detail += ": " + reason;
    raise_error(ErrorCode::InvalidPicture, detail);
}

// RGB rows of a pixbuf into a cairo image surface (the form cairo draws
// from without converting again at every repaint).
cairo_surface_t* surface_from_pixbuf(GdkPixbuf* pixbuf) {
    int width = gdk_pixbuf_get_width(pixbuf);
    int height = gdk_pixbuf_get_height(pixbuf);
    int channels = gdk_pixbuf_get_n_channels(pixbuf);
    bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    cairo_surface_t* surface =
        cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        raise_error(ErrorCode::OutOfMemory, "picture of " + std::to_string(width) + "x" +
                                                std::to_string(height) + " pixels");
    }
    cairo_surface_flush(surface);
    const guchar* source = gdk_pixbuf_read_pixels(pixbuf);
    int source_stride = gdk_pixbuf_get_rowstride(pixbuf);
    unsigned char* target = cairo_image_surface_get_data(surface);
    int target_stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const guchar* in = source + static_cast<std::size_t>(y) * source_stride;
        auto* out =
            reinterpret_cast<std::uint32_t*>(target + static_cast<std::size_t>(y) * target_stride);
        for (int x = 0; x < width; ++x, in += channels) {
            std::uint32_t a = alpha ? in[3] : 0xFF;
            // Premultiplied, as cairo keeps ARGB32.
            std::uint32_t r = in[0] * a / 255, g = in[1] * a / 255, b = in[2] * a / 255;
            out[x] = a << 24 | r << 16 | g << 8 | b;
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

struct LoaderDeleter {
    void operator()(GdkPixbufLoader* loader) const { g_object_unref(loader); }
};

// Feeds the whole file to gdk-pixbuf's JPEG decoder, asking for the size
// that the chosen DCT scale gives so that it does not rescale afterwards.
cairo_surface_t* decode_jpeg(std::FILE* file, int width, int height, const Text& windows_path,
                             const std::string& host_path) {
    GError* error = nullptr;
    std::unique_ptr<GdkPixbufLoader, LoaderDeleter> loader(
        gdk_pixbuf_loader_new_with_type("jpeg", &error));
    if (!loader) {
        std::string reason = error ? error->message : "no JPEG decoder";
        g_clear_error(&error);
        invalid_picture(windows_path, host_path, reason);
    }
    gdk_pixbuf_loader_set_size(loader.get(), width, height);
    std::rewind(file);
    std::vector<guchar> chunk(kReadChunk);
    JpegCompleteness completeness;
    bool ok = true;
    while (ok) {
        std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
        if (got == 0) break;
        completeness.feed(chunk.data(), got);
        ok = gdk_pixbuf_loader_write(loader.get(), chunk.data(), got, &error);
    }
    // Closed exactly once, also after a failed write, so the decoder lets go.
    bool closed = gdk_pixbuf_loader_close(loader.get(), ok ? &error : nullptr);
    ok = ok && closed;
    if (ok && !completeness.complete())
        invalid_picture(windows_path, host_path, "the file ends early");
    GdkPixbuf* pixbuf = ok ? gdk_pixbuf_loader_get_pixbuf(loader.get()) : nullptr;
    if (!pixbuf) {
        std::string reason = error ? error->message : "the picture does not decode";
        g_clear_error(&error);
        invalid_picture(windows_path, host_path, reason);
    }
    return surface_from_pixbuf(pixbuf);
}

}  // namespace

Picture::Picture(int natural_width, int natural_height, cairo_surface_t* decoded)
    : width_(natural_width), height_(natural_height), surface_(decoded) {}

Picture::~Picture() {
    cairo_surface_destroy(surface_);
}

int Picture::decoded_width() const {
    return cairo_image_surface_get_width(surface_);
}
int Picture::decoded_height() const {
    return cairo_image_surface_get_height(surface_);
}

int dct_denominator(int width, int height, double display_scale) {
    double shown_width = std::floor(width * display_scale);
    double shown_height = std::floor(height * display_scale);
    int chosen = 1;
    for (int denominator : {2, 4, 8}) {
        if (scaled(width, denominator) < shown_width || scaled(height, denominator) < shown_height)
            break;
        chosen = denominator;
    }
    return chosen;
}

std::shared_ptr<const Picture> LoadPicture(const Text& windows_path, double display_scale) {
    ResolvedPath resolved = resolve_host_path(windows_path, HostEnvironment::from_process());
    if (resolved.lookup == HostLookup::PathMissing)
        raise_error(ErrorCode::PathNotFound, describe_path(windows_path, resolved.host_path));
    if (resolved.lookup == HostLookup::FileMissing)
        raise_error(ErrorCode::FileNotFound, describe_path(windows_path, resolved.host_path));
    return load_picture_file(resolved.host_path, windows_path, display_scale);
}

std::shared_ptr<const Picture> load_picture_file(const std::string& host_path,
                                                 const Text& windows_path, double display_scale) {
    File file(std::fopen(host_path.c_str(), "rb"));
    if (!file) raise_error(ErrorCode::FileNotFound, describe_path(windows_path, host_path));
    std::optional<JpegSize> size = read_jpeg_size(file.get());
    if (!size) invalid_picture(windows_path, host_path, "not a JPEG picture");

    int denominator = dct_denominator(size->width, size->height, display_scale);
    int width = scaled(size->width, denominator);
    int height = scaled(size->height, denominator);
    // The decoder's RGB buffer and the surface drawn from exist together for a moment.
    std::size_t bytes = std::size_t(width) * std::size_t(height) * (3 + 4);
    if (bytes > kPictureMemoryBudget)
        raise_error(ErrorCode::OutOfMemory, describe_path(windows_path, host_path) + ": " +
                                                std::to_string(size->width) + "x" +
                                                std::to_string(size->height) + " pixels");
    cairo_surface_t* surface = decode_jpeg(file.get(), width, height, windows_path, host_path);
    return std::make_shared<const Picture>(size->width, size->height, surface);
}

std::shared_ptr<const Picture> load_picture_resource(const std::string& host_path) {
    GError* error = nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(host_path.c_str(), &error);
    if (!pixbuf) {
        std::string reason = error ? error->message : "";
        g_clear_error(&error);
        invalid_picture(from_utf8(host_path), host_path, reason);
    }
    cairo_surface_t* surface = surface_from_pixbuf(pixbuf);
    int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
    g_object_unref(pixbuf);
    return std::make_shared<const Picture>(width, height, surface);
}

}  // namespace orn
