#include "runtime/picture.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>

#include <sys/stat.h>

#include "runtime/errors.h"
#include "runtime/hostpath.h"
#include "runtime/input_file.h"
#include "runtime/jpeg_structure.h"
#include "runtime/pixbuf_picture.h"
#include "runtime/shared_surface.h"
#include "runtime/translation.h"

namespace orn {

namespace {

// The surface is all the decoder writes: it fills the surface's rows
// directly, so a pixel takes the surface's four bytes and nothing more.
constexpr std::size_t kBytesPerDecodedPixel = 4;

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

// A 64-bit hash of a file's bytes that tells whether it changed since the
// last decode, taken as the bytes are read: a large figure is read again on
// every zoom step, and hashing each part while it is still in the cache
// costs a fraction of hashing the whole file afterwards. Four independent
// lanes of multiply-rotate rounds over 32-byte blocks, then the bytes after
// the last whole block.
class ContentHash {
  public:
    static constexpr std::size_t kBlock = 32;

    // Whole blocks only: size is a multiple of kBlock.
    void add_blocks(const char* bytes, std::size_t size) {
        for (std::size_t at = 0; at + kBlock <= size; at += kBlock)
            for (std::size_t i = 0; i < 4; ++i) {
                std::uint64_t word;
                std::memcpy(&word, bytes + at + i * 8, 8);
                lanes_[i] = round(lanes_[i], word);
            }
    }
    std::uint64_t finish(const char* tail, std::size_t tail_size, std::size_t total_size) const {
        std::uint64_t hash = total_size;
        for (std::uint64_t lane : lanes_) hash = round(hash, lane);
        for (std::size_t at = 0; at < tail_size; ++at)
            hash = round(hash, static_cast<unsigned char>(tail[at]));
        return hash ^ hash >> 29;
    }

  private:
    static constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87u, kPrime2 = 0xC2B2AE3D27D4EB4Fu;
    static std::uint64_t round(std::uint64_t lane, std::uint64_t word) {
        return std::rotl(lane + word * kPrime2, 31) * kPrime1;
    }
    std::uint64_t lanes_[4] = {kPrime1, kPrime2, 1, ~kPrime1};
};

// A file's bytes, read in one go: the decoder reads them from memory, and
// they tell whether the file is the one decoded last time.
class FileBytes {
  public:
    std::string_view view() const { return {data_.get(), size_}; }
    const unsigned char* data() const {
        return reinterpret_cast<const unsigned char*>(data_.get());
    }
    std::size_t size() const { return size_; }

    std::uint64_t hash() const { return hash_; }

    // Read straight into room of the file's size, a part at a time, each
    // part hashed as soon as it is in.
    static FileBytes read(const std::string& host_path, const Text& windows_path) {
        // A file larger than any picture is refused before it is read.
        InputFile input = open_input_file(host_path, windows_path, kPictureMemoryBudget);
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(::fdopen(input.descriptor(), "rb"),
                                                             std::fclose);
        if (!file)
            raise_error(ErrorCode::FileNotFound,
                        describe_path(windows_path, host_path) + ": " + reason_for_errno(errno));
        (void)input.release();  // the stream closes it now
        struct stat status {};
        std::size_t expected = 0;
        FileBytes bytes;
        if (fstat(fileno(file.get()), &status) == 0 && S_ISREG(status.st_mode) &&
            status.st_size > 0)
            expected = static_cast<std::size_t>(status.st_size);
        ContentHash hash;
        std::size_t hashed = 0;
        // One byte more than expected: a file that grew is seen, and read on.
        std::size_t capacity = std::min(expected, kPictureMemoryBudget) + 1;
        if (!bytes.reserve(capacity))
            out_of_memory(windows_path, host_path, _("no memory to read the file"));
        while (true) {
            std::size_t got = std::fread(bytes.data_.get() + bytes.size_, 1,
                                         std::min(kReadPart, capacity - bytes.size_), file.get());
            bytes.size_ += got;
            std::size_t whole = bytes.size_ - bytes.size_ % ContentHash::kBlock;
            hash.add_blocks(bytes.data_.get() + hashed, whole - hashed);
            hashed = whole;
            if (got == 0) break;
            if (bytes.size_ < capacity) continue;
            if (bytes.size_ > kPictureMemoryBudget)
                out_of_memory(windows_path, host_path, _("file larger than any picture"));
            capacity =
                std::min(std::max<std::size_t>(capacity * 2, 1 << 16), kPictureMemoryBudget + 1);
            if (!bytes.reserve(capacity))
                out_of_memory(windows_path, host_path, _("no memory to read the file"));
        }
        bytes.hash_ = hash.finish(bytes.data_.get() + hashed, bytes.size_ - hashed, bytes.size_);
        return bytes;
    }

