// Button captions drawn with cairo's own font selection: in the middle of
// the button, in the family, weight, size and slant asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gtk/caption_text.h"
#include "gui_session.h"

namespace orn::test {
namespace {

constexpr int kWidth = 200, kHeight = 40;
const std::string kCaption = "увеличить";  // "zoom in", as a button says it

// A caption drawn in black on white, and the box of its dark pixels.
struct Drawn {
    std::vector<std::uint32_t> pixels;
    int left = kWidth, top = kHeight, right = -1, bottom = -1;
    long dark = 0;
};

// The pixels of a surface, and the box of its dark ones.
Drawn read_back(cairo_surface_t* surface) {
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(image);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(image);
    Drawn drawn;
    auto stride = static_cast<std::ptrdiff_t>(cairo_image_surface_get_stride(image));
    for (int y = 0; y < kHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            cairo_image_surface_get_data(image) + y * stride);
        for (int x = 0; x < kWidth; ++x) {
            std::uint32_t pixel = row[x] & 0xffffff;
            drawn.pixels.push_back(pixel);
            if ((pixel & 0xff) >= 0x80) continue;
            ++drawn.dark;
            drawn.left = std::min(drawn.left, x), drawn.right = std::max(drawn.right, x);
            drawn.top = std::min(drawn.top, y), drawn.bottom = std::max(drawn.bottom, y);
        }
    }
    cairo_surface_destroy(image);
    return drawn;
}

// A caption drawn in black on white.
Drawn draw(const FontSpec& font) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    gtk::draw_caption(cr, gdk_screen_get_default(), font, kCaption, kWidth, kHeight);
    cairo_destroy(cr);
    Drawn drawn = read_back(surface);
    cairo_surface_destroy(surface);
    return drawn;
}

class CaptionText : public testing::Test {
  protected:
    void SetUp() override {
        if (!gui_session().skip_reason().empty()) GTEST_SKIP() << gui_session().skip_reason();
    }
    FontSpec serif_bold_{"Times New Roman", 12, 700, false};
};

TEST_F(CaptionText, StandsInTheMiddleOfItsArea) {
    Drawn drawn = draw(serif_bold_);
    ASSERT_GT(drawn.dark, 100) << "no caption drawn";
    int left_margin = drawn.left, right_margin = kWidth - 1 - drawn.right;
    EXPECT_NEAR(left_margin, right_margin, 3);
    // Lower-case letters with a descender ("у") sit a little low, no more.
    int top_margin = drawn.top, bottom_margin = kHeight - 1 - drawn.bottom;
    EXPECT_NEAR(top_margin, bottom_margin, 6);
}

TEST_F(CaptionText, FollowsTheFontsFamilyWeightSizeAndSlant) {
    Drawn bold = draw(serif_bold_);
    Drawn regular = draw({"Times New Roman", 12, 400, false});
    Drawn larger = draw({"Times New Roman", 16, 700, false});
    Drawn italic = draw({"Times New Roman", 12, 700, true});
    Drawn sans = draw({"DejaVu Sans", 12, 700, false});
    // Bold strokes are thicker: more ink in about as wide a word.
    EXPECT_GT(double(bold.dark), regular.dark * 1.15);
    // 16 pt against 12: the word is a third longer and taller.
    double ratio = double(larger.right - larger.left) / (bold.right - bold.left);
    EXPECT_NEAR(ratio, 16.0 / 12.0, 0.12);
    EXPECT_GT(larger.bottom - larger.top, bold.bottom - bold.top);
    EXPECT_NE(italic.pixels, bold.pixels);
    EXPECT_NE(sans.pixels, bold.pixels);
}

}  // namespace
}  // namespace orn::test
