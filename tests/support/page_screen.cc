#include "page_screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace orn::test {

namespace {

int ignore_error(Display*, XErrorEvent*) {
    return 0;
}

bool is_dark(std::uint32_t rgb) {
    int r = (rgb >> 16) & 0xff, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
    return r * 299 + g * 587 + b * 114 < 128 * 1000;
}

// A mask's lowest set bit and width, to read a channel as 8 bits.
std::uint32_t channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    unsigned long max = mask >> shift;
    return static_cast<std::uint32_t>(((pixel & mask) >> shift) * 255 / max);
}

Image to_image(XImage* ximage) {
    Image image{ximage->width, ximage->height, {}};
    image.pixels.reserve(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            unsigned long pixel = XGetPixel(ximage, x, y);
            image.pixels.push_back(channel(pixel, ximage->red_mask) << 16 |
                                   channel(pixel, ximage->green_mask) << 8 |
                                   channel(pixel, ximage->blue_mask));
        }
    }
    return image;
}

}  // namespace

Ink measure_ink(const Image& image) {
    Ink ink;
    for (int y = 0; y < image.height; ++y) {
        bool was_dark = false;
        for (int x = 0; x < image.width; ++x) {
            bool dark = is_dark(image.pixels[static_cast<size_t>(y) * image.width + x]);
            if (dark) ++ink.dark_pixels;
            if (dark && !was_dark && x > 0) ++ink.edges;
            was_dark = dark;
        }
    }
    return ink;
}

long differing_pixels(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height)
        return std::max(static_cast<long>(a.pixels.size()), static_cast<long>(b.pixels.size()));
    long count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        if (a.pixels[i] != b.pixels[i]) ++count;
    return count;
}

bool save_ppm(const Image& image, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.width << " " << image.height << "\n255\n";
    for (std::uint32_t rgb : image.pixels) {
        const char bytes[3] = {static_cast<char>(rgb >> 16), static_cast<char>(rgb >> 8),
                               static_cast<char>(rgb)};
        out.write(bytes, 3);
    }
    return static_cast<bool>(out);
}

WindowGrabber::WindowGrabber() {
    const char* name = std::getenv("DISPLAY");
    if (name && *name) display_ = XOpenDisplay(name);
}

WindowGrabber::~WindowGrabber() {
    if (display_) XCloseDisplay(display_);
}

std::optional<Image> WindowGrabber::grab(WindowId window, Rect area) {
    if (!display_) return std::nullopt;
    // A window that goes away meanwhile is an X error: trapped, not fatal.
    XSync(display_, False);
    auto previous = XSetErrorHandler(ignore_error);
    std::optional<Image> image;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display_, window, &attributes) && attributes.map_state == IsViewable) {
        int x = std::max(area.x, 0), y = std::max(area.y, 0);
        int width = std::min(area.x + area.width, attributes.width) - x;
        int height = std::min(area.y + area.height, attributes.height) - y;
        if (width > 0 && height > 0) {
            if (XImage* ximage = XGetImage(display_, window, x, y, static_cast<unsigned>(width),
                                           static_cast<unsigned>(height), AllPlanes, ZPixmap)) {
                image = to_image(ximage);
                XDestroyImage(ximage);
            }
        }
    }
    XSync(display_, False);
    XSetErrorHandler(previous);
    return image;
}

}  // namespace orn::test