  private:
    static constexpr std::size_t kReadPart = std::size_t{256} << 10;  // fits in the L2 cache

    std::unique_ptr<char, void (*)(void*)> data_{nullptr, std::free};
    std::size_t size_ = 0;
    std::uint64_t hash_ = 0;

    bool reserve(std::size_t capacity) {
        char* grown = static_cast<char*>(std::realloc(data_.get(), capacity));
        if (!grown) return false;
        (void)data_.release();  // realloc has let it go
        data_.reset(grown);
        return true;
    }
};

// Cairo's RGB24 pixel is a native 32-bit word 0xXXRRGGBB; libjpeg writes
// the same bytes when asked for B, G, R, X (little-endian) or X, R, G, B.
constexpr J_COLOR_SPACE kSurfaceColorSpace =
    std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// How a decode ended.
enum class DecodeOutcome { Decoded, Invalid, NoMemory };

// Everything one decode works with, in plain C form: the decoder's error
// handler jumps out of libjpeg with longjmp, which runs no destructors.
struct JpegDecode {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    std::jmp_buf failed;
    cairo_surface_t* surface;
    unsigned char* pixels;  // the surface's, written by the decoder only
    std::size_t stride;
    bool cmyk;
    JSAMPARRAY cmyk_row;  // CMYK comes through a one-row buffer of the decoder's own
    jpeg_progress_mgr progress;
    bool too_many_scans;
    char message[JMSG_LENGTH_MAX];
};

// Each scan of a progressive file makes the decoder go over every block of
// the picture again, and a file may hold thousands of scans with nothing in
// them. Encoders write ten scans for a colour picture and eighteen for CMYK;
// past the limit the file is refused instead of decoded for minutes, as the
// decoder's authors advise for files from outside.
constexpr int kMaxProgressiveScans = 64;

// A fatal decoder error returns to the setjmp of the function that called
// the decoder instead of ending the program, as libjpeg's own handler would.
[[noreturn]] void jump_out(j_common_ptr info) {
    auto* decode = reinterpret_cast<JpegDecode*>(info);  // info is the first member
    std::longjmp(decode->failed, 1);
}

// Called by the decoder as it goes: ends the decode once the file has had
// more scans than any picture needs.
void count_scans(j_common_ptr info) {
    auto* decode = reinterpret_cast<JpegDecode*>(info);  // info is the first member
    if (decode->info.input_scan_number <= kMaxProgressiveScans) return;
    decode->too_many_scans = true;
    std::longjmp(decode->failed, 1);
}

// Warnings (corrupt entropy data, a missing end marker) are not errors: the
// decoder fills in what it could not read, and nothing is printed.
void stay_quiet(j_common_ptr, int) {}

// CMYK JPEGs come from Adobe's programs, which store the channels inverted
// (255 is no ink) and libjpeg hands them on so: R = C * K / 255 and so on.
// One row of them into the surface's pixels.
void cmyk_row_to_rgb(const JSAMPLE* cmyk, std::uint32_t* out, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        std::uint32_t k = cmyk[3];
        std::uint32_t r = cmyk[0] * k / 255, g = cmyk[1] * k / 255, b = cmyk[2] * k / 255;
        out[x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
}

// After a longjmp out of the decoder: says why in decode->message and lets
// the decoder go. The surface stays with whoever holds it.
DecodeOutcome decode_failed(JpegDecode* decode) {
    decode->errors.format_message(reinterpret_cast<j_common_ptr>(&decode->info), decode->message);
    int code = decode->errors.msg_code;
    if (code == JERR_NO_BACKING_STORE)  // libjpeg's words for going past memory_limit
        std::snprintf(decode->message, sizeof decode->message, "%s",
                      _("decoding it needs more memory than a picture may take"));
    if (decode->too_many_scans) {
        std::snprintf(decode->message, sizeof decode->message, _("more than %d scans"),
                      kMaxProgressiveScans);
        jpeg_destroy_decompress(&decode->info);
        return DecodeOutcome::Invalid;
    }
    jpeg_destroy_decompress(&decode->info);
    return code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE ? DecodeOutcome::NoMemory
                                                                       : DecodeOutcome::Invalid;
}

// Reads the header of JPEG bytes and starts decoding them at eighths/8 of
// their size into a new RGB24 surface (decode->surface, destroyed again on
// failure). Whatever makes a file undecodable shows here: a file with more
// than one scan is read whole before the first row comes out. No C++ object
// lives here: the decoder's errors longjmp back to the setjmp below. libjpeg
// may take memory_limit bytes for its whole-image buffers (progressive
// files); a file that needs more fails as NoMemory. On failure
// decode->message says why.
DecodeOutcome start_decode(JpegDecode* decode, const unsigned char* bytes, std::size_t size,
                           int eighths, std::size_t memory_limit) {
    decode->info.err = jpeg_std_error(&decode->errors);
    decode->errors.error_exit = jump_out;
    decode->errors.emit_message = stay_quiet;
    decode->surface = nullptr;
    decode->message[0] = '\0';
    if (setjmp(decode->failed)) {
        cairo_surface_destroy(decode->surface);
        decode->surface = nullptr;
        return decode_failed(decode);
    }
    jpeg_create_decompress(&decode->info);
    decode->too_many_scans = false;
    decode->progress.progress_monitor = count_scans;
    decode->info.progress = &decode->progress;
    jpeg_mem_src(&decode->info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&decode->info, TRUE);
    jpeg_decompress_struct& info = decode->info;
    info.scale_num = static_cast<unsigned int>(eighths);
    info.scale_denom = 8;
    decode->cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = decode->cmyk ? JCS_CMYK : kSurfaceColorSpace;
    info.mem->max_memory_to_use = static_cast<long>(memory_limit);
    jpeg_calc_output_dimensions(&info);

    decode->surface = create_shareable_surface(static_cast<int>(info.output_width),
                                               static_cast<int>(info.output_height));
    cairo_status_t status = cairo_surface_status(decode->surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::snprintf(decode->message, sizeof decode->message, "%s",
                      cairo_status_to_string(status));
        jpeg_destroy_decompress(&info);
        cairo_surface_destroy(decode->surface);
        decode->surface = nullptr;
        return status == CAIRO_STATUS_NO_MEMORY ? DecodeOutcome::NoMemory : DecodeOutcome::Invalid;
    }
    cairo_surface_flush(decode->surface);
    decode->pixels = cairo_image_surface_get_data(decode->surface);
    decode->stride = static_cast<std::size_t>(cairo_image_surface_get_stride(decode->surface));
    jpeg_start_decompress(&info);
    decode->cmyk_row = decode->cmyk ? info.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&info),
                                                             JPOOL_IMAGE, info.output_width * 4, 1)
                                    : nullptr;
    return DecodeOutcome::Decoded;
}

// Decodes rows into the surface's pixels until `until` rows are in, then,
// when that was the last row, lets the decoder go. Touches nothing of the
// surface but its pixel rows, so that another thread may draw the rows
// decoded before. On failure the decoder is let go and the surface kept.
DecodeOutcome decode_rows(JpegDecode* decode, JDIMENSION until) {
    jpeg_decompress_struct& info = decode->info;
    const JDIMENSION end = std::min(until, info.output_height);
    if (setjmp(decode->failed)) return decode_failed(decode);
    constexpr int kRowsAtOnce = 16;
    JSAMPROW rows[kRowsAtOnce];
    while (info.output_scanline < end) {
        unsigned char* row = decode->pixels + info.output_scanline * decode->stride;
        if (decode->cmyk) {
            jpeg_read_scanlines(&info, decode->cmyk_row, 1);
            cmyk_row_to_rgb(decode->cmyk_row[0], reinterpret_cast<std::uint32_t*>(row),
                            info.output_width);
            continue;
        }
        JDIMENSION count = std::min<JDIMENSION>(kRowsAtOnce, end - info.output_scanline);
        for (JDIMENSION i = 0; i < count; ++i) rows[i] = row + i * decode->stride;
        jpeg_read_scanlines(&info, rows, count);
    }
    if (info.output_scanline == info.output_height) {
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
    }
    return DecodeOutcome::Decoded;
}

// Which bytes were decoded at which scale.
struct DecodeKey {
    std::uint64_t hash = 0;
    std::size_t size = 0;
    int eighths = 0;
    bool operator==(const DecodeKey&) const = default;
};

// A picture, and when its rows are still to come, what decodes them.
struct Decoded {
    std::shared_ptr<const Picture> picture;
    std::function<void()> rows;
};

// The picture decoded last, so that a command that reads an unchanged file
// again does not decode it again, and the decode started ahead of time at
// start-up. The pixels stay only as long as a control shows them, except a
// picture decoded ahead, held until it is asked for.
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
    // Runs work on a thread of its own: it starts decoding a picture and
    // hands it over (or nothing, when it fails), and then decodes its rows
    // there too. Only one such decode runs at a time.
    std::shared_future<std::shared_ptr<const Picture>> start(std::function<Decoded()> work) {
        std::jthread before;
        {
            std::lock_guard lock(mutex_);
            before = std::move(ahead_);
        }
        before = {};  // waits for it
        std::promise<std::shared_ptr<const Picture>> handed_over;
        std::shared_future<std::shared_ptr<const Picture>> result =
            handed_over.get_future().share();
        std::jthread thread(
            [work = std::move(work), handed_over = std::move(handed_over)]() mutable {
                Decoded decoded;
                try {
                    decoded = work();
                } catch (...) {  // NOLINT(bugprone-empty-catch): it fails again where it is loaded
                }
                handed_over.set_value(decoded.picture);
                if (decoded.rows) decoded.rows();
            });
        std::lock_guard lock(mutex_);
        ahead_handed_over_ = result;
        ahead_ = std::move(thread);
        return result;
    }
    // The decode started ahead has handed its picture over or ended (or
    // was never started); its rows may still be coming.
    void wait_for_hand_over() {
        std::shared_future<std::shared_ptr<const Picture>> handed_over;
        {
            std::lock_guard lock(mutex_);
            handed_over = ahead_handed_over_;
        }
        if (handed_over.valid()) handed_over.wait();
    }
    // Decodes the rows of a picture started on the main thread on a thread
    // of its own, once the rows of the one before are in.
    void decode_in_background(std::function<void()> rest) {
        std::jthread before;
        {
            std::lock_guard lock(mutex_);
            before = std::exchange(background_, {});
        }
        before = {};  // waits for it
        std::lock_guard lock(mutex_);
        background_ = std::jthread(std::move(rest));
    }

