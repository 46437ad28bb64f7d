// Fuzz target: a figure file's bytes as the figure viewer takes them: the
// JPEG marker walk that finds the size and the end, then a decode at the
// smallest scale, all of its rows. The bytes go through a memory file, so
// that they are read as a figure file is.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/errors.h"
#include "runtime/jpeg_structure.h"
#include "runtime/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)orn::read_jpeg_size(bytes);
    (void)orn::jpeg_is_complete(bytes);

    int file = memfd_create("figure", MFD_CLOEXEC);
    if (file < 0) return 0;
    if (write(file, data, size) == static_cast<ssize_t>(size)) {
        std::string path = "/proc/self/fd/" + std::to_string(file);
        try {
            // A tenth of the size: decoded at 1/8, the smallest scale.
            auto picture = orn::load_picture_file(path, u"fuzz.jpg", 0.1);
            picture->wait_for_rows(picture->decoded_height());
        } catch (const orn::RuntimeError&) {
            // Invalid picture, Out of memory: the program's messages.
        }
    }
    close(file);
    return 0;
}
