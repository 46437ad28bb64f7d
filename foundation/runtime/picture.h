// Pictures: JPEG files decoded for display.
//
// A JPEG is decoded straight into a cairo image surface at the smallest DCT
// scale M/8 (M = 1..8) whose result still covers the size the picture will
// be shown at, which is far cheaper in time and memory than a full decode of
// a large figure.
#pragma once

#include <cairo.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <future>
#include <memory>
#include <string>

#include "runtime/text.h"

namespace orn {

// Decoded pixels one picture may take. A picture that would need more fails
// with Out of memory before anything large is allocated.
inline constexpr std::size_t kPictureMemoryBudget = std::size_t{256} << 20;

class Picture {
  public:
    // Takes ownership of an image surface (CAIRO_FORMAT_RGB24 or ARGB32).
    Picture(int natural_width, int natural_height, cairo_surface_t* decoded);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // The picture's own size in pixels.
    int width() const { return width_; }
    int height() const { return height_; }
    // The decoded pixels: the natural size times the DCT scale, rounded up.
    cairo_surface_t* surface() const { return surface_; }
    int decoded_width() const;
    int decoded_height() const;

    // The decoded rows, from the top, that hold their pixels: all of them,
    // except while a picture is still being decoded on another thread. That
    // thread writes no row above this count again and touches nothing else
    // of the surface, so the rows above it may be drawn meanwhile. The
    // drawing thread marks the surface dirty before it draws rows that came
    // in since it last drew.
    int decoded_rows_ready() const { return rows_ready_.load(std::memory_order_acquire); }
    bool complete() const { return decoded_rows_ready() >= decoded_height(); }
    // Waits until at least `rows` rows (all, if there are fewer) are in and
    // returns how many are. The decoder always comes to the last row, if
    // need be with rows it could not decode left black.
    int wait_for_rows(int rows) const;
    // For the decoder: these rows are in.
    void set_rows_ready(int rows);

  private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
    std::atomic<int> rows_ready_;
};

// The DCT scale numerator M (1..8, the scale being M/8) for showing a width x
// height picture at display_scale of its size: the smallest M whose decoded
// size, ceil(width * M / 8) x ceil(height * M / 8), still covers the shown
// size, floor(width * display_scale) x floor(height * display_scale). Above
// full size it is 8: the picture is scaled up when drawn, never decoded larger.
int dct_scale_eighths(int width, int height, double display_scale);

// One side of a picture decoded at M/8, as the decoder rounds it: up.
int dct_scaled_size(int size, int eighths);

// The screen's device pixels per pixel (GDK_SCALE or the desktop's
// scaling), by which LoadPicture multiplies the zoom: the toolkit sets it
// from its backend. 1 until then.
void use_device_scale_for_pictures(int device_pixels_per_pixel);

// Loads the picture at a Windows path, decoded for showing at `zoom` of its
// natural size on the screen (1 when not known). Errors: File not found,
// Path not found, Invalid picture (no JPEG, or one that does not decode),
// Out of memory. All of them show before the first row is decoded, so the
// picture comes back as soon as its header is read, and its rows follow on
// another thread (see Picture::decoded_rows_ready).
std::shared_ptr<const Picture> LoadPicture(const Text& windows_path, double zoom = 1.0);

// The same for a host path, decoded for display_scale of its natural size
// in device pixels; windows_path names the file in messages.
std::shared_ptr<const Picture> load_picture_file(const std::string& host_path,
                                                 const Text& windows_path, double display_scale);

// Starts decoding, on a thread of its own, the picture that LoadPicture
// will be asked for soon at `zoom`: locate() names it. LoadPicture waits
// until that decode has handed its picture over, and takes it when it asks
// for the same bytes at the same scale (a device scale set meanwhile asks
// for another); the picture is held until then. Whatever fails ahead
// (locate() included) fails again, in its place, when the picture is
// loaded. The result is the picture decoded ahead once handed over, its
// rows still coming, or null when it failed.
std::shared_future<std::shared_ptr<const Picture>> decode_picture_ahead(
    std::function<Text()> locate, double zoom);

}  // namespace orn
