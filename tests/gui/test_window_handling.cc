// Window handling on the real GTK backend under an EWMH window manager:
// the measured frame, keep-above, moving the window by its picture, and
// which handler a press or a double click reaches.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gui_session.h"
#include "page_screen.h"
#include "runtime/picture.h"
#include "runtime/toolkit.h"
#include "test_form.h"
#include "window/window_handling.h"

// Xlib last: its macros (None, Bool, Status) clash with other headers.
#include <X11/Xlib.h>

namespace orn::test {
namespace {

constexpr Millis kSettle(600);  // longer than GTK's double-click time (400 ms)

std::string describe(const std::optional<Rect>& rect) {
    if (!rect) return "(no window)";
    return "(" + std::to_string(rect->x) + "," + std::to_string(rect->y) + " " +
           std::to_string(rect->width) + "x" + std::to_string(rect->height) + ")";
}

class WindowHandling : public testing::Test {
  protected:
    void SetUp() override {
        if (!gui_session().skip_reason().empty()) GTEST_SKIP() << gui_session().skip_reason();
        toolkit = std::make_unique<Toolkit>(gui_session().backend(), "gui_tests", u"");
        form = std::make_unique<TestForm>(*toolkit);
        form->image.set_picture(
            load_picture_file(sample_file("Book/jpg/f01_2.jpg"), u"C:\\Book\\jpg\\f01_2.jpg", 1.0));
        window = static_cast<WindowId>(form->hwnd());
    }

    void TearDown() override {
        form.reset();
        pump_events();
    }

    X11Probe& probe() { return gui_session().probe(); }
    int pixels(Single twips) { return toolkit->to_pixels(twips); }

    // Shows the form and waits until the window manager has framed it and
    // placed the frame at the designed corner.
    void show_and_wait() {
        form->show();
        bool placed = pump_until([&] {
            auto frame = probe().frame_geometry(window);
            return probe().viewable(window) && frame && frame->x == pixels(form->left()) &&
                   frame->y == pixels(form->top());
        });
        ASSERT_TRUE(placed) << "the window was not mapped at its place; it is at "
                            << describe(probe().frame_geometry(window));
        pump_for(Millis(100));  // let the window manager finish mapping (focus, stacking)
    }

    // A point of the client area in root coordinates.
    std::pair<int, int> root_point(int client_x, int client_y) {
        auto client = probe().client_geometry(window);
        EXPECT_TRUE(client.has_value()) << "the window has gone";
        if (!client) return {0, 0};
        return {client->x + client_x, client->y + client_y};
    }
    std::pair<int, int> inside_picture() {
        return root_point(pixels(form->image.left()) + 40, pixels(form->image.top()) + 40);
    }
    std::pair<int, int> inside_button() {
        return root_point(pixels(form->button.left()) + pixels(form->button.width()) / 2,
                          pixels(form->button.top()) + pixels(form->button.height()) / 2);
    }
    // Right of the picture, above the button: no control there.
    std::pair<int, int> on_bare_form() {
        return root_point(pixels(form->image.left() + form->image.width()) + 20,
                          pixels(form->image.top()) + 20);
    }

    static void move_pointer(std::pair<int, int> point) {
        ASSERT_TRUE(
            xdotool({"mousemove", std::to_string(point.first), std::to_string(point.second)}));
        pump_for(Millis(50));
    }
    static void click(std::pair<int, int> point, int button) {
        move_pointer(point);
        ASSERT_TRUE(xdotool({"click", std::to_string(button)}));
    }

    std::unique_ptr<Toolkit> toolkit;
    std::unique_ptr<TestForm> form;
    WindowId window = 0;
};

// ---- the frame's height

class FrameHeight : public WindowHandling {
  protected:
    // The frame's height as the window manager reports it, in twips.
    Single reported_frame_twips() {
        std::optional<Extents> extents;
        pump_until([&] { return (extents = probe().frame_extents(window)).has_value(); });
        EXPECT_TRUE(extents.has_value()) << "no _NET_FRAME_EXTENTS on the window";
        if (!extents) return -1;
        return toolkit->to_twips(extents->top + extents->bottom);
    }
};

TEST_F(FrameHeight, MeasuredBeforeShowingIsTheFrameTheWindowGets) {
    Single height = form->height();
    std::int16_t measured = measure_frame_height(*form);
    EXPECT_EQ(form->height(), height) << "the height is put back";
    EXPECT_GT(measured, 0) << "openbox draws a title bar";

    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    EXPECT_EQ(measured, reported_frame_twips());
}

TEST_F(FrameHeight, MeasuredWhileShownIsTheSameAndLeavesTheWindowItsSize) {
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    auto before = probe().client_geometry(window);
    std::int16_t measured = measure_frame_height(*form);
    EXPECT_EQ(measured, reported_frame_twips());

    // Squeezed to its frame and back: the window on screen ends at its size.
    pump_for(kSettle);
    auto after = probe().client_geometry(window);
    EXPECT_EQ(describe(after), describe(before));
}

// ---- placement

// Where the window manager puts the frames of new windows, as seen from a
// connection of its own.
class FrameMoves {
  public:
    FrameMoves() : display_(XOpenDisplay(nullptr)) {
        if (!display_) return;
        XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
        XSync(display_, False);  // listening before anything is shown
    }
    ~FrameMoves() {
        if (display_) XCloseDisplay(display_);
    }
    FrameMoves(const FrameMoves&) = delete;
    FrameMoves& operator=(const FrameMoves&) = delete;