  private:
    std::mutex mutex_;
    DecodeKey key_;
    std::weak_ptr<const Picture> weak_;
    std::shared_ptr<const Picture> held_;
    std::jthread ahead_;
    std::shared_future<std::shared_ptr<const Picture>> ahead_handed_over_;
    std::jthread background_;
};

DecodedPictures& decoded_pictures() {
    static DecodedPictures pictures;
    return pictures;
}

// Rows decoded between two looks of whoever waits for them.
constexpr JDIMENSION kRowsPerStep = 64;

void raise_if_failed(DecodeOutcome outcome, const JpegDecode& decode, const Text& windows_path,
                     const std::string& host_path) {
    if (outcome == DecodeOutcome::NoMemory) out_of_memory(windows_path, host_path, decode.message);
    if (outcome == DecodeOutcome::Invalid) invalid_picture(windows_path, host_path, decode.message);
}

// A picture handed over before its rows are in, and what decodes them. The
// decoder points into itself and into the bytes it reads (which stay where
// they are when FileBytes moves), so the decoder may not move.
struct RowsToCome {
    std::unique_ptr<JpegDecode> decode;
    FileBytes bytes;
    std::shared_ptr<Picture> picture;
};

// Decodes the picture's rows. From here on the picture may be drawn on
// another thread: only its pixel rows past the ready ones are written.
// Every error of a file shows before its first row; should one come later
// anyway, the rows not decoded stay black.
void decode_rows_to_come(RowsToCome& rest) {
    auto rows = static_cast<JDIMENSION>(rest.picture->decoded_height());
    for (JDIMENSION done = 0; done < rows; done += kRowsPerStep) {
        if (decode_rows(rest.decode.get(), done + kRowsPerStep) != DecodeOutcome::Decoded) break;
        rest.picture->set_rows_ready(static_cast<int>(std::min(rows, done + kRowsPerStep)));
    }
    rest.picture->set_rows_ready(static_cast<int>(rows));
}

