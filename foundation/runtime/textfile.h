// Sequential text files opened for input, as the forms use them: open,
// test for the end, read a line, close.
//
// A line ends at CR LF, at a lone CR or at a lone LF; the end is not part
// of the line and the last line needs none, so "a\r\n" holds one line and
// "a\r\n\r\n" two. Lines are decoded by decode_ansi_line.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "runtime/text.h"

namespace orn {

class TextInput {
  public:
    // Longest line accepted, in bytes; a longer one is an Out of memory
    // error instead of an allocation without bound.
    static constexpr std::size_t kMaxLineBytes = 1 << 20;
    // A file is read in chunks of this size, so memory stays bounded.
    static constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;
    // Most bytes read from one file: room for a few of the longest lines,
    // read in milliseconds. Reading more is an Out of memory error.
    static constexpr std::size_t kMaxFileBytes = std::size_t{4} << 20;

    TextInput();
    ~TextInput();
    TextInput(const TextInput&) = delete;
    TextInput& operator=(const TextInput&) = delete;

    // Opens the file at a Windows path (mapped to the host by
    // resolve_host_path). File not found / Path not found when it is not
    // there; anything but a regular file, or a file the system refuses to
    // open, is File not found too, with the reason (see open_input_file).
    void open(const Text& windows_path);
    // Reads from bytes in memory instead of a file (tests, fuzzing).
    void open_bytes(std::string bytes);

    bool eof();
    // Read past end of file when eof() is true; Device I/O error when the
    // system fails to read the file.
    Text read_line();
    void close();

  private:
    int next_byte();  // -1 at the end
    int peek_byte();
    void refill();

    std::FILE* file_ = nullptr;
    std::string buffer_;
    std::size_t pos_ = 0;
    bool at_file_end_ = true;
    std::size_t bytes_read_ = 0;
    Text path_;
};

}  // namespace orn
