#include "runtime/shared_surface.h"

#include <cstddef>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace orn {

namespace {

struct MemoryFile {
    int descriptor;
    void* address;
    std::size_t size;
};

const cairo_user_data_key_t kMemoryFileKey{};

// Where no memory file can be had, pixels in the heap, as cairo keeps them.
cairo_surface_t* unshared_surface(int width, int height) {
    return cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
}

void release_memory_file(void* data) {
    auto* file = static_cast<MemoryFile*>(data);
    munmap(file->address, file->size);
    close(file->descriptor);
    delete file;
}

// A memory file of `size` bytes that can never shrink or grow: the server
// may then map it without risking a fault past its end.
int sealed_memory_file(std::size_t size) {
    int descriptor = memfd_create("picture", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (descriptor < 0) return -1;
    if (ftruncate(descriptor, static_cast<off_t>(size)) != 0 ||
        fcntl(descriptor, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0) {
        close(descriptor);
        return -1;
    }
    return descriptor;
}

}  // namespace

cairo_surface_t* create_shareable_surface(int width, int height) {
    int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
    if (stride <= 0 || height <= 0) return unshared_surface(width, height);
    std::size_t size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    int descriptor = sealed_memory_file(size);
    if (descriptor < 0) return unshared_surface(width, height);
    void* address = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    if (address == MAP_FAILED) {
        close(descriptor);
        return unshared_surface(width, height);
    }
    auto* file = new MemoryFile{descriptor, address, size};
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(address), CAIRO_FORMAT_RGB24, width, height, stride);
    if (cairo_surface_set_user_data(surface, &kMemoryFileKey, file, release_memory_file) !=
        CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        release_memory_file(file);
        return unshared_surface(width, height);
    }
    return surface;
}

int shared_memory_file_of(cairo_surface_t* surface) {
    const auto* file =
        static_cast<const MemoryFile*>(cairo_surface_get_user_data(surface, &kMemoryFileKey));
    return file ? file->descriptor : -1;
}

}  // namespace orn
