// ornpage on a real display, with the HTML engine: the maximised window kept
// above, the page it shows, the caption in the title, collapsing to a bar and
// expanding without reloading, closing, and a missing caption file. Every
// run has a private session bus, HOME and WINEPREFIX, and no process may
// outlive the test.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "ornfig_run.h"
#include "page_screen.h"
#include "page_session.h"
#include "runtime/codepage.h"
#include "runtime/text.h"

namespace orn::test {
namespace {

namespace fs = std::filesystem;

// The session runs at 96 DPI, GTK's resolution without an Xft.dpi setting.
constexpr double kTwipsPerPixel = 15;
const std::string kItemPath = "C:\\Book\\htm\\p07_2.htm";
const std::string kCaptionFile = "Book/htm/or3/p07_2.htm";
// Every process a test starts carries this variable, set to the test's tree.
const char* const kMarker = "ORN_PAGE_TEST_RUN";

// The page is text on white: a paragraph of it has thousands of dark pixels
// and, along its rows, many separate strokes, yet is mostly light (an
// unpainted or covered window can be all dark).
constexpr long kMinDarkPixels = 5000;
constexpr long kMinEdges = 2000;

bool looks_like_text(const Image& image) {
    Ink ink = measure_ink(image);
    return ink.dark_pixels >= kMinDarkPixels && ink.edges >= kMinEdges &&
           ink.dark_pixels <= static_cast<long>(image.pixels.size()) / 4;
}

std::string ornpage_binary() {
    const char* dir = std::getenv("ORN_BINARY_DIR");
    return std::string(dir && *dir ? dir : ORN_DEFAULT_BINARY_DIR) + "/page/ornpage";
}

int to_pixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

// The first line of the sample's caption file, as text, with the gap after it.
Text sample_caption_text() {
    std::ifstream in(sample_drive_c() + "/" + kCaptionFile, std::ios::binary);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return decode_ansi_line(line) + u".       ";
}

Text rotated(const Text& text, size_t steps) {
    steps %= text.size();
    return text.substr(steps) + text.substr(0, steps);
}

// Button Lefts as offsets from the button centre, in twips.
constexpr long kPressOffset = -2150;
constexpr long kExitOffset = 150;
constexpr double kButtonWidth = 1970, kButtonHeight = 345;

class OrnpageTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string reason = e2e_skip_reason();
        if (!reason.empty()) GTEST_SKIP() << reason;
        ASSERT_TRUE(fs::exists(ornpage_binary())) << ornpage_binary() << " is not built";
        home_ = tree_.mkdir("home");
        runtime_dir_ = tree_.mkdir("runtime");
        ::chmod(runtime_dir_.c_str(), 0700);
        bus_ = std::make_unique<PrivateSessionBus>(tree_.root() + "/bus", marker());
        ASSERT_FALSE(bus_->address().empty()) << "dbus-daemon did not start:\n" << bus_->log();
    }

    void TearDown() override {
        app_.reset();  // kills its process group: the program and the engine's processes
        bus_.reset();
        std::string left = end_marked_processes(kMarker, tree_.root(), Millis(3000));
        EXPECT_TRUE(left.empty()) << "processes outlived the test: " << left;
    }

    EnvironmentAdditions marker() const { return {{kMarker, tree_.root()}}; }

    // Starts ornpage on the item with drive_c as its C: drive; extra: more
    // environment (the locale, ...).
    void start(const std::string& drive_c, const EnvironmentAdditions& extra = {}) {
        app_.reset();
        if (prefix_.empty()) prefix_ = make_wine_prefix(tree_, drive_c);
        EnvironmentAdditions env = marker();
        // The per-user folders where they are by default, so that whatever
        // the program kept in them would show under HOME.
        env.insert(env.end(), {{"WINEPREFIX", prefix_},
                               {"HOME", home_},
                               {"XDG_CONFIG_HOME", home_ + "/.config"},
                               {"XDG_CACHE_HOME", home_ + "/.cache"},
                               {"XDG_DATA_HOME", home_ + "/.local/share"},
                               {"XDG_STATE_HOME", home_ + "/.local/state"},
                               {"XDG_RUNTIME_DIR", runtime_dir_},
                               {"DBUS_SESSION_BUS_ADDRESS", bus_->address()},
                               {"NO_AT_BRIDGE", "1"}});
        env.insert(env.end(), extra.begin(), extra.end());
        app_ =
            std::make_unique<Process>(ornpage_binary(), std::vector<std::string>{kItemPath}, env);
    }

