// ornfig on a real display: the caption scrolling through the title, the
// window's place, size and keep-above state, and zooming by mouse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "ornfig_run.h"
#include "runtime/codepage.h"
#include "runtime/text.h"

namespace orn::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The session runs at 96 DPI, GTK's resolution without an Xft.dpi setting.
constexpr double kTwipsPerPixel = 15;
// The sample figures' natural sizes (data/drive_c/*/jpg).
constexpr int kF01_1Width = 800, kF01_1Height = 600;
constexpr int kF12_3Width = 640, kF12_3Height = 480;

const std::string kDesignedTitle = "Форма1";

// The first line of a sample caption file, as text.
Text sample_caption_line(const std::string& relative_path) {
    std::ifstream in(sample_drive_c() + "/" + relative_path, std::ios::binary);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return decode_ansi_line(line);
}

// The titles the ticker shows, from the caption text before the first tick.
std::vector<std::string> expected_titles(Text caption_text, int ticks) {
    std::vector<std::string> titles{kDesignedTitle};
    for (int tick = 0; tick < ticks; ++tick) {
        caption_text = caption_text.substr(1) + caption_text.substr(0, 1);
        titles.push_back(to_utf8(caption_text));
    }
    return titles;
}

long long ms_between(const TitleChange& earlier, const TitleChange& later) {
    return std::chrono::duration_cast<Millis>(later.seen - earlier.seen).count();
}

// The window's outer size in pixels for a zoom percent of a figure, by the
// layout rules: picture = floor(zoom x natural / 100); width = picture + 100
// twips; height = picture + 495 twips + frame allowance (frame height less
// 50 twips).
struct Layout {
    int outer_width;
    int outer_height;
};
Layout layout_for(int zoom_percent, int natural_width, int natural_height, const Extents& frame) {
    auto to_pixels = [](double twips) {
        return static_cast<int>(std::lround(twips / kTwipsPerPixel));
    };
    double picture_width = std::floor(zoom_percent * natural_width / 100.0) * kTwipsPerPixel;
    double picture_height = std::floor(zoom_percent * natural_height / 100.0) * kTwipsPerPixel;
    double allowance = (frame.top + frame.bottom) * kTwipsPerPixel - 50;
    return {to_pixels(picture_width + 100), to_pixels(picture_height + 495 + allowance)};
}

std::string describe(const std::vector<TitleChange>& changes) {
    std::ostringstream text;
    for (size_t i = 0; i < changes.size(); ++i) {
        text << "\n  \"" << changes[i].title << "\"";
        if (i > 0) text << " after " << ms_between(changes[i - 1], changes[i]) << " ms";
    }
    return text.str();
}

class OrnfigWindow : public testing::Test {
  protected:
    void SetUp() override {
        std::string reason = e2e_skip_reason();
        if (!reason.empty()) GTEST_SKIP() << reason;
        prefix = make_wine_prefix(tree, sample_drive_c());
    }

    // Starts ornfig and waits for its figure window.
    void start(const std::string& item_path) {
        run = std::make_unique<OrnfigRun>(item_path, prefix);
        auto found = run->wait_for_figure_window();
        ASSERT_TRUE(found) << "no figure window appeared; ornfig's standard error:\n"
                           << run->process().stderr_text();
        window = *found;
    }

    // The titles shown from the mapping on, checked against the caption.
    void expect_scrolling_caption(const Text& caption_text) {
        auto changes = run->record_titles(window, Millis(1100));
        auto expected = expected_titles(caption_text, 3);
        ASSERT_GE(changes.size(), expected.size())
            << "too few titles in 1.1 s:" << describe(changes);
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(changes[i].title, expected[i])
                << "title " << i << " of:" << describe(changes);
        // Ticks (not the first, which counts from start-up) come about 200 ms apart.
        for (size_t i = 2; i < changes.size(); ++i) {
            long long gap = ms_between(changes[i - 1], changes[i]);
            EXPECT_TRUE(gap >= 120 && gap <= 400)
                << "tick " << i << " came after " << gap << " ms:" << describe(changes);
        }
    }

    // Waits until the window has the outer size of the layout for zoom_percent
    // with its frame's corner at (x, y): by default the screen's corner.
    void expect_layout(int zoom_percent, int natural_width, int natural_height, int x = 0,
                       int y = 0) {
        auto frame = run->probe().frame_extents(window);
        ASSERT_TRUE(frame) << "no _NET_FRAME_EXTENTS on the figure window";
        Layout want = layout_for(zoom_percent, natural_width, natural_height, *frame);
        std::optional<Rect> rect;
        bool laid_out = poll_until(
            [&] {
                rect = run->probe().frame_geometry(window);
                return rect && rect->x == x && rect->y == y && rect->width == want.outer_width &&
                       rect->height == want.outer_height;
            },
            Millis(3000));
        ASSERT_TRUE(rect) << "the figure window has gone";
        EXPECT_TRUE(laid_out) << "at " << zoom_percent << " %: the window (frame included) is "
                              << rect->width << "x" << rect->height << " at (" << rect->x << ","
                              << rect->y << "), expected " << want.outer_width << "x"
                              << want.outer_height << " at (" << x << "," << y << ")";
    }

