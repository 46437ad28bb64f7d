#include "runtime/picture.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <future>
#include <mutex>
#include <string_view>

#include "runtime/errors.h"
#include "runtime/hostpath.h"
#include "runtime/jpeg_structure.h"

namespace orn {

namespace {

// The decoder's RGB buffer and the surface drawn from exist together for a moment.
constexpr std::size_t kBytesPerDecodedPixel = 3 + 4;

int scaled(int size, int denominator) {
    return (size + denominator - 1) / denominator;
}

[[noreturn]] void invalid_picture(const Text& windows_path, const std::string& host_path,
                                  const std::string& reason) {
    std::string detail = describe_path(windows_path, host_path);
    if (!reason.empty()) detail += ": " + reason;
    raise_error(ErrorCode::InvalidPicture, detail);
}

[[noreturn]] void out_of_memory(const Text& windows_path, const std::string& host_path,
                                const std::string& what) {
    raise_error(ErrorCode::OutOfMemory, describe_path(windows_path, host_path) + ": " + what);
}

// The whole file: the decoder reads it in one go, and its bytes tell
// whether it is the file decoded last time.
std::string read_file(const std::string& host_path, const Text& windows_path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(host_path.c_str(), "rb"),
                                                         std::fclose);
    if (!file) raise_error(ErrorCode::FileNotFound, describe_path(windows_path, host_path));
    std::string bytes;
    char chunk[1 << 16];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
        if (bytes.size() + got > kPictureMemoryBudget)
            out_of_memory(windows_path, host_path, "file larger than any picture");
        bytes.append(chunk, got);
    }
    return bytes;
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
        return nullptr;
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

// Decodes JPEG bytes with gdk-pixbuf, asking for exactly the size the DCT
// scale gives so that it does not rescale afterwards. Null on failure, with
// the decoder's reason. The file's bytes are let go once decoded, before the
// surface is made, so that the three never take memory together.
cairo_surface_t* decode_jpeg(std::string& bytes, int width, int height, std::string& reason) {
    GError* error = nullptr;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("jpeg", &error);
    if (!loader) {
        reason = error ? error->message : "no JPEG decoder";
        g_clear_error(&error);
        return nullptr;
    }
    gdk_pixbuf_loader_set_size(loader, width, height);
    bool ok = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(bytes.data()),
                                      bytes.size(), &error);
    // Closed exactly once, also after a failed write, so the decoder lets go.
    bool closed = gdk_pixbuf_loader_close(loader, ok ? &error : nullptr);
    GdkPixbuf* pixbuf = ok && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    std::string().swap(bytes);
    cairo_surface_t* surface = pixbuf ? surface_from_pixbuf(pixbuf) : nullptr;
    if (!pixbuf) reason = error ? error->message : "the picture does not decode";
    if (pixbuf && !surface) reason = "no memory for the decoded picture";
    g_clear_error(&error);
    g_object_unref(loader);
    return surface;
}

// Which bytes were decoded at which scale.
struct DecodeKey {
    std::size_t hash = 0;
    std::size_t size = 0;
    int denominator = 0;
    bool operator==(const DecodeKey&) const = default;
};

// The picture decoded last, so that a command that reads an unchanged file
// again does not decode it again, and the decode started ahead of time at
// start-up. The pixels stay only as long as a control shows them, except a
// prefetched picture, held until it is asked for.
class DecodedPictures {
  public:
    std::shared_ptr<const Picture> find(const DecodeKey& key) {
        std::lock_guard lock(mutex_);
        if (!(key == key_)) return nullptr;
        std::shared_ptr<const Picture> picture = held_ ? held_ : weak_.lock();
        held_.reset();
        return picture;
    }
    void remember(const DecodeKey& key, const std::shared_ptr<const Picture>& picture, bool hold) {
        std::lock_guard lock(mutex_);
        key_ = key;
        weak_ = picture;
        held_ = hold ? picture : nullptr;
    }
    void start(std::function<void()> work) {
        wait_for_ahead();  // one at a time; the work itself takes the lock
        std::lock_guard lock(mutex_);
        ahead_ = std::async(std::launch::async, std::move(work));
    }
    // The decode started ahead has finished (or was never started).
    void wait_for_ahead() {
        std::future<void> ahead;
        {
            std::lock_guard lock(mutex_);
            ahead = std::move(ahead_);
        }
        if (ahead.valid()) ahead.wait();
    }

  private:
    std::mutex mutex_;
    DecodeKey key_;
    std::weak_ptr<const Picture> weak_;
    std::shared_ptr<const Picture> held_;
    std::future<void> ahead_;
};

DecodedPictures& decoded_pictures() {
    static DecodedPictures pictures;
    return pictures;
}

std::shared_ptr<const Picture> decode_file(const std::string& host_path, const Text& windows_path,
                                           double display_scale, bool hold) {
    std::string bytes = read_file(host_path, windows_path);
    std::optional<JpegSize> size = read_jpeg_size(bytes);
    if (!size) invalid_picture(windows_path, host_path, "not a JPEG picture");

    DecodeKey key{std::hash<std::string_view>{}(bytes), bytes.size(),
                  dct_denominator(size->width, size->height, display_scale)};
    if (auto picture = decoded_pictures().find(key)) return picture;

    int width = scaled(size->width, key.denominator);
    int height = scaled(size->height, key.denominator);
    if (std::size_t(width) * std::size_t(height) * kBytesPerDecodedPixel > kPictureMemoryBudget)
        out_of_memory(windows_path, host_path,
                      std::to_string(size->width) + "x" + std::to_string(size->height) + " pixels");
    if (!jpeg_is_complete(bytes)) invalid_picture(windows_path, host_path, "the file ends early");
    std::string reason;
    cairo_surface_t* surface = decode_jpeg(bytes, width, height, reason);
    if (!surface) invalid_picture(windows_path, host_path, reason);
    auto picture = std::make_shared<const Picture>(size->width, size->height, surface);
    decoded_pictures().remember(key, picture, hold);
    return picture;
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

namespace {
std::string existing_host_path(const Text& windows_path) {
    ResolvedPath resolved = resolve_host_path(windows_path, HostEnvironment::from_process());
    if (resolved.lookup == HostLookup::PathMissing)
        raise_error(ErrorCode::PathNotFound, describe_path(windows_path, resolved.host_path));
    if (resolved.lookup == HostLookup::FileMissing)
        raise_error(ErrorCode::FileNotFound, describe_path(windows_path, resolved.host_path));
    return resolved.host_path;
}
}  // namespace

std::shared_ptr<const Picture> LoadPicture(const Text& windows_path, double display_scale) {
    return load_picture_file(existing_host_path(windows_path), windows_path, display_scale);
}

std::shared_ptr<const Picture> load_picture_file(const std::string& host_path,
                                                 const Text& windows_path, double display_scale) {
    decoded_pictures().wait_for_ahead();
    return decode_file(host_path, windows_path, display_scale, false);
}

void decode_picture_ahead(std::function<Text()> locate, double display_scale) {
    decoded_pictures().start([locate = std::move(locate), display_scale] {
        try {
            Text windows_path = locate();
            decode_file(existing_host_path(windows_path), windows_path, display_scale, true);
        } catch (const RuntimeError&) {
            // Whatever fails here fails again, in its place, when the picture is loaded.
        }
    });
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
    if (!surface) out_of_memory(from_utf8(host_path), host_path, "no memory for the picture");
    return std::make_shared<const Picture>(width, height, surface);
}

}  // namespace orn