    // Starts ornpage on the sample and waits for its window to be mapped.
    void start_on_sample() {
        start(sample_drive_c());
        ASSERT_NO_FATAL_FAILURE(wait_for_window());
    }

    void wait_for_window() {
        std::optional<WindowId> found;
        poll_until(
            [&] {
                found = probe_.main_window_of_pid(app_->pid());
                return (found && probe_.viewable(*found)) || !app_->running();
            },
            Millis(10000), {}, Millis(2));
        ASSERT_TRUE(found && probe_.viewable(*found))
            << "no page window appeared; standard error:\n"
            << app_->stderr_text();
        window_ = *found;
    }

    bool maximised() {
        return probe_.has_state(window_, "_NET_WM_STATE_MAXIMIZED_VERT") &&
               probe_.has_state(window_, "_NET_WM_STATE_MAXIMIZED_HORZ");
    }

    // Where the page shows, in client coordinates, for the window's Width now:
    // Left 30 twips, Top 375 twips, Width less 130 twips, and as far down as
    // the page's text goes on any window the tests make.
    Rect page_area() {
        auto outer = probe_.frame_geometry(window_);
        int width = outer ? to_pixels(outer->width * kTwipsPerPixel - 130) : 0;
        return {to_pixels(30), to_pixels(375), width, 600};
    }

    // The page area once it holds still (two grabs 250 ms apart alike) and
    // shows what is wanted: by default the page, text on white.
    std::optional<Image> settled_page(
        const std::function<bool(const Image&)>& wanted = looks_like_text) {
        std::optional<Image> last, now;
        bool settled = poll_until(
            [&] {
                last = std::move(now);
                now = grabber_.grab(window_, page_area());
                return now && last && differing_pixels(*now, *last) == 0 && wanted(*now);
            },
            Millis(15000), {}, Millis(250));
        if (!settled) return std::nullopt;
        return now;
    }

    // Saves a grab beside the test's other output and says where.
    std::string keep(const std::optional<Image>& image, const std::string& name) {
        if (!image) return " (nothing to save)";
        std::string path = testing::TempDir() + "ornpage-" + name + ".ppm";
        return save_ppm(*image, path) ? " (saved in " + path + ")" : "";
    }

    // Clicks the middle of the button whose Left is the centre plus offset,
    // the centre being the window's Width in twips halved.
    void click_button(long offset) {
        auto outer = probe_.frame_geometry(window_);
        auto client = probe_.client_geometry(window_);
        ASSERT_TRUE(outer && client) << "the page window has gone";
        long centre = std::lround(outer->width * kTwipsPerPixel) / 2;
        int x = client->x + to_pixels(centre + offset) + to_pixels(kButtonWidth) / 2;
        int y = client->y + to_pixels(kButtonHeight) / 2;
        ASSERT_TRUE(xdotool({"mousemove", std::to_string(x), std::to_string(y)}));
        ASSERT_TRUE(xdotool({"click", "1"}));
    }

    // Waits until the window is a normal one of the outer size, within a
    // pixel; a height of 0 asks for the buttons' height and the frame's.
    void expect_normal_window(int outer_width, int outer_height, const std::string& what) {
        std::optional<Rect> outer;
        int want_height = outer_height;
        bool reached = poll_until(
            [&] {
                outer = probe_.frame_geometry(window_);
                auto frame = probe_.frame_extents(window_);
                if (!outer || !frame || maximised()) return false;
                if (outer_height == 0)
                    want_height = to_pixels(kButtonHeight) + frame->top + frame->bottom;
                return std::abs(outer->width - outer_width) <= 1 &&
                       std::abs(outer->height - want_height) <= 1;
            },
            Millis(5000));
        ASSERT_TRUE(outer) << "the page window has gone";
        EXPECT_TRUE(reached) << what << ": the window is " << outer->width << "x" << outer->height
                             << (maximised() ? " maximised" : "") << ", expected a normal window "
                             << outer_width << "x" << want_height;
    }

