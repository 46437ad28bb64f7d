// Whether a file is still the one read before, told from what stat says of
// it rather than by reading it again.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <ctime>
#include <optional>
#include <string>

namespace orn {

// How long before a read a file's last change must lie for its stamp to
// vouch for the bytes read: longer than the coarsest time stamps a file
// system keeps (FAT's two seconds), so that no later change can leave the
// same time behind.
inline constexpr int kSettledSeconds = 3;

class FileStamp {
  public:
    // The stamp of a regular file as fstat gave it at `now` (real time):
    // none for anything else, such as a pipe, whose bytes do not stay.
    static std::optional<FileStamp> of(const struct stat& status, const timespec& now);
    // The stamp of an open file, taken now; `status` gets what fstat says
    // of it (all zero when it says nothing).
    static std::optional<FileStamp> of_open_file(int file, struct stat& status);
    // The stamp of the file at a path now, opened for reading as a read
    // would open it; none when it cannot be opened.
    static std::optional<FileStamp> of_path(const std::string& host_path);

    // Whether the bytes read when this stamp was taken are still the file's
    // bytes, `now` being its stamp at present: the same file, of the same
    // size, changed last at the same times, long enough before that read.
    bool unchanged_in(const FileStamp& now) const;

  private:
    dev_t device_ = 0;
    ino_t inode_ = 0;
    off_t size_ = 0;
    timespec modified_{};
    timespec changed_{};
    bool settled_ = false;
};

}  // namespace orn
