#include "runtime/shared_surface.h"

#include <cstddef>
#include <cstdint>

#include <sys/ipc.h>
#include <sys/shm.h>

namespace orn {

namespace {

struct Segment {
    int id;
    void* address;
};

const cairo_user_data_key_t kSegmentKey{};

// Where no segment can be had, pixels in the heap, as cairo keeps them.
cairo_surface_t* unshared_surface(int width, int height) {
    return cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
}

void detach_segment(void* data) {
    auto* segment = static_cast<Segment*>(data);
    shmdt(segment->address);
    delete segment;
}

}  // namespace

cairo_surface_t* create_shareable_surface(int width, int height) {
    int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
    if (stride <= 0 || height <= 0) return unshared_surface(width, height);
    std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) return unshared_surface(width, height);
    void* address = shmat(id, nullptr, 0);
    // Linux still lets the server attach a segment marked for removal.
    shmctl(id, IPC_RMID, nullptr);
    if (reinterpret_cast<std::intptr_t>(address) == -1) return unshared_surface(width, height);
    auto* segment = new Segment{id, address};
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(address), CAIRO_FORMAT_RGB24, width, height, stride);
    if (cairo_surface_set_user_data(surface, &kSegmentKey, segment, detach_segment) !=
        CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        detach_segment(segment);
        return unshared_surface(width, height);
    }
    return surface;
}

int shared_segment_of(cairo_surface_t* surface) {
    const auto* segment =
        static_cast<const Segment*>(cairo_surface_get_user_data(surface, &kSegmentKey));
    return segment ? segment->id : -1;
}

}  // namespace orn
