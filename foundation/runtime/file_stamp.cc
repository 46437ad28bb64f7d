#include "runtime/file_stamp.h"

#include <fcntl.h>
#include <unistd.h>

namespace orn {

namespace {

bool same_time(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

std::optional<FileStamp> FileStamp::of(const struct stat& status, const timespec& now) {
    if (!S_ISREG(status.st_mode)) return std::nullopt;
    FileStamp stamp;
    stamp.device_ = status.st_dev;
    stamp.inode_ = status.st_ino;
    stamp.size_ = status.st_size;
    stamp.modified_ = status.st_mtim;
    stamp.changed_ = status.st_ctim;
    // Every change to a file's bytes sets its change time to the time of
    // the change, which nobody can set back: a change after the read leaves
    // a later time than one this old.
    stamp.settled_ = status.st_ctim.tv_sec <= now.tv_sec - kSettledSeconds;
    return stamp;
}

std::optional<FileStamp> FileStamp::of_open_file(int file, struct stat& status) {
    timespec now{};
    if (fstat(file, &status) != 0) {
        status = {};
        return std::nullopt;
    }
    if (clock_gettime(CLOCK_REALTIME, &now) != 0) return std::nullopt;
    return of(status, now);
}

std::optional<FileStamp> FileStamp::of_path(const std::string& host_path) {
    int file = open(host_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0) return std::nullopt;
    struct stat status {};
    std::optional<FileStamp> stamp = of_open_file(file, status);
    close(file);
    return stamp;
}

bool FileStamp::unchanged_in(const FileStamp& now) const {
    return settled_ && device_ == now.device_ && inode_ == now.inode_ && size_ == now.size_ &&
           same_time(modified_, now.modified_) && same_time(changed_, now.changed_);
}

}  // namespace orn