    // The positions the frame around client took, in order: where it was
    // made, then every move.
    std::vector<std::pair<int, int>> of(WindowId client) {
        std::vector<std::pair<int, int>> positions;
        if (!display_) return positions;
        XSync(display_, False);
        Window frame = frame_of(client);
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == CreateNotify && event.xcreatewindow.window == frame)
                positions.emplace_back(event.xcreatewindow.x, event.xcreatewindow.y);
            if (event.type == ConfigureNotify && event.xconfigure.window == frame)
                positions.emplace_back(event.xconfigure.x, event.xconfigure.y);
        }
        return positions;
    }

  private:
    // The root's child that holds the client (the client itself when unframed).
    Window frame_of(Window window) {
        for (;;) {
            Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display_, window, &root, &parent, &children, &count)) return window;
            if (children) XFree(children);
            if (parent == root) return window;
            window = parent;
        }
    }

    Display* display_;
};

// The window appears where it was asked to be, instead of being mapped
// elsewhere and moved there (a visible jump and a second paint). At the
// screen's corner GTK takes a move to (0, 0) for no move at all, while
// openbox has shifted the unmapped window by its frame when it told the
// frame's size.
TEST_F(WindowHandling, WindowDesignedAtTheCornerAppearsThereWithoutMoving) {
    form = std::make_unique<TestForm>(*toolkit, 0, 0);
    window = static_cast<WindowId>(form->hwnd());
    FrameMoves moves;
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    pump_for(kSettle);
    auto frame = probe().frame_geometry(window);
    ASSERT_TRUE(frame);
    auto positions = moves.of(window);
    ASSERT_FALSE(positions.empty()) << "the frame was not seen being made";
    std::ostringstream seen;
    bool in_place = true;
    for (auto [x, y] : positions) {
        seen << " (" << x << "," << y << ")";
        in_place = in_place && x == frame->x && y == frame->y;
    }
    EXPECT_TRUE(in_place) << "the frame left its place; it was at" << seen.str() << " and is at ("
                          << frame->x << "," << frame->y << ")";
}

// ---- keep above

TEST_F(WindowHandling, TopmostWindowIsKeptAbove) {
    make_topmost(*form);
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    EXPECT_TRUE(pump_until([&] { return probe().has_state(window, "_NET_WM_STATE_ABOVE"); }))
        << "_NET_WM_STATE lacks _NET_WM_STATE_ABOVE after make_topmost";

    // Hidden and shown again, it stays above.
    form->set_visible(false);
    ASSERT_TRUE(pump_until([&] { return !probe().viewable(window); }));
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    EXPECT_TRUE(pump_until([&] { return probe().has_state(window, "_NET_WM_STATE_ABOVE"); }))
        << "keep-above was lost when the window was shown again";
}

TEST_F(WindowHandling, OrdinaryWindowIsNotKeptAbove) {
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    pump_for(Millis(200));
    EXPECT_FALSE(probe().has_state(window, "_NET_WM_STATE_ABOVE"));
}

// ---- moving the window by its picture

class DragByPicture : public WindowHandling, public testing::WithParamInterface<int> {};