    TempTree tree_;
    std::string home_, runtime_dir_, prefix_;
    std::unique_ptr<PrivateSessionBus> bus_;
    std::unique_ptr<Process> app_;  // declared after the bus: ends first
    X11Probe probe_;
    WindowGrabber grabber_;
    WindowId window_ = 0;
};

TEST_F(OrnpageTest, ComesUpMaximisedAboveShowingThePage) {
    ASSERT_NO_FATAL_FAILURE(start_on_sample());
    EXPECT_TRUE(
        poll_until([&] { return maximised() && probe_.has_state(window_, "_NET_WM_STATE_ABOVE"); },
                   Millis(5000)))
        << "states: " << testing::PrintToString(probe_.states(window_));

    auto page = settled_page();
    auto last = grabber_.grab(window_, page_area());
    Ink ink = last ? measure_ink(*last) : Ink{};
    EXPECT_TRUE(page) << "the page did not show: " << ink.dark_pixels << " dark pixels, "
                      << ink.edges << " strokes" << keep(last, "not-shown") << "; standard error:\n"
                      << app_->stderr_text();
    EXPECT_TRUE(app_->running()) << app_->stderr_text();
}

TEST_F(OrnpageTest, TheTitleIsTheCaptionAtOnceThenScrolls) {
    ASSERT_NO_FATAL_FAILURE(start_on_sample());
    // The titles from the mapping on, each with when it was first seen.
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> titles;
    poll_until(
        [&] {
            auto title = probe_.title(window_);
            if (title && (titles.empty() || titles.back().first != *title))
                titles.emplace_back(*title, std::chrono::steady_clock::now());
            return false;
        },
        Millis(1300), {}, Millis(2));
    std::ostringstream seen;
    for (const auto& [title, when] : titles) seen << "\n  \"" << title << "\"";

    Text caption = sample_caption_text();
    ASSERT_GE(titles.size(), 4u) << "too few titles in 1.3 s:" << seen.str();
    EXPECT_EQ(titles[0].first, to_utf8(caption)) << "the first title:" << seen.str();
    for (size_t i = 1; i < titles.size(); ++i)
        EXPECT_EQ(titles[i].first, to_utf8(rotated(caption, i))) << "title " << i << seen.str();
    for (size_t i = 2; i < titles.size(); ++i) {
        auto gap = std::chrono::duration_cast<Millis>(titles[i].second - titles[i - 1].second);
        EXPECT_TRUE(gap.count() >= 120 && gap.count() <= 400)
            << "tick " << i << " came after " << gap.count() << " ms";
    }
}

// Each load writes a new stamp into the page, so two loads look different:
// that is what tells a page shown again from a page loaded again.
TEST_F(OrnpageTest, EachLoadShowsANewStamp) {
    ASSERT_NO_FATAL_FAILURE(start_on_sample());
    auto first = settled_page();
    ASSERT_TRUE(first) << "the first load did not show";
    ASSERT_NO_FATAL_FAILURE(start_on_sample());
    auto second = settled_page();
    ASSERT_TRUE(second) << "the second load did not show";
    EXPECT_NE(differing_pixels(*first, *second), 0)
        << "two loads look alike" << keep(first, "first-load");
}

TEST_F(OrnpageTest, CollapsesToABarAndExpandsWithThePageAsItWas) {
    ASSERT_NO_FATAL_FAILURE(start_on_sample());
    ASSERT_TRUE(poll_until([&] { return maximised(); }, Millis(5000)));
    auto before = settled_page();
    ASSERT_TRUE(before) << "the page did not show";
    auto screen = probe_.frame_geometry(window_);
    ASSERT_TRUE(screen);

    ASSERT_NO_FATAL_FAILURE(click_button(kPressOffset));
    // A bar 4300 twips wide, as high as the buttons and the frame.
    ASSERT_NO_FATAL_FAILURE(expect_normal_window(to_pixels(4300), 0, "collapsed"));
    auto client = probe_.client_geometry(window_);
    ASSERT_TRUE(client);
    EXPECT_LT(client->height, page_area().y) << "the page area is still inside the window";
    EXPECT_TRUE(probe_.has_state(window_, "_NET_WM_STATE_ABOVE"));

    ASSERT_NO_FATAL_FAILURE(click_button(kPressOffset));
    ASSERT_NO_FATAL_FAILURE(expect_normal_window(screen->width, screen->height, "expanded"));
    auto after = settled_page();
    ASSERT_TRUE(after) << "the page did not show again"
                       << keep(grabber_.grab(window_, page_area()), "after-expand");
    long differing = differing_pixels(*before, *after);
    EXPECT_EQ(differing, 0) << "the page changed (reloaded?)" << keep(before, "before-collapse")
                            << keep(after, "after-expand");
    EXPECT_TRUE(app_->running()) << app_->stderr_text();
}

