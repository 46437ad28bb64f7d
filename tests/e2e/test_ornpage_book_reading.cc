// ornpage on data/old_book as a reader uses it: the keys a browser control
// answers (reload, zoom, find, print), sound that plays when a page opens,
// and text files and pages in other encodings than Windows-1251. The setting
// of each run, and what is checked after it, is in old_book_fixture.h.
#include <iostream>

#include "old_book_fixture.h"

namespace orn::test {
namespace {

class ReadingTest : public OldBookTest {
  protected:
    // The page file of an item, in the test's copy of the book.
    std::string page_file(const std::string& name) const {
        return drive_ + "/Uchebnik/HTM/DOP_HTM/" + name;
    }

    // Turns the mouse wheel (button 4 up, 5 down) over an empty spot of the
    // page with Control held.
    void control_wheel(const std::string& button, int turns) {
        auto client = probe_.client_geometry(window_);
        ASSERT_TRUE(client) << "the page window has gone";
        std::vector<std::string> args{"mousemove", std::to_string(client->x + 2 + 700),
                                      std::to_string(client->y + kPageTop + 400), "keydown",
                                      "ctrl"};
        for (int i = 0; i < turns; ++i) args.insert(args.end(), {"click", button});
        args.insert(args.end(), {"keyup", "ctrl"});
        ASSERT_TRUE(xdotool(args));
    }

