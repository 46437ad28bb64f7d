// Opening the files the programs read: the configuration file, the caption
// files, the figure files and the click sound.
//
// Every one of them is opened here, without waiting on it and for regular
// files only: a pipe, a device or a socket in a file's place would keep the
// open or the first read waiting forever, or feed bytes without end.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "runtime/text.h"

namespace orn {

// An open file descriptor, closed when the object goes.
class InputFile {
  public:
    InputFile() = default;
    InputFile(int descriptor, std::size_t size) : descriptor_(descriptor), size_(size) {}
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    int descriptor() const { return descriptor_; }
    // The size the file had when it was opened.
    std::size_t size() const { return size_; }
    // Hands the descriptor over: the caller closes it.
    int release();

  private:
    int descriptor_ = -1;
    std::size_t size_ = 0;
};

// Why a file cannot be read, in the words the messages use: "permission
// denied", "is a directory", "not a regular file", else the system's own
// words for errno, in lower case.
std::string reason_for_errno(int error);

// Why a file was refused for its size: "file larger than 4 MiB".
std::string larger_than(std::size_t bytes);

// Opens the regular file at host_path for reading. Anything else is File
// not found with the reason (windows_path names the file in the message);
// a file larger than max_bytes is Out of memory, before anything is read.
InputFile open_input_file(const std::string& host_path, const Text& windows_path,
                          std::size_t max_bytes);

// The same without raising: nothing when the file cannot be opened, is no
// regular file or is larger than max_bytes.
std::optional<InputFile> try_open_input_file(const std::string& host_path, std::size_t max_bytes);

}  // namespace orn
