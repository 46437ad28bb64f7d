// Surfaces whose pixels lie in shared memory: they hold pixels as any image
// surface does, and their segment can never outlive the program.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>

#include <sys/ipc.h>
#include <sys/shm.h>

#include "runtime/shared_surface.h"
#include "shared_memory.h"

namespace orn {
namespace {

TEST(SharedSurface, HoldsPixelsInASegmentThatGoesWithTheSurface) {
    if (!test::system_v_shared_memory_works()) GTEST_SKIP() << "no System V shared memory here";
    cairo_surface_t* surface = create_shareable_surface(301, 7);
    ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_format(surface), CAIRO_FORMAT_RGB24);
    EXPECT_EQ(cairo_image_surface_get_width(surface), 301);
    EXPECT_EQ(cairo_image_surface_get_height(surface), 7);
    int id = shared_segment_of(surface);
    ASSERT_GE(id, 0);

    // Marked for removal from the start: a crash leaves nothing behind.
    shmid_ds status{};
    ASSERT_EQ(shmctl(id, IPC_STAT, &status), 0);
    EXPECT_TRUE(status.shm_perm.mode & SHM_DEST);
    EXPECT_EQ(status.shm_nattch, 1u);
    EXPECT_GE(status.shm_segsz, std::size_t{301} * 4 * 7);

    // Cairo draws into it and the pixels stay where they were put.
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 300, 6, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    const unsigned char* last_row = cairo_image_surface_get_data(surface) + 6 * stride;
    EXPECT_EQ(reinterpret_cast<const std::uint32_t*>(last_row)[300] & 0xffffff, 0xff0000u);

    cairo_surface_destroy(surface);
    errno = 0;
    EXPECT_NE(shmctl(id, IPC_STAT, &status), 0) << "the segment is gone with the surface";
}

TEST(SharedSurface, SizesCairoRefusesFailAsCairoSaysAndTakeNoSegment) {
    cairo_surface_t* plain = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 40000, 2);
    cairo_surface_t* shared = create_shareable_surface(40000, 2);
    EXPECT_NE(cairo_surface_status(shared), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_surface_status(shared), cairo_surface_status(plain));
    EXPECT_EQ(shared_segment_of(shared), -1);
    cairo_surface_destroy(shared);
    cairo_surface_destroy(plain);

    cairo_surface_t* empty = create_shareable_surface(0, 0);
    EXPECT_EQ(shared_segment_of(empty), -1);
    cairo_surface_destroy(empty);
}

TEST(SharedSurface, AnOrdinaryImageSurfaceHasNoSegment) {
    cairo_surface_t* plain = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4);
    EXPECT_EQ(shared_segment_of(plain), -1);
    cairo_surface_destroy(plain);
}

}  // namespace
}  // namespace orn