    // Waits until the area mostly shows one colour (a band of the long page).
    bool mostly(std::uint32_t colour, Millis timeout = Millis(5000)) {
        return page_showing(
                   [&](const Image& i) {
                       return pixels_like(i, colour) > static_cast<long>(i.pixels.size()) / 2;
                   },
                   timeout)
            .has_value();
    }
};

// The page file's one colour, replaced on disk.
void recolour(const std::string& path, const std::string& from, const std::string& to) {
    std::string text = read_file(path);
    std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " is not in " << path;
    text.replace(at, from.size(), to);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST_F(ReadingTest, F5AndCtrlRLoadThePageAgainFromTheDisc) {
    ASSERT_NO_FATAL_FAILURE(start("p02_1.htm"));
    ASSERT_TRUE(page_showing([](const Image& i) { return pixels_like(i, 0x3060c0) > 40000; }))
        << "the page did not show" << keep("reload");
    ASSERT_NO_FATAL_FAILURE(click_page(700, 400));  // the page has the keyboard
    std::string file = page_file("p02_1.htm");

    ASSERT_NO_FATAL_FAILURE(recolour(file, "#3060c0", "#c03060"));
    // Changed on disk only: the view keeps what it loaded until asked.
    EXPECT_FALSE(
        page_showing([](const Image& i) { return pixels_like(i, 0xc03060) > 1000; }, Millis(1000)));
    ASSERT_NO_FATAL_FAILURE(key("F5"));
    EXPECT_TRUE(page_showing([](const Image& i) { return pixels_like(i, 0xc03060) > 40000; }))
        << "F5 did not load the page again" << keep("reload-f5");

    ASSERT_NO_FATAL_FAILURE(recolour(file, "#c03060", "#30a050"));
    ASSERT_NO_FATAL_FAILURE(key("ctrl+r"));
    EXPECT_TRUE(page_showing([](const Image& i) { return pixels_like(i, 0x30a050) > 40000; }))
        << "Ctrl+R did not load the page again" << keep("reload-ctrl-r");
}

// Ctrl+plus is tested with the links; here the other ways of zooming.
TEST_F(ReadingTest, CtrlMinusAndTheControlWheelZoomAndCtrlZeroRestores) {
    ASSERT_NO_FATAL_FAILURE(start("p01_3.htm"));
    auto before = page_showing([&](const Image& i) { return shows_links_page(i); });
    ASSERT_TRUE(before) << "the links page did not show" << keep("zoom");
    ASSERT_NO_FATAL_FAILURE(click_page(700, 400));  // the page has the keyboard
    long banner = pixels_like(*before, 0xc06000);
    auto smaller = [&](const Image& i) { return pixels_like(i, 0xc06000) < banner * 9 / 10; };
    auto larger = [&](const Image& i) { return pixels_like(i, 0xc06000) > banner * 11 / 10; };
    auto as_before = [&](const Image& i) {
        return std::abs(pixels_like(i, 0xc06000) - banner) < banner / 20;
    };

    ASSERT_NO_FATAL_FAILURE(key("ctrl+minus"));
    EXPECT_TRUE(page_showing(smaller)) << "Ctrl+minus did not zoom out" << keep("zoom-minus");
    ASSERT_NO_FATAL_FAILURE(key("ctrl+0"));
    EXPECT_TRUE(page_showing(as_before)) << "Ctrl+0 did not restore" << keep("zoom-0");

    ASSERT_NO_FATAL_FAILURE(control_wheel("4", 1));
    EXPECT_TRUE(page_showing(larger)) << "Ctrl+wheel up did not zoom in" << keep("wheel-up");
    ASSERT_NO_FATAL_FAILURE(control_wheel("5", 2));
    EXPECT_TRUE(page_showing(smaller)) << "Ctrl+wheel down did not zoom out" << keep("wheel-down");
    ASSERT_NO_FATAL_FAILURE(key("ctrl+0"));
    EXPECT_TRUE(page_showing(as_before)) << "Ctrl+0 did not restore" << keep("wheel-0");
}

TEST_F(ReadingTest, TheFindBarFindsAndClosesWithEscape) {
    ASSERT_NO_FATAL_FAILURE(start("p01_1.htm"));
    ASSERT_TRUE(page_showing([](const Image& i) { return pixels_like(i, 0x7b2d8b) > 8000; }));
    ASSERT_NO_FATAL_FAILURE(click_page(700, 400));  // the page has the keyboard
    auto before = grabber_.grab(window_, page_area());
    ASSERT_NO_FATAL_FAILURE(key("ctrl+f"));
    ASSERT_TRUE(xdotool({"type", "--delay", "20", "molecule"}));
    // The bar shows over the page's top right corner; the match is marked.
    auto with_bar = page_showing(
        [&](const Image& i) { return differing_pixels(i, *before) > 2000; }, Millis(5000));
    EXPECT_TRUE(with_bar) << "no find bar" << keep("find");
    ASSERT_NO_FATAL_FAILURE(key("Escape"));
    EXPECT_TRUE(page_showing([&](const Image& i) { return differing_pixels(i, *before) == 0; },
                             Millis(5000)))
        << "Escape did not close the find bar" << keep("find-closed");
    EXPECT_TRUE(app_->running());
}

// The long page has the formula once in each of three bands, far apart:
// each match brings its band into view.
TEST_F(ReadingTest, EnterAndF3GoToTheNextMatch) {
    constexpr std::uint32_t kTop = 0x404040, kFirst = 0xd0e8ff, kSecond = 0xffe0c0,
                            kThird = 0xd8f5d0;
    ASSERT_NO_FATAL_FAILURE(start("p02_2.htm"));
    ASSERT_TRUE(page_showing([](const Image& i) { return pixels_like(i, kTop) > 15000; }))
        << "the long page did not show" << keep("find-long");
    ASSERT_NO_FATAL_FAILURE(click_page(700, 50));  // the page has the keyboard
    // Before the first search F3 and Escape have nothing to do.
    ASSERT_NO_FATAL_FAILURE(key("F3"));
    ASSERT_NO_FATAL_FAILURE(key("Escape"));
    ASSERT_TRUE(app_->running());
    EXPECT_EQ(app_->stderr_text().find("CRITICAL"), std::string::npos) << app_->stderr_text();
    ASSERT_NO_FATAL_FAILURE(key("ctrl+f"));
    ASSERT_TRUE(xdotool({"type", "--delay", "20", "NaCl"}));
    // The first match is below the first screen: the view scrolls to it.
    EXPECT_TRUE(page_showing([](const Image& i) {
        // Text's antialiased edges come near the dark block's colour too.
        return pixels_like(i, kTop) < 2000 && pixels_like(i, kFirst) > 100000;
    })) << "typing did not find the first match"
        << keep("find-first");
    ASSERT_NO_FATAL_FAILURE(key("Return"));
    EXPECT_TRUE(mostly(kSecond)) << "Enter did not go to the next match" << keep("find-enter");
    ASSERT_NO_FATAL_FAILURE(key("F3"));
    EXPECT_TRUE(mostly(kThird)) << "F3 did not go to the next match" << keep("find-f3");
    ASSERT_NO_FATAL_FAILURE(key("F3"));
    EXPECT_TRUE(mostly(kFirst)) << "F3 did not wrap to the first match" << keep("find-wrap");
}

TEST_F(ReadingTest, CtrlPOpensThePrintDialogAndEscapePrintsNothing) {
    ASSERT_NO_FATAL_FAILURE(start("p01_1.htm"));
    ASSERT_TRUE(page_showing([](const Image& i) { return pixels_like(i, 0x7b2d8b) > 8000; }));
    ASSERT_NO_FATAL_FAILURE(click_page(700, 400));  // the page has the keyboard
    ASSERT_TRUE(wait_for_dialog(Millis(0)) == std::nullopt) << "a dialog before Ctrl+P";
    ASSERT_NO_FATAL_FAILURE(key("ctrl+p"));
    std::optional<WindowId> dialog = wait_for_dialog(Millis(10000));
    ASSERT_TRUE(dialog) << "Ctrl+P opened no print dialog";
    EXPECT_EQ(probe_.title(*dialog).value_or(""), "Print");
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", std::to_string(*dialog)}) &&
                xdotool({"key", "Escape"}));
    EXPECT_TRUE(poll_until([&] { return !probe_.viewable(*dialog); }, Millis(5000)))
        << "Escape did not close the print dialog";
    EXPECT_TRUE(app_->running());
    EXPECT_TRUE(page_showing([](const Image& i) { return pixels_like(i, 0x7b2d8b) > 8000; }));
    // Nothing printed to a file: the fixture finds no new file in HOME.
}

TEST_F(ReadingTest, ABackgroundSoundPlaysWhenThePageOpens) {
    ASSERT_NO_FATAL_FAILURE(start("p01_5.htm"));
    int peak = sound_peak();
    EXPECT_GT(peak, kPlayedPeak) << "the <bgsound> did not play";
    // The sample went to the file, a file of the test's: not one of HOME's.
    fs::remove(sound_);
}

TEST_F(ReadingTest, AnEmbeddedSoundPlaysWhenThePageOpens) {
    ASSERT_NO_FATAL_FAILURE(start("p02_3.htm"));
    EXPECT_GT(sound_peak(), kPlayedPeak) << "the <embed type=audio/x-wav> did not play";
    fs::remove(sound_);
}

TEST_F(ReadingTest, AnAutoplayAudioPlaysWhenThePageOpens) {
    ASSERT_NO_FATAL_FAILURE(start("p02_4.htm"));
    EXPECT_GT(sound_peak(), kPlayedPeak) << "the <audio autoplay> did not play";
    fs::remove(sound_);
}

// Each frame's text is read by the page, which paints a box green when it
// is the Russian expected, red when not.
TEST_F(ReadingTest, TextFilesAndPagesInOtherEncodingsReadAsRussian) {
    struct Box {
        const char* what;
        int x;
    };
    const Box boxes[] = {
        {"a .txt file in Windows-1251, undeclared", 35},
        {"a .txt file in UTF-8, undeclared", 95},
        {"a page declaring koi8-r in <meta charset>", 155},
        {"a page declaring cp866 in <meta http-equiv>", 215},
    };
    constexpr int kBoxY = 35;
    constexpr std::uint32_t kRead = 0x00c000, kMisread = 0xff0000;
    auto box_colour = [&](const Image& image, const Box& box) {
        std::size_t at = std::size_t{kBoxY} * static_cast<std::size_t>(image.width) +
                         static_cast<std::size_t>(box.x);
        return image.width > box.x && image.height > kBoxY ? image.pixels[at] : 0u;
    };
    ASSERT_NO_FATAL_FAILURE(start("p02_5.htm"));
    auto page = page_showing([&](const Image& i) {
        return std::all_of(std::begin(boxes), std::end(boxes), [&](const Box& box) {
            return colour_like(box_colour(i, box), kRead) ||
                   colour_like(box_colour(i, box), kMisread);
        });
    });
    ASSERT_TRUE(page) << "the frames were not all read" << keep("encodings");
    for (const Box& box : boxes)
        EXPECT_TRUE(colour_like(box_colour(*page, box), kRead))
            << box.what << " did not read as Russian";
    std::cout << "the page as shown:" << keep("encodings") << "\n";
}

}  // namespace
}  // namespace orn::test
