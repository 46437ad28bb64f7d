#include "runtime/textfile.h"

#include <algorithm>
#include <cerrno>
#include <limits>

#include "runtime/codepage.h"
#include "runtime/errors.h"
#include "runtime/hostpath.h"
#include "runtime/input_file.h"
#include "runtime/translation.h"

namespace orn {

namespace {

bool is_line_end(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

TextInput::TextInput() = default;

TextInput::~TextInput() {
    close();
}

void TextInput::open(const Text& windows_path) {
    close();
    ResolvedPath resolved = resolve_host_path(windows_path, HostEnvironment::from_process());
    std::string detail = describe_path(windows_path, resolved.host_path);
    if (resolved.lookup == HostLookup::FileMissing) raise_error(ErrorCode::FileNotFound, detail);
    if (resolved.lookup == HostLookup::PathMissing) raise_error(ErrorCode::PathNotFound, detail);

    // Only as much of the file is read as the lines asked for need, and
    // never more than kMaxFileBytes: the size stat gives is no bound (a file
    // may grow while it is read, and files of the kernel's own say 0).
    InputFile input =
        open_input_file(resolved.host_path, windows_path, std::numeric_limits<std::size_t>::max());
    file_ = ::fdopen(input.descriptor(), "rb");
    if (!file_) raise_error(ErrorCode::FileNotFound, detail + ": " + reason_for_errno(errno));
    (void)input.release();  // the stream closes it now
    path_ = windows_path;
    at_file_end_ = false;
}

void TextInput::open_bytes(std::string bytes) {
    close();
    buffer_ = std::move(bytes);
}

void TextInput::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    buffer_.clear();
    pos_ = 0;
    at_file_end_ = true;
    bytes_read_ = 0;
    path_.clear();
}

bool TextInput::eof() {
    return peek_byte() < 0;
}

Text TextInput::read_line() {
    if (eof()) raise_error(ErrorCode::ReadPastEnd, to_display_utf8(path_));
    std::string line;
    while (peek_byte() >= 0) {
        auto begin = buffer_.begin() + static_cast<std::ptrdiff_t>(pos_);
        auto end = std::find_if(begin, buffer_.end(), is_line_end);
        // The line is held whole before decoding; a limit keeps a file without
        // line ends from taking memory without bound.
        if (line.size() + static_cast<std::size_t>(end - begin) > kMaxLineBytes)
            raise_error(ErrorCode::OutOfMemory,
                        format_text(_("line longer than %zu bytes"), kMaxLineBytes));
        line.append(begin, end);
        pos_ = static_cast<std::size_t>(end - buffer_.begin());
        if (end != buffer_.end()) {
            if (next_byte() == '\r' && peek_byte() == '\n') next_byte();
            break;
        }
    }
    return decode_ansi_line(line);
}

int TextInput::next_byte() {
    int byte = peek_byte();
    if (byte >= 0) ++pos_;
    return byte;
}

int TextInput::peek_byte() {
    if (pos_ == buffer_.size()) refill();
    if (pos_ == buffer_.size()) return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
}

// Replaces the consumed buffer with the next chunk of the file; leaves it
// empty at the end of the file or of the bytes given to open_bytes().
void TextInput::refill() {
    buffer_.clear();
    pos_ = 0;
    if (!file_ || at_file_end_) return;
    buffer_.resize(kChunkBytes);
    std::size_t count = std::fread(buffer_.data(), 1, kChunkBytes, file_);
    buffer_.resize(count);
    bytes_read_ += count;
    if (bytes_read_ > kMaxFileBytes)
        raise_error(ErrorCode::OutOfMemory,
                    to_display_utf8(path_) + ": " + larger_than(kMaxFileBytes));
    if (count < kChunkBytes) {
        if (std::ferror(file_))
            raise_error(ErrorCode::DeviceIOError,
                        to_display_utf8(path_) + ": " + reason_for_errno(errno));
        at_file_end_ = true;
    }
}

}  // namespace orn