TEST_P(DragByPicture, MovesTheWindowWithThePointer) {
    const std::string button = std::to_string(GetParam());
    constexpr int kStepX = 30, kStepY = 20, kSteps = 4;
    constexpr int kTolerance = 3;
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    auto start = probe().frame_geometry(window);
    ASSERT_TRUE(start.has_value());

    move_pointer(inside_picture());
    ASSERT_TRUE(xdotool({"mousedown", button}));
    ASSERT_TRUE(pump_until([&] { return form->image_presses == 1; }))
        << "the press did not reach the picture's mouse-down handler";
    for (int step = 0; step < kSteps; ++step) {
        ASSERT_TRUE(
            xdotool({"mousemove_relative", "--", std::to_string(kStepX), std::to_string(kStepY)}));
        pump_for(Millis(60));
    }
    int want_x = start->x + kSteps * kStepX, want_y = start->y + kSteps * kStepY;
    auto near_target = [&] {
        auto frame = probe().frame_geometry(window);
        return frame && std::abs(frame->x - want_x) <= kTolerance &&
               std::abs(frame->y - want_y) <= kTolerance;
    };
    bool moved = pump_until(near_target);
    ASSERT_TRUE(xdotool({"mouseup", button}));
    EXPECT_TRUE(moved) << "the window is at " << describe(probe().frame_geometry(window))
                       << ", expected near (" << want_x << "," << want_y << ")";

    // Released, it stays there, and the form's Left and Top follow it.
    pump_for(kSettle);
    EXPECT_TRUE(near_target()) << "the window is at " << describe(probe().frame_geometry(window));
    auto frame = probe().frame_geometry(window);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(pixels(form->left()), frame->x);
    EXPECT_EQ(pixels(form->top()), frame->y);
    EXPECT_EQ(form->double_clicks, 0);
}

INSTANTIATE_TEST_SUITE_P(LeftAndRightButton, DragByPicture, testing::Values(1, 3));

// ---- clicks and double clicks on the picture

TEST_F(WindowHandling, DoubleClickOnPictureReachesTheHandlerOnce) {
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    auto start = probe().frame_geometry(window);
    ASSERT_TRUE(start.has_value());
    move_pointer(inside_picture());
    ASSERT_TRUE(xdotool({"click", "--repeat", "2", "--delay", "80", "1"}));
    EXPECT_TRUE(pump_until([&] { return form->double_clicks > 0; }))
        << "the double click did not reach the handler";
    pump_for(kSettle);
    EXPECT_EQ(form->double_clicks, 1);
    EXPECT_EQ(form->image_presses, 1) << "the second press is the double click, not a mouse-down";
    EXPECT_EQ(form->form_presses, 0);
    auto frame = probe().frame_geometry(window);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->x, start->x) << "a double click in place does not move the window";
    EXPECT_EQ(frame->y, start->y);
}

TEST_F(WindowHandling, FourQuickClicksAreTwoDoubleClicks) {
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    move_pointer(inside_picture());
    ASSERT_TRUE(xdotool({"click", "--repeat", "4", "--delay", "80", "1"}));
    EXPECT_TRUE(pump_until([&] { return form->double_clicks == 2; }))
        << "double clicks seen: " << form->double_clicks;
    pump_for(kSettle);
    EXPECT_EQ(form->double_clicks, 2);
    EXPECT_EQ(form->image_presses, 2);
}

TEST_F(WindowHandling, SingleClickOnPictureIsNoDoubleClick) {
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    click(inside_picture(), 1);
    EXPECT_TRUE(pump_until([&] { return form->image_presses == 1; }));
    pump_for(kSettle);
    EXPECT_EQ(form->image_presses, 1);
    EXPECT_EQ(form->double_clicks, 0);
}

// ---- which handler a press reaches

TEST_F(WindowHandling, PressOnBareFormAreaReachesFormMouseDown) {
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    click(on_bare_form(), 1);
    ASSERT_TRUE(pump_until([&] { return form->form_presses == 1; }))
        << "a left press on the bare client area did not reach Form_MouseDown";
    EXPECT_EQ(form->last_form_button, 1);

    pump_for(kSettle);  // not a double click
    click(on_bare_form(), 3);
    ASSERT_TRUE(pump_until([&] { return form->form_presses == 2; }))
        << "a right press on the bare client area did not reach Form_MouseDown";
    EXPECT_EQ(form->last_form_button, 3);
    EXPECT_EQ(form->image_presses, 0);
}

TEST_F(WindowHandling, PressOnControlsDoesNotReachFormMouseDown) {
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    click(inside_button(), 1);
    ASSERT_TRUE(pump_until([&] { return form->button_clicks == 1; }))
        << "the click did not reach the command button";

    pump_for(kSettle);
    click(inside_picture(), 1);
    ASSERT_TRUE(pump_until([&] { return form->image_presses == 1; }));

    pump_for(kSettle);
    EXPECT_EQ(form->form_presses, 0) << "a press on a control reached Form_MouseDown";
}

