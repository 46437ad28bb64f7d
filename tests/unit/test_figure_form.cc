// The figure window on the headless backend, with one twip per pixel so
// that the toolkit keeps sizes exactly as set.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "figure/frm1.h"
#include "headless/headless_backend.h"
#include "runtime/picture.h"
#include "runtime/toolkit.h"
#include "temp_tree.h"

namespace orn::figure {
namespace {

// A JPEG of the given size, written into the tree.
void write_jpeg(const std::string& path, int width, int height) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    gdk_pixbuf_fill(pixbuf, 0x3070a0ff);
    ASSERT_TRUE(gdk_pixbuf_save(pixbuf, path.c_str(), "jpeg", nullptr, "quality", "80", nullptr));
    g_object_unref(pixbuf);
}

// A textbook with one figure, its caption and the click sound.
class FigureTest : public ::testing::Test {
  protected:
    FigureTest() : prefix_(tree_) {
        tree_.write("drive_c/Program Files/Ornlux/orn.ini", "[default]\r\nC:\\Book\r\n");
        tree_.write("drive_c/Book/wav/pick.wav", "RIFF");
        settings_.twips_per_pixel = 1;
        settings_.frame = {15, 15, 345, 105};  // frame height 450: allowance 400
        settings_.work_area = {0, 0, 100000, 100000};
        settings_.max_window_pixels = 200000;
    }

    // Starts the figure viewer on the item f1.htm showing a width x height figure.
    frm1& start(int width, int height, const std::string& item = "f1.htm",
                bool with_caption = true) {
        std::string stem = item.substr(0, item.size() - 4);
        if (!stem.empty() && stem.back() == '!') stem.pop_back();
        figure_path_ = prefix_.drive_c() + "/Book/jpg/" + stem + ".jpg";
        write_jpeg(figure_path_, width, height);
        tree_.mkdir("drive_c/Book/htm/orn");
        if (with_caption) tree_.write("drive_c/Book/htm/orn/" + item, "\xD0\xE8\xF1. 1\r\n");
        form_.reset();  // a form of an earlier start goes before its backend
        toolkit_.reset();
        backend_ = std::make_unique<headless::HeadlessBackend>(settings_);
        toolkit_ =
            std::make_unique<Toolkit>(*backend_, "ornfig", u"C:\\Book\\htm\\" + from_utf8(item));
        form_ = std::make_unique<frm1>(*toolkit_);
        toolkit_->run([&] { form_->Form_Initialize(); });
        return *form_;
    }

    headless::HeadlessButton& zoom_out() { return *backend_->buttons().at(0); }
    headless::HeadlessButton& zoom_in() { return *backend_->buttons().at(1); }
    headless::HeadlessImage& picture() { return *backend_->images().at(0); }

