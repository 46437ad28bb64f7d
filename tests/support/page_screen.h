// What a window shows, as pixels: a grab of a part of a window and the
// measures a test needs to tell a page of text from an empty view and one
// rendering from another.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "x11_probe.h"

namespace orn::test {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row
};

// How much the image looks like text on a light background.
struct Ink {
    long dark_pixels = 0;  // luminance under half
    long edges = 0;        // light-to-dark steps along the rows
};
Ink measure_ink(const Image& image);

// How many pixels differ; every pixel differs when the sizes do.
long differing_pixels(const Image& a, const Image& b);

// Writes a binary PPM (for looking at a failure).
bool save_ppm(const Image& image, const std::string& path);

// Grabs window contents over a connection of its own.
class WindowGrabber {
  public:
    WindowGrabber();  // opens $DISPLAY
    ~WindowGrabber();
    WindowGrabber(const WindowGrabber&) = delete;
    WindowGrabber& operator=(const WindowGrabber&) = delete;

    // The area (in the window's own coordinates, clipped to the window) as
    // the screen shows it; nothing when the window is gone or not viewable.
    std::optional<Image> grab(WindowId window, Rect area);

  private:
    _XDisplay* display_ = nullptr;
};

}  // namespace orn::test
