// Surfaces whose pixels lie in a memory file the display server can map:
// they hold pixels as any image surface does, the file cannot change size
// under the server, and it never outlives the surface.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/shared_surface.h"
#include "shared_memory.h"

namespace orn {
namespace {

TEST(SharedSurface, HoldsPixelsInASealedFileThatGoesWithTheSurface) {
    cairo_surface_t* surface = create_shareable_surface(301, 7);
    ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_format(surface), CAIRO_FORMAT_RGB24);
    EXPECT_EQ(cairo_image_surface_get_width(surface), 301);
    EXPECT_EQ(cairo_image_surface_get_height(surface), 7);
    int file = shared_memory_file_of(surface);
    ASSERT_GE(file, 0);

    struct stat status {};
    ASSERT_EQ(fstat(file, &status), 0);
    auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    EXPECT_EQ(static_cast<std::size_t>(status.st_size), stride * 7);
    // The server maps the file: it must not shrink under it (a fault past
    // its end would end the server), nor be unsealed.
    int seals = fcntl(file, F_GET_SEALS);
    EXPECT_EQ(seals & (F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL),
              F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL);
    EXPECT_NE(ftruncate(file, 0), 0);
    EXPECT_TRUE(fcntl(file, F_GETFD) & FD_CLOEXEC) << "not inherited by programs it starts";

    // Cairo draws into it, and the file holds what was drawn: what the
    // server reads through its own mapping.
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 300, 6, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    std::uint32_t last{};
    ASSERT_EQ(pread(file, &last, sizeof last, static_cast<off_t>(6 * stride + 300 * sizeof last)),
              static_cast<ssize_t>(sizeof last));
    EXPECT_EQ(last & 0xffffff, 0xff0000u);

    EXPECT_EQ(test::mappings_of_file(getpid(), status.st_ino), 1);
    cairo_surface_destroy(surface);
    EXPECT_EQ(test::mappings_of_file(getpid(), status.st_ino), 0)
        << "the pixels are unmapped with the surface";
    errno = 0;
    EXPECT_EQ(fcntl(file, F_GETFD), -1) << "and the file closed";
    EXPECT_EQ(errno, EBADF);
}

TEST(SharedSurface, SizesCairoRefusesFailAsCairoSaysAndTakeNoFile) {
    cairo_surface_t* plain = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 40000, 2);
    cairo_surface_t* shared = create_shareable_surface(40000, 2);
    EXPECT_NE(cairo_surface_status(shared), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_surface_status(shared), cairo_surface_status(plain));
    EXPECT_EQ(shared_memory_file_of(shared), -1);
    cairo_surface_destroy(shared);
    cairo_surface_destroy(plain);

    cairo_surface_t* empty = create_shareable_surface(0, 0);
    EXPECT_EQ(shared_memory_file_of(empty), -1);
    cairo_surface_destroy(empty);
}

TEST(SharedSurface, AnOrdinaryImageSurfaceHasNoFile) {
    cairo_surface_t* plain = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4);
    EXPECT_EQ(shared_memory_file_of(plain), -1);
    cairo_surface_destroy(plain);
}

}  // namespace
}  // namespace orn