// A figure file as read, and which decode of it a display scale asks for.
struct FigureFile {
    std::string host_path;
    Text windows_path;
    FileBytes bytes;
    JpegSize size;
    DecodeKey key;
    const char* pixbuf_format;  // for a picture other than JPEG, else nullptr
};

FigureFile read_figure_file(const std::string& host_path, const Text& windows_path,
                            double display_scale) {
    FileBytes bytes = FileBytes::read(host_path, windows_path);
    std::optional<JpegSize> size = read_jpeg_size(bytes.view());
    const char* pixbuf_format = size ? nullptr : pixbuf_format_of(bytes.view());
    if (!size && !pixbuf_format) invalid_picture(windows_path, host_path, "not a picture");
    // Other pictures are decoded whole, whatever the scale.
    int eighths = size ? dct_scale_eighths(size->width, size->height, display_scale) : 8;
    DecodeKey key{bytes.hash(), bytes.size(), eighths};
    return {host_path, windows_path, std::move(bytes), size.value_or(JpegSize{}),
            key,       pixbuf_format};
}

// Decodes a picture other than JPEG whole, and remembers it (and holds it
// when hold is set).
Decoded decode_other_file(const FigureFile& file, bool hold) {
    PixbufDecode decoded =
        decode_with_pixbuf(file.bytes.view(), file.pixbuf_format, kPictureMemoryBudget);
    if (!decoded.surface && decoded.out_of_memory)
        out_of_memory(file.windows_path, file.host_path, decoded.failure);
    if (!decoded.surface) invalid_picture(file.windows_path, file.host_path, decoded.failure);
    auto picture =
        std::make_shared<Picture>(cairo_image_surface_get_width(decoded.surface),
                                  cairo_image_surface_get_height(decoded.surface), decoded.surface);
    decoded_pictures().remember(file.key, picture, hold);
    return {picture, nullptr};
}