// A 320x240 picture, red above row 120 and blue below.
std::shared_ptr<Picture> red_over_blue() {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 320, 240);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 0, 0, 320, 120);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_rectangle(cr, 0, 120, 320, 120);
    cairo_fill(cr);
    cairo_destroy(cr);
    return std::make_shared<Picture>(320, 240, surface);
}

// Whether a pixel is nearly pure red, or nearly pure blue.
bool is_red(std::uint32_t pixel) {
    return (pixel >> 16 & 0xff) > 200 && (pixel >> 8 & 0xff) < 50 && (pixel & 0xff) < 50;
}
bool is_blue(std::uint32_t pixel) {
    return (pixel & 0xff) > 200 && (pixel >> 8 & 0xff) < 50 && (pixel >> 16 & 0xff) < 50;
}

// How many pixels of a grab's rows [from, to) are as `is` says.
long pixels_that(const Image& image, int from, int to, bool (*is)(std::uint32_t)) {
    auto begin = image.pixels.begin();
    return std::count_if(begin + long{from} * image.width, begin + long{to} * image.width, is);
}

// A new picture whose lower rows are still being decoded on another thread
// reaches the screen whole, as at a zoom step: the window's frames after
// its first are drawn off the screen and shown once whole, and drawing
// waits for the rows it shows. Watched over another connection while the
// frame waits for its rows: no screen has the upper half without the lower.
TEST_F(WindowHandling, NewPictureReachesTheScreenWithAllTheRowsItShows) {
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    pump_for(Millis(100));  // the first picture is on the screen
    std::shared_ptr<Picture> picture = red_over_blue();
    picture->set_rows_ready(120);
    // Of the picture's 240 rows, 100 above the colours' border and 100 below.
    Rect area{kPictureLeftPx + 10, kPictureTopPx + 10, 300, 220};
    // A grab of less than the area (the window going) counts as not whole.
    auto whole = [](const Image& image) {
        return image.height == 220 && pixels_that(image, 0, 100, is_red) == 300L * 100 &&
               pixels_that(image, 120, 220, is_blue) == 300L * 100;
    };
    std::atomic<bool> watching = true;
    std::atomic<int> grabs = 0, halves = 0;
    std::jthread watcher([&] {
        WindowGrabber grabber;
        while (watching) {
            auto image = grabber.grab(window, area);
            if (image && image->height >= 100 && pixels_that(*image, 0, 100, is_red) > 0 &&
                !whole(*image))
                ++halves;
            ++grabs;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    std::jthread decoder([picture] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        picture->set_rows_ready(240);
    });
    form->image.set_picture(picture);
    WindowGrabber grabber;
    EXPECT_TRUE(pump_until([&] {
        auto image = grabber.grab(window, area);
        return image && whole(*image);
    })) << "the picture never came whole";
    watching = false;
    watcher.join();
    EXPECT_GT(grabs, 10) << "the screen was not watched while the rows came";
    EXPECT_EQ(halves, 0) << "the upper rows came without the lower";
}

// Fine stripes, decoded half as large again as shown: the filter blends
// neighbouring rows, so a row drawn before the rows below it were in
// would differ from the same row drawn from the whole picture.
std::shared_ptr<Picture> fine_stripes() {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 480, 360);
    cairo_t* cr = cairo_create(surface);
    for (int y = 0; y < 360; ++y) {
        cairo_set_source_rgb(cr, y % 3 == 0, y % 5 < 2, (y / 7) % 2);
        cairo_rectangle(cr, 0, y, 480, 1);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    return std::make_shared<Picture>(320, 240, surface);
}

// Rows that come in while the picture is drawn are drawn as they come, and
// the result is the picture drawn whole, to the pixel.
TEST_F(WindowHandling, PictureDrawnAsItsRowsComeInIsThePictureDrawnWhole) {
    std::shared_ptr<Picture> picture = fine_stripes();
    picture->set_rows_ready(0);
    form->image.set_picture(picture);
    std::jthread decoder([picture] {
        for (int rows = 0; rows < 360;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            picture->set_rows_ready(rows = std::min(360, rows + 7));
        }
    });
    ASSERT_NO_FATAL_FAILURE(show_and_wait());
    decoder.join();
    pump_for(Millis(100));
    WindowGrabber grabber;
    Rect area{kPictureLeftPx, kPictureTopPx, 320, 240};
    auto as_it_came = grabber.grab(window, area);

    form->image.set_picture(picture);  // drawn again, whole
    pump_for(Millis(200));
    auto whole = grabber.grab(window, area);
    ASSERT_TRUE(as_it_came && whole);
    EXPECT_EQ(differing_pixels(*as_it_came, *whole), 0);
}

}  // namespace
}  // namespace orn::test
