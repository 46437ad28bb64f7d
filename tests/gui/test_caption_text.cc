// Button captions drawn with cairo's own font selection: in the middle of
// the button, in the family, weight, size and slant asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "figure/config.h"
#include "gtk/baked_captions.h"
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

// A caption drawn in black on white, on an image surface or, as a window's
// buttons draw them, on a surface of the display.
Drawn draw(const FontSpec& font, const std::string& caption = kCaption, bool on_display = false) {
    cairo_surface_t* surface =
        on_display ? gdk_window_create_similar_surface(gdk_get_default_root_window(),
                                                       CAIRO_CONTENT_COLOR, kWidth, kHeight)
                   : cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    gtk::draw_caption(cr, gdk_screen_get_default(), font, caption, kWidth, kHeight);
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
    void TearDown() override { gtk::use_baked_captions({}); }
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

TEST_F(CaptionText, BakedCaptionsComeOutAsTheDrawnText) {
    const FontSpec& font = figure::kButtonFont;
    ASSERT_EQ(figure::kBakedCaptions.size(), 4U);
    for (const gtk::BakedCaption& baked : figure::kBakedCaptions) {
        gtk::use_baked_captions({});
        Drawn text = draw(font, baked.text, true);
        gtk::use_baked_captions(figure::kBakedCaptions);
        Drawn from_mask = draw(font, baked.text, true);
        ASSERT_GT(text.dark, 0) << baked.text;
        long differ = 0;
        for (std::size_t i = 0; i < text.pixels.size(); ++i) {
            int step = std::abs(int(text.pixels[i] & 0xff) - int(from_mask.pixels[i] & 0xff));
            EXPECT_LE(step, 2) << baked.text << " at " << i % kWidth << "," << i / kWidth;
            differ += step > 0;
        }
        EXPECT_EQ(differ, 0) << baked.text;
    }
}

TEST_F(CaptionText, ABakedMaskIsUsedOnlyWhereItWouldComeOutTheSame) {
    // A mask of solid ink shows which way a caption was drawn.
    const gtk::BakedCaption& real = figure::kBakedCaptions[1];
    std::vector<unsigned char> solid(std::size_t(real.mask_stride) * real.mask_height, 255);
    gtk::BakedCaption baked = real;
    baked.mask = solid.data();
    long block = long(real.mask_width) * real.mask_height;
    const FontSpec& font = figure::kButtonFont;

    gtk::use_baked_captions({&baked, 1});
    // On a plain X screen the buttons' captions come from their masks.
    EXPECT_EQ(draw(font, real.text, true).dark, block);
    // Not for other text, another size, other font options or a font file
    // or configuration other than the mask's.
    EXPECT_LT(draw(font, "увеличить!", true).dark, block / 2);
    EXPECT_LT(draw({font.family, 11, font.weight, false}, real.text, true).dark, block / 2);
    GdkScreen* screen = gdk_screen_get_default();
    cairo_font_options_t* plain = cairo_font_options_copy(gdk_screen_get_font_options(screen));
    cairo_font_options_t* sharp = cairo_font_options_copy(plain);
    cairo_font_options_set_antialias(sharp, CAIRO_ANTIALIAS_NONE);
    gdk_screen_set_font_options(screen, sharp);
    EXPECT_LT(draw(font, real.text, true).dark, block / 2);
    gdk_screen_set_font_options(screen, plain);
    cairo_font_options_destroy(sharp);
    cairo_font_options_destroy(plain);
    EXPECT_EQ(draw(font, real.text, true).dark, block);
    std::string other_key = std::string(real.font_key) + "x";
    baked.font_key = other_key.c_str();
    EXPECT_LT(draw(font, real.text, true).dark, block / 2);
}

}  // namespace
}  // namespace orn::test