// Starts decoding a figure file, or takes the picture decoded last when
// the file has not changed. A new picture comes back with its header read
// and none of its rows, remembered (and held when hold is set); what
// decodes the rows is left to the caller.
Decoded decode_file(FigureFile file, bool hold) {
    const std::string& host_path = file.host_path;
    const Text& windows_path = file.windows_path;
    const JpegSize size = file.size;
    if (auto picture = decoded_pictures().find(file.key)) return {picture, nullptr};
    if (file.pixbuf_format) return decode_other_file(file, hold);

    std::size_t surface_bytes = std::size_t(dct_scaled_size(size.width, file.key.eighths)) *
                                std::size_t(dct_scaled_size(size.height, file.key.eighths)) *
                                kBytesPerDecodedPixel;
    if (surface_bytes > kPictureMemoryBudget)
        out_of_memory(windows_path, host_path,
                      format_text(_("%dx%d pixels"), size.width, size.height));
    if (!jpeg_is_complete(file.bytes.view()))
        invalid_picture(windows_path, host_path, _("the file ends early"));
    auto decode = std::make_unique<JpegDecode>();
    raise_if_failed(start_decode(decode.get(), file.bytes.data(), file.bytes.size(),
                                 file.key.eighths, kPictureMemoryBudget - surface_bytes),
                    *decode, windows_path, host_path);
    auto picture = std::make_shared<Picture>(size.width, size.height, decode->surface);
    picture->set_rows_ready(0);
    decoded_pictures().remember(file.key, picture, hold);
    auto rest =
        std::make_shared<RowsToCome>(RowsToCome{std::move(decode), std::move(file.bytes), picture});
    return {picture, [rest] { decode_rows_to_come(*rest); }};
}

}  // namespace

