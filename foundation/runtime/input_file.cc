#include "runtime/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <system_error>
#include <utility>
#include <variant>

#include "runtime/errors.h"
#include "runtime/hostpath.h"
#include "runtime/translation.h"

namespace orn {

InputFile::~InputFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

InputFile::InputFile(InputFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) ::close(descriptor_);
        descriptor_ = std::exchange(other.descriptor_, -1);
        size_ = other.size_;
    }
    return *this;
}

int InputFile::release() {
    return std::exchange(descriptor_, -1);
}

std::string reason_for_errno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return _("permission denied");
        case EISDIR:
            return _("is a directory");
        default:
            break;
    }
    std::string words = std::generic_category().message(error);
    if (!words.empty())
        words[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(words[0])));
    return words;
}

std::string larger_than(std::size_t bytes) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    if (bytes % kMiB == 0) return format_text(_("file larger than %zu MiB"), bytes / kMiB);
    return format_text(_("file larger than %zu bytes"), bytes);
}

namespace {

// Why an open failed: the reason, and whether the file is only too large.
struct Refusal {
    std::string reason;
    bool too_large = false;
};

std::variant<InputFile, Refusal> open_regular(const std::string& host_path, std::size_t max_bytes) {
    // O_NONBLOCK: opening a pipe for reading would wait for a writer. It is
    // only wanted for the open: a regular file never blocks, and the flag is
    // cleared again before it is read.
    int descriptor = ::open(host_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) return Refusal{reason_for_errno(errno)};
    InputFile file(descriptor, 0);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) return Refusal{reason_for_errno(errno)};
    if (S_ISDIR(status.st_mode)) return Refusal{reason_for_errno(EISDIR)};
    if (!S_ISREG(status.st_mode)) return Refusal{_("not a regular file")};
    auto size = static_cast<std::size_t>(status.st_size);
    if (size > max_bytes) return Refusal{larger_than(max_bytes), true};
    int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return Refusal{reason_for_errno(errno)};
    return InputFile(file.release(), size);
}

}  // namespace

InputFile open_input_file(const std::string& host_path, const Text& windows_path,
                          std::size_t max_bytes) {
    auto opened = open_regular(host_path, max_bytes);
    if (auto* file = std::get_if<InputFile>(&opened)) return std::move(*file);
    const Refusal& refusal = std::get<Refusal>(opened);
    std::string detail = describe_path(windows_path, host_path) + ": " + refusal.reason;
    raise_error(refusal.too_large ? ErrorCode::OutOfMemory : ErrorCode::FileNotFound, detail);
}

std::optional<InputFile> try_open_input_file(const std::string& host_path, std::size_t max_bytes) {
    auto opened = open_regular(host_path, max_bytes);
    if (auto* file = std::get_if<InputFile>(&opened)) return std::move(*file);
    return std::nullopt;
}

}  // namespace orn