// Stretched by the user, the bar makes room for the page but keeps it hidden
// until it is expanded.
TEST_F(OrnpageTest, ACollapsedWindowStretchedByTheUserShowsNoPage) {
    ASSERT_NO_FATAL_FAILURE(start_on_sample());
    ASSERT_TRUE(poll_until([&] { return maximised(); }, Millis(5000)));
    ASSERT_TRUE(settled_page()) << "the page did not show";
    ASSERT_NO_FATAL_FAILURE(click_button(kPressOffset));
    ASSERT_NO_FATAL_FAILURE(expect_normal_window(to_pixels(4300), 0, "collapsed"));

    ASSERT_TRUE(xdotool({"windowsize", std::to_string(window_), "900", "700"}));
    std::optional<Rect> client;
    EXPECT_TRUE(poll_until(
        [&] {
            client = probe_.client_geometry(window_);
            return client && client->width == 900 && client->height == 700;
        },
        Millis(5000)))
        << "the window was not stretched";
    auto blank = [](const Image& image) { return measure_ink(image).dark_pixels == 0; };
    EXPECT_TRUE(settled_page(blank)) << "the page shows in the stretched bar"
                                     << keep(grabber_.grab(window_, page_area()), "stretched");

    ASSERT_NO_FATAL_FAILURE(click_button(kPressOffset));
    EXPECT_TRUE(settled_page()) << "the page did not show again"
                                << keep(grabber_.grab(window_, page_area()), "expanded");
}

TEST_F(OrnpageTest, TheCloseButtonEndsTheProgramWithStatus0) {
    ASSERT_NO_FATAL_FAILURE(start_on_sample());
    ASSERT_TRUE(poll_until([&] { return maximised(); }, Millis(5000)));
    ASSERT_TRUE(settled_page()) << "the page did not show";
    ASSERT_NO_FATAL_FAILURE(click_button(kExitOffset));
    auto status = app_->wait_for(Millis(5000));
    ASSERT_TRUE(status) << "still running 5 s after the close button was clicked";
    EXPECT_TRUE(status->exited && status->code == 0) << status->describe();
    EXPECT_EQ(app_->stderr_text().find("ornpage:"), std::string::npos) << app_->stderr_text();
}

// Settings, caches and storage stay in memory: a whole session leaves HOME
// as empty as it was.
TEST_F(OrnpageTest, WritesNothingUnderHome) {
    ASSERT_NO_FATAL_FAILURE(start_on_sample());
    ASSERT_TRUE(poll_until([&] { return maximised(); }, Millis(5000)));
    ASSERT_TRUE(settled_page()) << "the page did not show";
    ASSERT_NO_FATAL_FAILURE(click_button(kPressOffset));
    ASSERT_NO_FATAL_FAILURE(expect_normal_window(to_pixels(4300), 0, "collapsed"));
    ASSERT_NO_FATAL_FAILURE(click_button(kPressOffset));
    ASSERT_TRUE(settled_page()) << "the page did not show again";
    ASSERT_NO_FATAL_FAILURE(click_button(kExitOffset));
    auto status = app_->wait_for(Millis(5000));
    ASSERT_TRUE(status) << "still running 5 s after the close button was clicked";

    std::string written;
    for (const auto& entry : entries_under(home_)) written += "\n  " + entry;
    EXPECT_TRUE(written.empty()) << "written under HOME:" << written;
}