    // A point of the client area, in root coordinates.
    std::pair<std::string, std::string> root_point(int client_x, int client_y) {
        auto client = run->probe().client_geometry(window);
        EXPECT_TRUE(client);
        if (!client) return {"0", "0"};
        return {std::to_string(client->x + client_x), std::to_string(client->y + client_y)};
    }
    void click_at(int client_x, int client_y, const std::vector<std::string>& click) {
        auto [x, y] = root_point(client_x, client_y);
        ASSERT_TRUE(xdotool({"mousemove", x, y}));
        std::vector<std::string> args{"click"};
        args.insert(args.end(), click.begin(), click.end());
        ASSERT_TRUE(xdotool(args));
        // GTK takes a press within twice its double-click time (2 x 400 ms)
        // of a double click for a third click; only time separates clicks.
        std::this_thread::sleep_for(Millis(900));
    }

    TempTree tree;
    std::string prefix;
    std::unique_ptr<OrnfigRun> run;
    WindowId window = 0;
};

TEST_F(OrnfigWindow, CaptionScrollsThroughTheTitle) {
    ASSERT_NO_FATAL_FAILURE(start("C:\\Book\\htm\\f01_1.htm"));
    Text line = sample_caption_line("Book/htm/orn/f01_1.htm");
    ASSERT_FALSE(line.empty());
    expect_scrolling_caption(line + u".       ");
}

TEST_F(OrnfigWindow, SelfAnswerFigureScrollsTheFixedText) {
    ASSERT_NO_FATAL_FAILURE(start("C:\\Book\\htm\\f12_3!.htm"));
    Text fixed = u"Рисунок для самостоятельного ответа.    ";
    ASSERT_EQ(fixed.size(), 40u);
    expect_scrolling_caption(fixed);
    // Its own content root (C:\Extra) and its figure without the "!".
    expect_layout(50, kF12_3Width, kF12_3Height);
}

// A caption line near the 1 MiB limit: the window manager is given a
// bounded beginning of it, which still moves on by one character a tick.
TEST_F(OrnfigWindow, ALongCaptionGivesTheTitleBarABoundedBeginning) {
    TempTree book;
    std::string drive = copy_sample_drive(book);
    std::string line;
    while (line.size() < (std::size_t{1} << 20) - 16)
        line += static_cast<char>('a' + line.size() % 26);
    book.write("drive_c/Book/htm/orn/f01_1.htm", line + "\r\n");
    prefix = make_wine_prefix(book, drive);
    ASSERT_NO_FATAL_FAILURE(start("C:\\Book\\htm\\f01_1.htm"));
    ASSERT_TRUE(run->wait_until_started(window)) << "the caption does not scroll";
    auto changes = run->record_titles(window, Millis(700));
    ASSERT_GE(changes.size(), 2u) << describe(changes);
    for (const char* property : {"_NET_WM_NAME", "WM_NAME"}) {
        std::size_t bytes = run->probe().property_bytes(window, property);
        EXPECT_GT(bytes, 0u) << property;
        EXPECT_LE(bytes, 2048u) << property << " holds the whole caption";
    }
    const std::string& before = changes[changes.size() - 2].title;
    const std::string& after = changes.back().title;
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.substr(0, after.size() - 1), before.substr(1)) << "the ticker moved on";
}

// A textbook whose Cyrillic file names are stored in Windows-1251 bytes, as
// copied from a disc: the item typed in UTF-8 finds its figure and caption.
TEST_F(OrnfigWindow, FindsFilesNamedInTheWindowsCodePage) {
    TempTree book;
    std::string drive = copy_sample_drive(book);
    const std::string name = "\xF0\xE8\xF1_2";  // рис_2 in Windows-1251
    fs::copy_file(fs::path(drive) / "Book/jpg/f01_1.jpg",
                  fs::path(drive) / "Book/jpg" / (name + ".jpg"));
    fs::copy_file(fs::path(drive) / "Book/htm/orn/f01_1.htm",
                  fs::path(drive) / "Book/htm/orn" / (name + ".htm"));
    prefix = make_wine_prefix(book, drive);
    ASSERT_NO_FATAL_FAILURE(start("C:\\Book\\htm\\рис_2.htm"));
    EXPECT_TRUE(run->wait_until_started(window)) << "the caption does not scroll; standard error:\n"
                                                 << run->process().stderr_text();
    expect_layout(50, kF01_1Width, kF01_1Height);
}

TEST_F(OrnfigWindow, StartsKeptAboveAtTheCornerSizedForHalfTheFigure) {
    ASSERT_NO_FATAL_FAILURE(start("C:\\Book\\htm\\f01_1.htm"));
    EXPECT_TRUE(poll_until([&] { return run->probe().has_state(window, "_NET_WM_STATE_ABOVE"); },
                           Millis(2000)))
        << "the figure window is not kept above";
    expect_layout(50, kF01_1Width, kF01_1Height);

    // The client area holds the picture (400 px) and a few pixels of margin.
    auto client = run->probe().client_geometry(window);
    auto frame = run->probe().frame_extents(window);
    ASSERT_TRUE(client && frame);
    int outer_width =
        static_cast<int>(std::lround((kF01_1Width * kTwipsPerPixel / 2 + 100) / kTwipsPerPixel));
    EXPECT_EQ(client->width, outer_width - frame->left - frame->right);
    EXPECT_TRUE(run->process().running()) << run->process().stderr_text();
}