    test::TempTree tree_;
    test::ScopedWinePrefix prefix_;
    headless::Settings settings_;
    std::string figure_path_;
    std::unique_ptr<headless::HeadlessBackend> backend_;
    std::unique_ptr<Toolkit> toolkit_;
    std::unique_ptr<frm1> form_;  // declared last: destroyed first
};

TEST_F(FigureTest, StartsAtHalfSizeWithTheButtonsUnderThePicture) {
    frm1& form = start(6000, 4500);
    ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
    EXPECT_EQ(form.zoom_percent(), 50);
    EXPECT_EQ(form.image1.left(), 10);
    EXPECT_EQ(form.image1.top(), 10);
    EXPECT_EQ(form.image1.width(), 3000);
    EXPECT_EQ(form.image1.height(), 2250);
    EXPECT_EQ(form.width(), 3100);
    EXPECT_EQ(form.height(), 2745 + 400);
    EXPECT_EQ(form.comm1.caption(), u"уменьшить");
    EXPECT_EQ(form.comm2.caption(), u"увеличить");
    EXPECT_EQ(form.comm1.left(), 10);
    EXPECT_EQ(form.comm1.top(), 2265);
    EXPECT_EQ(form.comm1.width(), 1490);
    EXPECT_EQ(form.comm2.left(), 1520);
    EXPECT_EQ(form.comm2.top(), 2265);
    EXPECT_EQ(form.comm2.width(), 1490);
    EXPECT_EQ(form.comm1.height(), 460);
    EXPECT_EQ(form.comm2.height(), 460);
    EXPECT_TRUE(backend_->window().visible());
    EXPECT_TRUE(backend_->window().keep_above());
    EXPECT_TRUE(form.comm1.enabled());
    // Decoded at half scale for a picture shown at half size.
    EXPECT_EQ(picture().picture()->decoded_width(), 3000);
    EXPECT_EQ(backend_->window().title(), "Форма1");
    EXPECT_EQ(form.caption_text(), u"Рис. 1.       ");
    backend_->advance(200);
    EXPECT_EQ(backend_->window().title(), "ис. 1.       Р");
}

TEST_F(FigureTest, ADoublingScreenDecodesForItsDevicePixels) {
    settings_.device_pixels_per_pixel = 2;
    frm1& form = start(6000, 4500);
    ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
    // The layout is the same; the picture covers twice the pixels across.
    EXPECT_EQ(form.image1.width(), 3000);
    EXPECT_EQ(form.width(), 3100);
    EXPECT_EQ(picture().picture()->decoded_width(), 6000);
    zoom_out().click();
    EXPECT_EQ(form.image1.width(), 2400);
    // 40 % of 6000 is 2400, 4800 device pixels: 7/8 of the figure covers them.
    EXPECT_EQ(picture().picture()->decoded_width(), 5250);
}

TEST_F(FigureTest, NarrowWindowsGetTheShortCaptions) {
    EXPECT_EQ(start(5580, 100).width(), 2890);
    EXPECT_EQ(form_->comm1.caption(), u"-");
    EXPECT_EQ(form_->comm2.caption(), u"+");
    EXPECT_EQ(start(5582, 100).width(), 2891);
    EXPECT_EQ(form_->comm1.caption(), u"уменьшить");
}

TEST_F(FigureTest, ProductsAreRoundedDownAndOddWidthsSplitUnevenly) {
    frm1& form = start(5610, 4515);
    EXPECT_EQ(form.comm1.width(), 1392);
    EXPECT_EQ(form.comm2.left(), 1422);
    form.comm1_Click();
    form.comm1_Click();
    EXPECT_EQ(form.zoom_percent(), 30);
    EXPECT_EQ(form.image1.height(), 1354) << "floor(30 x 4515 / 100)";
}

TEST_F(FigureTest, ZoomingOutToFortyPercentSwitchesToTheShortCaptions) {
    frm1& form = start(6000, 100);
    zoom_out().click();
    EXPECT_EQ(form.zoom_percent(), 40);
    EXPECT_EQ(form.width(), 2500);
    EXPECT_EQ(form.comm1.caption(), u"-");
    EXPECT_EQ(form.comm2.caption(), u"+");
    EXPECT_EQ(backend_->sounds().size(), 1u) << "every command clicks";
}

TEST_F(FigureTest, ZoomStatesFollowTheCommands) {
    frm1& form = start(400, 300);
    struct Step {
        const char* command;
        int zoom;
        bool zoom_out_enabled;
    };
    const Step steps[] = {
        {"out", 40, true},  {"out", 30, false}, {"out", 30, false}, {"in", 40, true},
        {"out", 30, false}, {"dbl", 100, true}, {"dbl", 30, false}, {"dbl", 100, true},
        {"out", 90, true},  {"in", 100, true},  {"in", 110, true},  {"in", 120, true},
        {"dbl", 100, true}, {"in", 110, true},  {"out", 100, true}, {"dbl", 30, false},
        {"in", 40, true},   {"dbl", 100, true},
    };
    int clicks = 0;
    for (const Step& step : steps) {
        std::string command = step.command;
        if (command == "out") {
            // A disabled button takes no click; the handler itself leaves 30 as it is.
            if (zoom_out().enabled())
                zoom_out().click();
            else
                form.comm1_Click();
        } else if (command == "in") {
            zoom_in().click();
        } else {
            picture().double_click();
        }
        ++clicks;
        SCOPED_TRACE("step " + std::to_string(clicks) + ": " + command);
        ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
        EXPECT_EQ(form.zoom_percent(), step.zoom);
        EXPECT_EQ(form.comm1.enabled(), step.zoom_out_enabled);
        EXPECT_TRUE(form.comm2.enabled());
        EXPECT_EQ(form.image1.width(), 400 * step.zoom / 100);
        EXPECT_EQ(form.width(), 400 * step.zoom / 100 + 100);
    }
    EXPECT_EQ(backend_->sounds().size(), static_cast<std::size_t>(clicks));
    EXPECT_EQ(std::filesystem::canonical(backend_->sounds().front()),
              std::filesystem::canonical(prefix_.drive_c() + "/Book/wav/pick.wav"));
}

TEST_F(FigureTest, ZoomInDropsItsErrorsAndZoomOutDoesNot) {
    frm1& form = start(400, 300);
    std::filesystem::remove(figure_path_);
    zoom_in().click();
    EXPECT_FALSE(toolkit_->ended()) << "zoom in traps the error";
    EXPECT_EQ(form.zoom_percent(), 60);
    EXPECT_EQ(form.width(), 300) << "the layout of 50 % stays";
    EXPECT_TRUE(form.comm1.enabled());
    EXPECT_TRUE(backend_->errors_shown().empty());

    zoom_out().click();
    EXPECT_TRUE(toolkit_->ended());
    EXPECT_EQ(toolkit_->exit_status(), 1);
    EXPECT_EQ(toolkit_->fatal_message().rfind("File not found: C:\\Book\\jpg\\f1.jpg", 0), 0u)
        << toolkit_->fatal_message();
}

TEST_F(FigureTest, TheZoomPercentStopsAtItsOverflow) {
    frm1& form = start(100, 1);
    for (int i = 0; i < 3271; ++i) zoom_in().click();  // 50 + 32710
    EXPECT_EQ(form.zoom_percent(), 32760);
    zoom_in().click();
    EXPECT_FALSE(toolkit_->ended());
    EXPECT_EQ(form.zoom_percent(), 32760) << "the overflow leaves the old value";
    EXPECT_TRUE(form.comm1.enabled());
}

TEST_F(FigureTest, AMissingClickSoundRingsTheBellAndIsNoError) {
    frm1& form = start(400, 300);
    std::filesystem::remove(prefix_.drive_c() + "/Book/wav/pick.wav");
    zoom_in().click();
    EXPECT_EQ(form.zoom_percent(), 60);
    EXPECT_EQ(backend_->bells(), 1);
    EXPECT_FALSE(toolkit_->ended());
}

TEST_F(FigureTest, ASelfAnswerFigureScrollsTheFixedText) {
    frm1& form = start(400, 300, "f1!.htm");
    EXPECT_TRUE(form.self_answer());
    EXPECT_EQ(form.caption_text(), u"Рисунок для самостоятельного ответа.    ");
    EXPECT_EQ(form.figure_file(), u"C:\\Book\\jpg\\f1.jpg");
    EXPECT_EQ(form.caption_file(), u"C:\\Book\\htm\\orn\\f1!.htm");
}

TEST_F(FigureTest, AMissingCaptionEndsTheProgramAfterTheFigureIsShown) {
    frm1& form = start(400, 300, "f2.htm", false);
    EXPECT_TRUE(toolkit_->ended());
    EXPECT_EQ(toolkit_->fatal_message().rfind("File not found: C:\\Book\\htm\\orn\\f2.htm", 0), 0u)
        << toolkit_->fatal_message();
    EXPECT_TRUE(backend_->window().visible());
    EXPECT_EQ(form.image1.width(), 200);
    EXPECT_EQ(form.comm1.left(), 360) << "the buttons were not laid out yet";
}

}  // namespace
}  // namespace orn::figure