TEST_F(OrnpageTest, AMissingCaptionFileEndsWithStatus1AfterThePageWasOpened) {
    std::string drive = copy_sample_drive(tree_);
    fs::remove(fs::path(drive) / kCaptionFile);
    start(drive);

    std::optional<WindowId> dialog;
    poll_until(
        [&] {
            dialog = probe_.client_of_pid(app_->pid(), "ornpage");
            return (dialog && probe_.is_dialog(*dialog) && probe_.viewable(*dialog)) ||
                   !app_->running();
        },
        Millis(10000));
    ASSERT_TRUE(dialog && probe_.is_dialog(*dialog)) << "no error dialog; standard error:\n"
                                                     << app_->stderr_text();
    // One line of the program's own among whatever the libraries said.
    std::vector<std::string> ours;
    std::istringstream errors(app_->stderr_text());
    for (std::string line; std::getline(errors, line);)
        if (line.rfind("ornpage:", 0) == 0) ours.push_back(line);
    ASSERT_EQ(ours.size(), 1u) << "standard error:\n" << app_->stderr_text();
    EXPECT_EQ(ours[0].rfind("ornpage: File not found: C:\\Book\\htm\\or3\\p07_2.htm", 0), 0u)
        << ours[0];

    // The page window stays as it was made, not maximised, its page opened.
    auto page_window = probe_.main_window_of_pid(app_->pid());
    ASSERT_TRUE(page_window) << "no page window beside the dialog";
    window_ = *page_window;
    EXPECT_FALSE(maximised());
    EXPECT_EQ(probe_.title(window_), "Форма1") << "the caption was never read";
    // The dialog goes where it covers none of the window, to see the page.
    auto outer = probe_.frame_geometry(window_);
    ASSERT_TRUE(outer);
    ASSERT_TRUE(
        xdotool({"windowmove", std::to_string(*dialog), std::to_string(outer->x + outer->width),
                 std::to_string(outer->y + outer->height)}));
    auto page = settled_page();
    EXPECT_TRUE(page) << "the page was not opened before the error"
                      << keep(grabber_.grab(window_, page_area()), "behind-dialog");

    ASSERT_TRUE(xdotool({"windowactivate", "--sync", std::to_string(*dialog)}) &&
                xdotool({"key", "Return"}))
        << "xdotool could not press Return in the dialog";
    auto status = app_->wait_for(Millis(5000));
    ASSERT_TRUE(status) << "still running 5 s after the dialog was dismissed";
    EXPECT_TRUE(status->exited && status->code == 1) << status->describe();
}

// The page's own boxes speak the user's language: a page's alert is a dialog
// of the program's, titled in Russian under ru_RU.UTF-8 (the engine's own box
// would say "JavaScript" and "OK"/"Cancel" in English); answering it lets the
// program go on.
TEST_F(OrnpageTest, APagesAlertIsADialogInTheUsersLanguage) {
    std::string old_locale = std::setlocale(LC_MESSAGES, nullptr);
    bool russian = std::setlocale(LC_MESSAGES, "ru_RU.UTF-8") != nullptr;
    std::setlocale(LC_MESSAGES, old_locale.c_str());
    if (!russian) GTEST_SKIP() << "ru_RU.UTF-8 is not available";
    std::string drive = copy_sample_drive(tree_);
    tree_.write("drive_c/Book/htm/dop_htm/p07_2.htm",
                "<html><body onload=\"alert('x')\"><p>text</p></body></html>");
    start(drive, {{"LANG", "ru_RU.UTF-8"}, {"LC_ALL", ""}, {"LANGUAGE", ""}});

    const std::string title = "Сообщение страницы";
    std::optional<WindowId> dialog;
    poll_until(
        [&] {
            dialog = probe_.client_of_pid(app_->pid(), title);
            return (dialog && probe_.is_dialog(*dialog) && probe_.viewable(*dialog)) ||
                   !app_->running();
        },
        Millis(15000));
    ASSERT_TRUE(dialog && probe_.is_dialog(*dialog))
        << "no dialog titled " << title << "; standard error:\n"
        << app_->stderr_text();
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", std::to_string(*dialog)}));
    ASSERT_TRUE(xdotool({"key", "Return"}));
    EXPECT_TRUE(poll_until([&] { return !probe_.client_of_pid(app_->pid(), title); }, Millis(5000)))
        << "the dialog stayed after Return";
    EXPECT_TRUE(app_->running()) << "the program ended with the dialog";
}

}  // namespace
}  // namespace orn::test