TEST_F(OrnfigWindow, ShowsItsOwnIcon) {
    ASSERT_NO_FATAL_FAILURE(start("C:\\Book\\htm\\f01_1.htm"));
    std::string file = sample_drive_c() + "/../../figure/icons/ornfig-32.png";
    GdkPixbuf* png = gdk_pixbuf_new_from_file(file.c_str(), nullptr);
    ASSERT_TRUE(png) << file;
    ASSERT_TRUE(gdk_pixbuf_get_has_alpha(png));
    std::vector<unsigned long> want{32, 32};
    const guchar* pixels = gdk_pixbuf_get_pixels(png);
    auto stride = static_cast<std::size_t>(gdk_pixbuf_get_rowstride(png));
    for (std::size_t y = 0; y < 32; ++y) {
        for (std::size_t x = 0; x < 32; ++x) {
            const guchar* p = pixels + y * stride + x * 4;
            want.push_back(static_cast<unsigned long>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2]);
        }
    }
    g_object_unref(png);
    // The window's first image is the program's own icon.
    std::vector<unsigned long> icons = run->probe().icons(window);
    ASSERT_GE(icons.size(), want.size());
    int differ = 0;
    // Xlib hands 32-bit items over as C longs, sign-extended.
    for (std::size_t i = 0; i < want.size(); ++i) differ += (icons[i] & 0xffffffffUL) != want[i];
    EXPECT_EQ(differ, 0) << "of " << want.size() - 2 << " pixels; " << icons.size() << " items";
}

TEST_F(OrnfigWindow, DoubleClickAndButtonsZoom) {
    ASSERT_NO_FATAL_FAILURE(start("C:\\Book\\htm\\f01_1.htm"));
    ASSERT_NO_FATAL_FAILURE(expect_layout(50, kF01_1Width, kF01_1Height));
    ASSERT_TRUE(run->wait_until_started(window)) << "the caption does not scroll";
    const std::vector<std::string> double_click{"--repeat", "2", "--delay", "80", "1"};

    click_at(40, 40, double_click);  // on the picture
    ASSERT_NO_FATAL_FAILURE(expect_layout(100, kF01_1Width, kF01_1Height));
    click_at(40, 40, double_click);
    ASSERT_NO_FATAL_FAILURE(expect_layout(30, kF01_1Width, kF01_1Height));

    // At 30 % the picture is 240x180 px; the buttons sit 1 px under it, the
    // zoom-out one from the left edge, the zoom-in one from the middle.
    int button_y = 180 + 1 + 10;
    click_at(20, button_y, {"1"});  // zoom out: already at the least zoom
    ASSERT_NO_FATAL_FAILURE(expect_layout(30, kF01_1Width, kF01_1Height));
    click_at(240 / 2 + 20, button_y, {"1"});  // zoom in
    ASSERT_NO_FATAL_FAILURE(expect_layout(40, kF01_1Width, kF01_1Height));
    click_at(20, 240 + 1 + 10, {"1"});  // zoom out, under the 320x240 px picture
    ASSERT_NO_FATAL_FAILURE(expect_layout(30, kF01_1Width, kF01_1Height));
    EXPECT_TRUE(run->process().running()) << run->process().stderr_text();
}

// The program never moves its window: after the user has dragged it by the
// picture, a zoom resizes it where it now is.
TEST_F(OrnfigWindow, ADraggedWindowIsZoomedWhereTheUserPutIt) {
    ASSERT_NO_FATAL_FAILURE(start("C:\\Book\\htm\\f01_1.htm"));
    ASSERT_NO_FATAL_FAILURE(expect_layout(50, kF01_1Width, kF01_1Height));
    ASSERT_TRUE(run->wait_until_started(window)) << "the caption does not scroll";

    auto [x, y] = root_point(40, 40);  // on the picture
    ASSERT_TRUE(xdotool({"mousemove", x, y, "mousedown", "1"}));
    for (int step = 1; step <= 10; ++step)
        ASSERT_TRUE(xdotool({"mousemove_relative", "--", "20", "15"}));
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    ASSERT_NO_FATAL_FAILURE(expect_layout(50, kF01_1Width, kF01_1Height, 200, 150));
    std::this_thread::sleep_for(Millis(900));  // no double click with the next press

    click_at(400 / 2 + 20 + 20, 300 + 1 + 10, {"1"});  // zoom in, under the 400x300 px picture
    ASSERT_NO_FATAL_FAILURE(expect_layout(60, kF01_1Width, kF01_1Height, 200, 150));
    EXPECT_TRUE(run->process().running()) << run->process().stderr_text();
}

}  // namespace
}  // namespace orn::test
