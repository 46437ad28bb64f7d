#include "runtime/jpeg_structure.h"

#include <algorithm>
#include <cstddef>

namespace orn {

namespace {

constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kEndOfImage = 0xD9;
constexpr unsigned char kStartOfScan = 0xDA;

bool is_start_of_frame(unsigned char marker) {
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length.
bool has_no_length(unsigned char marker) {
    return marker == kStartOfImage || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Walks the markers of a JPEG. Scan data between them is skipped: a 0xFF
// there is followed by a stuffed zero, a restart marker or a fill byte.
class MarkerWalker {
  public:
    explicit MarkerWalker(std::string_view bytes) : bytes_(bytes) {}

    // The next marker's code, or -1 at the end of the bytes. On a segment
    // with a length, segment() tells where its contents lie.
    int next() {
        if (in_scan_) skip_scan_data();
        // Stray bytes between segments are passed over, as decoders do.
        pos_ = std::min(bytes_.find('\xFF', pos_), bytes_.size());
        if (pos_ >= bytes_.size()) return -1;
        while (pos_ < bytes_.size() && byte(pos_) == 0xFF) ++pos_;  // fill bytes
        if (pos_ >= bytes_.size()) return -1;
        unsigned char marker = byte(pos_++);
        segment_ = {};
        if (!has_no_length(marker) && marker != kEndOfImage) {
            if (pos_ + 2 > bytes_.size()) return -1;
            std::size_t length = std::size_t{byte(pos_)} << 8 | byte(pos_ + 1);
            if (length < 2 || pos_ + length > bytes_.size()) return -1;
            segment_ = bytes_.substr(pos_ + 2, length - 2);
            pos_ += length;
        }
        in_scan_ = marker == kStartOfScan;
        return marker;
    }

    std::string_view segment() const { return segment_; }

  private:
    unsigned char byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }

    void skip_scan_data() {
        in_scan_ = false;
        while (pos_ < bytes_.size()) {
            std::size_t found = bytes_.find('\xFF', pos_);
            if (found == std::string_view::npos || found + 1 >= bytes_.size()) {
                pos_ = bytes_.size();
                return;
            }
            unsigned char following = byte(found + 1);
            if (following == 0x00 || (following >= 0xD0 && following <= 0xD7)) {
                pos_ = found + 2;
            } else if (following == 0xFF) {
                pos_ = found + 1;
            } else {
                pos_ = found;
                return;
            }
        }
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    std::string_view segment_;
    bool in_scan_ = false;
};

bool starts_as_jpeg(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == kStartOfImage;
}

}  // namespace

std::optional<JpegSize> read_jpeg_size(std::string_view bytes) {
    if (!starts_as_jpeg(bytes)) return std::nullopt;
    MarkerWalker walker(bytes);
    for (int marker = walker.next(); marker >= 0; marker = walker.next()) {
        if (marker == kEndOfImage || marker == kStartOfScan) return std::nullopt;
        if (!is_start_of_frame(static_cast<unsigned char>(marker))) continue;
        std::string_view frame = walker.segment();
        if (frame.size() < 5) return std::nullopt;
        auto at = [&](std::size_t i) { return static_cast<unsigned char>(frame[i]); };
        int height = at(1) << 8 | at(2);
        int width = at(3) << 8 | at(4);
        if (width <= 0 || height <= 0) return std::nullopt;
        return JpegSize{width, height};
    }
    return std::nullopt;
}

bool jpeg_is_complete(std::string_view bytes) {
    if (!starts_as_jpeg(bytes)) return false;
    MarkerWalker walker(bytes);
    for (int marker = walker.next(); marker >= 0; marker = walker.next())
        if (marker == kEndOfImage) return true;
    return false;
}

}  // namespace orn