Picture::Picture(int natural_width, int natural_height, cairo_surface_t* decoded)
    : width_(natural_width),
      height_(natural_height),
      surface_(decoded),
      rows_ready_(cairo_image_surface_get_height(decoded)) {}

Picture::~Picture() {
    cairo_surface_destroy(surface_);
}

int Picture::wait_for_rows(int rows) const {
    rows = std::min(rows, decoded_height());
    int ready = decoded_rows_ready();
    while (ready < rows) {
        rows_ready_.wait(ready, std::memory_order_acquire);
        ready = decoded_rows_ready();
    }
    return ready;
}

void Picture::set_rows_ready(int rows) {
    rows_ready_.store(rows, std::memory_order_release);
    rows_ready_.notify_all();
}

int Picture::decoded_width() const {
    return cairo_image_surface_get_width(surface_);
}
int Picture::decoded_height() const {
    return cairo_image_surface_get_height(surface_);
}

int dct_scaled_size(int size, int eighths) {
    return static_cast<int>((std::int64_t{size} * eighths + 7) / 8);
}

int dct_scale_eighths(int width, int height, double display_scale) {
    if (display_scale >= 1) return 8;
    double shown_width = std::floor(width * display_scale);
    double shown_height = std::floor(height * display_scale);
    for (int eighths = 1; eighths < 8; ++eighths)
        if (dct_scaled_size(width, eighths) >= shown_width &&
            dct_scaled_size(height, eighths) >= shown_height)
            return eighths;
    return 8;
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

std::atomic<int> device_scale{1};
}  // namespace

void use_device_scale_for_pictures(int device_pixels_per_pixel) {
    device_scale = std::max(1, device_pixels_per_pixel);
}

std::shared_ptr<const Picture> LoadPicture(const Text& windows_path, double zoom) {
    return load_picture_file(existing_host_path(windows_path), windows_path, zoom * device_scale);
}

std::shared_ptr<const Picture> load_picture_file(const std::string& host_path,
                                                 const Text& windows_path, double display_scale) {
    // A picture decoded ahead from these very bytes is taken once handed over.
    decoded_pictures().wait_for_hand_over();
    FigureFile file = read_figure_file(host_path, windows_path, display_scale);
    Decoded decoded = decode_file(std::move(file), false);
    if (decoded.rows) decoded_pictures().decode_in_background(std::move(decoded.rows));
    return decoded.picture;
}

std::shared_future<std::shared_ptr<const Picture>> decode_picture_ahead(
    std::function<Text()> locate, double zoom) {
    double display_scale = zoom * device_scale;
    return decoded_pictures().start([locate = std::move(locate), display_scale] {
        Text windows_path = locate();
        return decode_file(
            read_figure_file(existing_host_path(windows_path), windows_path, display_scale), true);
    });
}

}  // namespace orn
