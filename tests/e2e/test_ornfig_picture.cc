// ornfig's picture on a real display: what the window shows at start-up,
// how the zoom buttons resize it and switch their captions, the click sound
// (played, and never waited for), broken figure files, and a long run of
// zoom-ins that must not make the program grow.
#include <fcntl.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "ornfig_run.h"
#include "page_screen.h"
#include "picture_files.h"

// Xlib last: its macros (None, Bool, Status) clash with other headers.
#include <X11/Xlib.h>

namespace orn::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// ---- the layout the window must have

// The session runs at 96 DPI, GTK's resolution without an Xft.dpi setting.
constexpr double kTwipsPerPixel = 15;

// A sample figure: its item path, JPEG and natural size in pixels.
struct Figure {
    const char* item_path;
    const char* jpeg;  // relative to the C: drive
    int width;
    int height;
};
const Figure kLargeFigure{"C:\\Book\\htm\\f01_1.htm", "Book/jpg/f01_1.jpg", 800, 600};
const Figure kSmallFigure{"C:\\Book\\htm\\f01_2.htm", "Book/jpg/f01_2.jpg", 320, 240};

int to_pixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

// Where everything is for a zoom percent, in client pixels, and the
// window's outer size (frame included).
struct Layout {
    Rect picture;
    Rect comm1;  // zoom out
    Rect comm2;  // zoom in
    int outer_width = 0;
    int outer_height = 0;
    bool short_captions = false;  // "-" and "+"
};

// The picture is floor(zoom x natural twips / 100) at (10, 10) twips; the
// window 100 twips wider and 495 twips plus the frame allowance (frame
// height less 50 twips) higher; the buttons 15 twips under the picture,
// each half its width less 10 twips wide, the second from its middle plus
// 20 twips. Windows of 2890 twips or less get the short captions.
Layout layout_for(const Figure& figure, int zoom_percent, const Extents& frame) {
    double picture_width = std::floor(zoom_percent * figure.width * kTwipsPerPixel / 100);
    double picture_height = std::floor(zoom_percent * figure.height * kTwipsPerPixel / 100);
    double allowance = (frame.top + frame.bottom) * kTwipsPerPixel - 50;
    Layout layout;
    layout.outer_width = to_pixels(picture_width + 100);
    layout.outer_height = to_pixels(picture_height + 495 + allowance);
    layout.picture = {to_pixels(10), to_pixels(10), to_pixels(picture_width),
                      to_pixels(picture_height)};
    double top = picture_height + 15;
    double button_width = std::floor(picture_width / 2) - 10;
    double button_height =
        layout.outer_height * kTwipsPerPixel - allowance - 10 - picture_height - 15 - 10;
    layout.comm1 = {to_pixels(10), to_pixels(top), to_pixels(button_width),
                    to_pixels(button_height)};
    layout.comm2 = {to_pixels(std::floor(picture_width / 2) + 20), to_pixels(top),
                    layout.comm1.width, layout.comm1.height};
    layout.short_captions = layout.outer_width * kTwipsPerPixel <= 2890;
    return layout;
}

// ---- reading pixels

int luminance(std::uint32_t rgb) {
    int r = (rgb >> 16) & 0xff, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
    return (r * 299 + g * 587 + b * 114) / 1000;
}

bool is_dark(std::uint32_t rgb) {
    return luminance(rgb) < 128;
}

std::uint32_t pixel_at(const Image& image, int x, int y) {
    return image.pixels[static_cast<size_t>(y) * image.width + x];
}

// Part of a rectangle inside the image, shrunk by inset on every side.
Rect inside(const Image& image, Rect rect, int inset = 0) {
    int left = std::max(0, rect.x + inset), top = std::max(0, rect.y + inset);
    int right = std::min(image.width, rect.x + rect.width - inset);
    int bottom = std::min(image.height, rect.y + rect.height - inset);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

// The dark pixels of a part of the image: how many, and their bounding box.
struct Ink {
    long dark = 0;
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; empty when right < left
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

Ink ink_in(const Image& image, Rect rect) {
    Ink ink{0, rect.x + rect.width, rect.y + rect.height, -1, -1};
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        for (int x = rect.x; x < rect.x + rect.width; ++x) {
            if (!is_dark(pixel_at(image, x, y))) continue;
            ++ink.dark;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

double mean_luminance(const Image& image, Rect rect) {
    double sum = 0;
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        for (int x = rect.x; x < rect.x + rect.width; ++x) sum += luminance(pixel_at(image, x, y));
    long count = long{rect.width} * rect.height;
    return count > 0 ? sum / count : 0;
}

// The runs of columns that hold a dark pixel, gaps narrower than a space
// between letters joined: one run per word.
std::vector<std::pair<int, int>> ink_groups(const Image& image, Rect rect) {
    constexpr int kLetterGap = 8;
    std::vector<std::pair<int, int>> groups;
    for (int x = rect.x; x < rect.x + rect.width; ++x) {
        bool dark = false;
        for (int y = rect.y; y < rect.y + rect.height && !dark; ++y)
            dark = is_dark(pixel_at(image, x, y));
        if (!dark) continue;
        if (!groups.empty() && x - groups.back().second <= kLetterGap)
            groups.back().second = x;
        else
            groups.emplace_back(x, x);
    }
    return groups;
}

// A sample JPEG decoded by gdk-pixbuf at full size and scaled to a size.
std::optional<Image> reference_picture(const std::string& path, int width, int height) {
    GError* error = nullptr;
    GdkPixbuf* full = gdk_pixbuf_new_from_file(path.c_str(), &error);
    g_clear_error(&error);
    if (!full) return std::nullopt;
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(full, width, height, GDK_INTERP_BILINEAR);
    g_object_unref(full);
    if (!scaled) return std::nullopt;
    Image image{width, height, {}};
    const guchar* rows = gdk_pixbuf_read_pixels(scaled);
    int stride = gdk_pixbuf_get_rowstride(scaled), channels = gdk_pixbuf_get_n_channels(scaled);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const guchar* p =
                rows + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * channels;
            image.pixels.push_back(std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2]);
        }
    g_object_unref(scaled);
    return image;
}

// Mean absolute difference per channel between the reference and the
// same-sized area of a grab at (x, y).
double mean_difference(const Image& grab, int x, int y, const Image& reference) {
    if (x + reference.width > grab.width || y + reference.height > grab.height) return 255;
    double sum = 0;
    for (int row = 0; row < reference.height; ++row)
        for (int column = 0; column < reference.width; ++column) {
            std::uint32_t a = pixel_at(grab, x + column, y + row);
            std::uint32_t b = pixel_at(reference, column, row);
            for (int shift : {16, 8, 0})
                sum += std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff));
        }
    return sum / (3.0 * reference.width * reference.height);
}

// A JPEG of equal horizontal bands, one per colour (0xRRGGBB), from the top.
std::string banded_jpeg(int width, int band_height, const std::vector<std::uint32_t>& colours) {
    int height = band_height * static_cast<int>(colours.size());
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    for (size_t i = 0; i < colours.size(); ++i) {
        GdkPixbuf* band = gdk_pixbuf_new_subpixbuf(pixbuf, 0, static_cast<int>(i) * band_height,
                                                   width, band_height);
        gdk_pixbuf_fill(band, colours[i] << 8 | 0xff);
        g_object_unref(band);
    }
    gchar* buffer = nullptr;
    gsize size = 0;
    gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "jpeg", nullptr, "quality", "90", nullptr);
    std::string bytes(buffer ? buffer : "", buffer ? size : 0);
    g_free(buffer);
    g_object_unref(pixbuf);
    return bytes;
}

// The mean colour of a grab, as 0xRRGGBB.
std::uint32_t mean_colour(const Image& image) {
    double sums[3] = {0, 0, 0};
    for (std::uint32_t pixel : image.pixels)
        for (int i = 0; i < 3; ++i) sums[i] += (pixel >> (16 - 8 * i)) & 0xff;
    std::uint32_t colour = 0;
    for (double sum : sums)
        colour = colour << 8 |
                 static_cast<std::uint32_t>(sum / std::max<size_t>(1, image.pixels.size()));
    return colour;
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// ---- the program's surroundings

// A variable of the test's own environment, changed while the object lives
// (a started program inherits it).
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A HOME whose ALSA default device writes raw samples to capture_path.
std::string home_capturing_sound(TempTree& tree, const std::string& capture_path) {
    std::string home = tree.mkdir("home");
    tree.write("home/.asoundrc", "pcm.!default { type file; slave.pcm \"null\"; file \"" +
                                     capture_path + "\"; format \"raw\" }\n");
    return home;
}

// The loudest of the 16-bit little-endian samples.
int peak_sample(const std::string& raw) {
    int peak = 0;
    for (size_t i = 0; i + 1 < raw.size(); i += 2) {
        auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(raw[i]) |
                                                static_cast<unsigned char>(raw[i + 1]) << 8);
        peak = std::max(peak, std::abs(int{sample}));
    }
    return peak;
}

// Keys do not repeat on the display while the object lives: a busy X server
// can otherwise see a key held past the repeat delay and repeat it.
class KeyRepeatOff {
  public:
    KeyRepeatOff() : display_(XOpenDisplay(nullptr)) {
        if (!display_) return;
        XKeyboardState state;
        XGetKeyboardControl(display_, &state);
        was_on_ = state.global_auto_repeat == AutoRepeatModeOn;
        XAutoRepeatOff(display_);
        XSync(display_, False);
    }
    ~KeyRepeatOff() {
        if (!display_) return;
        if (was_on_) XAutoRepeatOn(display_);
        XCloseDisplay(display_);
    }
    KeyRepeatOff(const KeyRepeatOff&) = delete;
    KeyRepeatOff& operator=(const KeyRepeatOff&) = delete;

  private:
    Display* display_;
    bool was_on_ = false;
};

long resident_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

bool has_crash_report(const std::string& text) {
    for (const char* sign : {"Segmentation", "Sanitizer", "runtime error:", "Aborted",
                             "core dumped", "double free", "stack smashing"})
        if (text.find(sign) != std::string::npos) return true;
    return false;
}

// ---- a figure window under test

class OrnfigPicture : public testing::Test {
  protected:
    void SetUp() override {
        std::string reason = e2e_skip_reason();
        if (!reason.empty()) GTEST_SKIP() << reason;
    }

    // Starts ornfig on a figure with drive_c as C: (the sample by default)
    // and waits for its window at 50 %.
    void start(const Figure& figure, const std::string& drive_c = sample_drive_c()) {
        ASSERT_NO_FATAL_FAILURE(launch(figure, drive_c));
        ASSERT_NO_FATAL_FAILURE(expect_zoom(50));
        ASSERT_TRUE(run_->wait_until_started(window_)) << "the caption does not scroll";
    }

    // Starts ornfig and waits for its window, whatever its size.
    void launch(const Figure& figure, const std::string& drive_c = sample_drive_c()) {
        figure_ = figure;
        run_ = std::make_unique<OrnfigRun>(figure.item_path, make_wine_prefix(tree_, drive_c));
        auto found = run_->wait_for_figure_window();
        ASSERT_TRUE(found) << "no figure window appeared; ornfig's standard error:\n"
                           << run_->process().stderr_text();
        window_ = *found;
    }

    // The same with HOME (and so the sound device) set for the program.
    void start_with_home(const std::string& home, const std::string& drive_c = sample_drive_c()) {
        ScopedVariable variable("HOME", home);
        start(kLargeFigure, drive_c);
    }

    Layout layout(int zoom_percent) {
        auto frame = run_->probe().frame_extents(window_);
        EXPECT_TRUE(frame) << "no _NET_FRAME_EXTENTS on the figure window";
        return layout_for(figure_, zoom_percent, frame.value_or(Extents{}));
    }

    // Waits until the window has the outer size of the zoom percent, within
    // a pixel, and unless anywhere is set, at the screen's corner.
    bool wait_for_zoom(int zoom_percent, Millis timeout = Millis(3000), bool anywhere = false) {
        Layout want = layout(zoom_percent);
        return poll_until(
            [&] {
                auto rect = run_->probe().frame_geometry(window_);
                return rect && (anywhere || (rect->x == 0 && rect->y == 0)) &&
                       std::abs(rect->width - want.outer_width) <= 1 &&
                       std::abs(rect->height - want.outer_height) <= 1;
            },
            timeout, {}, Millis(2));
    }

    void expect_zoom(int zoom_percent, Millis timeout = Millis(3000), bool anywhere = false) {
        bool laid_out = wait_for_zoom(zoom_percent, timeout, anywhere);
        Layout want = layout(zoom_percent);
        auto rect = run_->probe().frame_geometry(window_).value_or(Rect{});
        ASSERT_TRUE(laid_out) << "at " << zoom_percent << " %: the window is " << rect.width << "x"
                              << rect.height << " at (" << rect.x << "," << rect.y << "), expected "
                              << want.outer_width << "x" << want.outer_height
                              << (anywhere ? "" : " at (0,0)") << describe_run();
    }

    // Whether ornfig still runs, and what it wrote, for failure messages.
    std::string describe_run() {
        auto status = run_->process().wait_for(Millis(0));
        return (status ? "; ornfig ended, " + status->describe() : "; ornfig runs") +
               "; its standard error:\n" + run_->process().stderr_text();
    }

    // Clicks the middle of a button (client coordinates).
    void click(const Rect& button) {
        auto client = run_->probe().client_geometry(window_);
        ASSERT_TRUE(client) << "the figure window has gone";
        int x = client->x + button.x + button.width / 2;
        int y = client->y + button.y + std::min(button.height, client->height - button.y) / 2;
        ASSERT_TRUE(xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"}));
    }

    // Clicks a button and expects the window to take the next zoom.
    void click_and_expect(const Rect& button, int zoom_percent) {
        ASSERT_NO_FATAL_FAILURE(click(button));
        ASSERT_NO_FATAL_FAILURE(expect_zoom(zoom_percent));
    }

    // The client area once it has held still for 150 ms, the pointer away.
    std::optional<Image> settled_client() {
        xdotool({"mousemove", "1279", "1023"});  // no button stays highlighted
        auto client = run_->probe().client_geometry(window_);
        if (!client) return std::nullopt;
        Rect area{0, 0, client->width, client->height};
        std::optional<Image> last, now;
        poll_until(
            [&] {
                last = std::move(now);
                now = grabber_.grab(window_, area);
                return now && last && differing_pixels(*now, *last) == 0;
            },
            Millis(3000), {}, Millis(150));
        return now;
    }

    // Saves a grab beside the test's other output and says where.
    std::string keep(const std::optional<Image>& image, const std::string& name) {
        if (!image) return " (nothing grabbed)";
        std::string path = testing::TempDir() + "ornfig-" + name + ".ppm";
        return save_ppm(*image, path) ? " (saved in " + path + ")" : "";
    }

    // A button face as grabbed: its ink and how light it is.
    struct Face {
        Ink ink;
        double brightness = 0;
    };
    Face face(const Image& grab, const Rect& button) {
        Rect area = inside(grab, button, 3);  // off the border
        return {ink_in(grab, area), mean_luminance(grab, area)};
    }

    // Both faces show the captions a window of this zoom has: the long
    // words, or a "-" (one short stroke) and a "+" (two crossing ones).
    void expect_captions(int zoom_percent, bool short_wanted) {
        Layout want = layout(zoom_percent);
        ASSERT_EQ(want.short_captions, short_wanted) << "the case is not what the test means";
        auto grab = settled_client();
        ASSERT_TRUE(grab) << "the window could not be grabbed";
        Face out = face(*grab, want.comm1), in = face(*grab, want.comm2);
        std::string saved = keep(grab, "captions-" + std::to_string(figure_.width) + "-at-" +
                                           std::to_string(zoom_percent));
        for (const Face* f : {&out, &in})
            EXPECT_GT(f->brightness, 150) << "a button face is not light" << saved;
        if (short_wanted) {
            EXPECT_TRUE(out.ink.dark > 0 && out.ink.height() <= 3 && out.ink.width() <= 12)
                << "comm1 shows no \"-\": " << out.ink.dark << " dark pixels in " << out.ink.width()
                << "x" << out.ink.height() << saved;
            EXPECT_TRUE(in.ink.dark > 0 && in.ink.height() >= 5 && in.ink.width() <= 12 &&
                        in.ink.dark > out.ink.dark)
                << "comm2 shows no \"+\": " << in.ink.dark << " dark pixels in " << in.ink.width()
                << "x" << in.ink.height() << saved;
        } else {
            for (const Face* f : {&out, &in})
                EXPECT_TRUE(f->ink.dark >= 150 && f->ink.width() >= 40)
                    << "a button shows no word: " << f->ink.dark << " dark pixels in "
                    << f->ink.width() << "x" << f->ink.height() << saved;
        }
        expect_centred(out, want.comm1, saved);
        expect_centred(in, want.comm2, saved);
    }

    // A caption stands in the middle of its button, across: a text width
    // measured wrongly shows as ink nearer one edge.
    static void expect_centred(const Face& face, const Rect& button, const std::string& saved) {
        double ink_middle = (face.ink.left + face.ink.right + 1) / 2.0;
        double button_middle = button.x + button.width / 2.0;
        EXPECT_NEAR(ink_middle, button_middle, 2.0)
            << "a caption is off the button's middle" << saved;
    }

    TempTree tree_;
    Figure figure_ = kLargeFigure;
    std::unique_ptr<OrnfigRun> run_;
    WindowId window_ = 0;
    WindowGrabber grabber_;
};

// ---- what the window shows

TEST_F(OrnfigPicture, StartsWithTheFigureAtHalfSizeAboveTwoCaptionedButtons) {
    ASSERT_NO_FATAL_FAILURE(start(kLargeFigure));
    Layout want = layout(50);
    ASSERT_EQ(want.picture.width, 400);
    auto reference = reference_picture(sample_drive_c() + "/" + kLargeFigure.jpeg, 400, 300);
    ASSERT_TRUE(reference) << "gdk-pixbuf cannot read the sample figure";

    auto grab = settled_client();
    ASSERT_TRUE(grab) << "the window could not be grabbed";
    std::string saved = keep(grab, "start-up");
    double difference = mean_difference(*grab, want.picture.x, want.picture.y, *reference);
    // A picture one pixel out of place already differs by 6 or more.
    EXPECT_LT(difference, 3) << "the picture area is not the figure at 50 %" << saved;

    // Under the picture: two light faces, each with one word on it.
    for (const Rect& button : {want.comm1, want.comm2})
        EXPECT_EQ(ink_groups(*grab, inside(*grab, button, 3)).size(), 1u)
            << "a button at x " << button.x << " does not hold one caption" << saved;
    expect_captions(50, false);

    // The program's own classic look, not the desktop's theme: flat light
    // grey faces raised by a dark right edge with a grey shadow inside it.
    for (const Rect& button : {want.comm1, want.comm2}) {
        int right = button.x + button.width - 1, y = button.y + 6;
        EXPECT_EQ(pixel_at(*grab, button.x + 4, y), 0xF0F0F0u) << "a face is not classic" << saved;
        EXPECT_EQ(pixel_at(*grab, right, y), 0x696969u) << "a right edge is not dark" << saved;
        EXPECT_EQ(pixel_at(*grab, right - 1, y), 0xA0A0A0u) << "no shadow inside the edge" << saved;
    }
}

// Old textbooks have BMP, GIF, ICO and PNG pictures in files named .jpg:
// each shows as a JPEG would, at 50 % and at the next zoom, a GIF with its
// first frame.
class OrnfigPictureFormat : public OrnfigPicture,
                            public testing::WithParamInterface<const char*> {};

TEST_P(OrnfigPictureFormat, ShowsAtHalfSizeAndWhenZoomed) {
    constexpr std::uint32_t kTop = 0xC02020, kBottom = 0x2020C0, kLater = 0x20C020;
    std::string drive = copy_sample_drive(tree_);
    Figure figure{kLargeFigure.item_path, kLargeFigure.jpeg, 256, 192};
    tree_.write("drive_c/" + std::string(figure.jpeg),
                two_colour_picture(GetParam(), figure.width, figure.height, kTop, kBottom, kLater));
    ASSERT_NO_FATAL_FAILURE(start(figure, drive));
    for (int zoom : {50, 60}) {
        if (zoom == 60) {
            ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(50).comm2, 60));
        }
        Layout want = layout(zoom);
        auto whole = settled_client();
        ASSERT_TRUE(whole) << "the window could not be grabbed";
        std::string saved = keep(whole, std::string(GetParam()) + "-at-" + std::to_string(zoom));
        Rect upper = want.picture, lower = want.picture;
        upper.height = lower.height = want.picture.height / 2 - 2;
        lower.y += want.picture.height / 2 + 2;
        auto top = grabber_.grab(window_, upper), bottom = grabber_.grab(window_, lower);
        ASSERT_TRUE(top && bottom) << "the picture could not be grabbed";
        EXPECT_EQ(mean_colour(*top), kTop) << "at " << zoom << " %" << saved << describe_run();
        EXPECT_EQ(mean_colour(*bottom), kBottom) << "at " << zoom << " %" << saved;
    }
    EXPECT_TRUE(run_->process().running()) << describe_run();
}

INSTANTIATE_TEST_SUITE_P(Ornfig, OrnfigPictureFormat, testing::Values("bmp", "gif", "ico", "png"));

// A 40x30 figure at 50 % is 20 px across, but its window keeps room for
// its title bar's buttons: the close box stays at the bar's right end, away
// from the icon at its left, and the buttons are laid out for that width.
TEST_F(OrnfigPicture, ATinyFiguresWindowKeepsItsCloseBox) {
    std::string drive = copy_sample_drive(tree_);
    tree_.write("drive_c/" + std::string(kLargeFigure.jpeg),
                two_colour_picture("png", 40, 30, 0xC02020, 0xC02020));
    ASSERT_NO_FATAL_FAILURE(launch({kLargeFigure.item_path, kLargeFigure.jpeg, 40, 30}));
    ASSERT_TRUE(run_->wait_until_started(window_)) << describe_run();
    auto frame = run_->probe().frame_geometry(window_);
    auto extents = run_->probe().frame_extents(window_);
    ASSERT_TRUE(frame && extents) << "no frame on the figure window";
    EXPECT_GE(frame->width, 112) << "the window is narrower than its title bar's buttons";

    // The title bar, as the screen shows it: its right end holds the close
    // box, not more of the bar or the icon.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_TRUE(display);
    WindowId root = DefaultRootWindow(display);
    XCloseDisplay(display);
    int bar = extents->top;
    auto left_end = grabber_.grab(root, {frame->x, frame->y, bar, bar});
    auto right_end = grabber_.grab(root, {frame->x + frame->width - bar, frame->y, bar, bar});
    ASSERT_TRUE(left_end && right_end) << "the title bar could not be grabbed";
    std::string saved = keep(right_end, "close-box");
    EXPECT_GT(differing_pixels(*left_end, *right_end), bar * bar / 8)
        << "the bar's two ends look alike" << saved;
    int shades = 0;
    for (std::uint32_t pixel : right_end->pixels) shades += pixel != right_end->pixels.front();
    EXPECT_GT(shades, bar) << "nothing drawn at the bar's right end" << saved;
    EXPECT_TRUE(run_->process().running()) << describe_run();
}

TEST_F(OrnfigPicture, AThemeTheUserNamesIsKept) {
    ::setenv("GTK_THEME", "Adwaita", 1);
    ASSERT_NO_FATAL_FAILURE(start(kLargeFigure));
    ::unsetenv("GTK_THEME");
    Layout want = layout(50);
    auto grab = settled_client();
    ASSERT_TRUE(grab) << "the window could not be grabbed";
    std::string saved = keep(grab, "user-theme");
    int right = want.comm1.x + want.comm1.width - 1, y = want.comm1.y + 6;
    EXPECT_NE(pixel_at(*grab, right, y), 0x696969u) << "the classic look came anyway" << saved;
    expect_captions(50, false);
}

// With GDK_SCALE=2 each of the window's pixels is two device pixels across:
// the figure at 50 % covers as many device pixels as it has, and shows
// each of them, not a half-size decode blown up.
TEST_F(OrnfigPicture, ADoublingScreenShowsTheFigureSharp) {
    ScopedVariable scale("GDK_SCALE", "2");
    ASSERT_NO_FATAL_FAILURE(launch(kLargeFigure));
    ASSERT_TRUE(run_->wait_until_started(window_)) << "the caption does not scroll";
    auto reference = reference_picture(sample_drive_c() + "/" + kLargeFigure.jpeg, 800, 600);
    ASSERT_TRUE(reference) << "gdk-pixbuf cannot read the sample figure";

    Layout want = layout(50);  // in the window's pixels
    auto grab = settled_client();
    ASSERT_TRUE(grab) << "the window could not be grabbed";
    std::string saved = keep(grab, "doubled");
    double difference = mean_difference(*grab, 2 * want.picture.x, 2 * want.picture.y, *reference);
    // The same decoder at full size gives the same pixels; the half-size
    // decode drawn twice as large differs by about 4.
    EXPECT_LT(difference, 1) << "the picture is not the figure pixel for pixel" << saved;
}

TEST_F(OrnfigPicture, ButtonsZoomOutToThirtyAndInWithoutLimit) {
    ASSERT_NO_FATAL_FAILURE(start(kLargeFigure));
    ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(50).comm1, 40));
    ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(40).comm1, 30));

    // At 30 % zoom-out is disabled: its caption is greyed and a click does nothing.
    auto grab = settled_client();
    ASSERT_TRUE(grab);
    Face out = face(*grab, layout(30).comm1), in = face(*grab, layout(30).comm2);
    EXPECT_LT(out.ink.dark, in.ink.dark / 10) << "comm1 is not greyed at 30 %" << keep(grab, "30");
    ASSERT_NO_FATAL_FAILURE(click(layout(30).comm1));
    std::this_thread::sleep_for(Millis(700));
    ASSERT_NO_FATAL_FAILURE(expect_zoom(30));

    for (int zoom : {40, 50, 60, 70})
        ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(zoom - 10).comm2, zoom));
    // Enabled again: zoom-out works from there.
    ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(70).comm1, 60));
    EXPECT_TRUE(run_->process().running()) << run_->process().stderr_text();
}

TEST_F(OrnfigPicture, NarrowWindowsShowShortCaptions) {
    ASSERT_NO_FATAL_FAILURE(start(kSmallFigure));  // 160x120 px: 2500 twips wide
    ASSERT_NO_FATAL_FAILURE(expect_captions(50, true));
    ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(50).comm2, 60));  // 2980 twips
    ASSERT_NO_FATAL_FAILURE(expect_captions(60, false));
    ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(60).comm1, 50));
    ASSERT_NO_FATAL_FAILURE(expect_captions(50, true));
}

// ---- the click sound

// How long a zoom step may take to show while the sound is under way.
constexpr Millis kPromptResize(1000);

TEST_F(OrnfigPicture, ZoomClickPlaysTheSound) {
    std::string capture = tree_.root() + "/capture.raw";
    ASSERT_NO_FATAL_FAILURE(start_with_home(home_capturing_sound(tree_, capture)));
    ASSERT_FALSE(fs::exists(capture)) << "a sound was played before any click";

    auto clicked = Clock::now();
    ASSERT_NO_FATAL_FAILURE(click(layout(50).comm2));
    EXPECT_TRUE(wait_for_zoom(60, kPromptResize)) << "the zoom did not follow the click promptly";
    std::string samples;
    bool played = poll_until(
        [&] {
            samples = read_bytes(capture);
            return peak_sample(samples) > 1000;
        },
        Millis(5000), {}, Millis(20));
    EXPECT_TRUE(played) << "after the click the sound device got " << samples.size()
                        << " bytes, loudest sample " << peak_sample(samples) << ", in "
                        << std::chrono::duration_cast<Millis>(Clock::now() - clicked).count()
                        << " ms";
}

// With the sound device blocked (a pipe nobody reads) the zoom still
// happens at once, twice; the sound comes through once the pipe is read.
TEST_F(OrnfigPicture, ZoomDoesNotWaitForTheSound) {
    std::string capture = tree_.root() + "/capture.fifo";
    ASSERT_EQ(mkfifo(capture.c_str(), 0600), 0);
    ASSERT_NO_FATAL_FAILURE(start_with_home(home_capturing_sound(tree_, capture)));

    ASSERT_NO_FATAL_FAILURE(click(layout(50).comm2));
    EXPECT_TRUE(wait_for_zoom(60, kPromptResize)) << "the zoom waited for the sound device";
    ASSERT_NO_FATAL_FAILURE(click(layout(60).comm2));
    EXPECT_TRUE(wait_for_zoom(70, kPromptResize)) << "the second zoom waited for the first sound";

    int fd = open(capture.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    std::string samples;
    bool played = poll_until(
        [&] {
            char chunk[4096];
            for (ssize_t got; (got = read(fd, chunk, sizeof chunk)) > 0;)
                samples.append(chunk, got);
            return peak_sample(samples) > 1000;
        },
        Millis(5000), {}, Millis(20));
    close(fd);
    EXPECT_TRUE(played) << "the pipe got " << samples.size() << " bytes, loudest sample "
                        << peak_sample(samples);
    EXPECT_TRUE(run_->process().running()) << run_->process().stderr_text();
}

TEST_F(OrnfigPicture, MissingSoundFileStillZooms) {
    std::string drive = copy_sample_drive(tree_);
    fs::remove(fs::path(drive) / "Book/wav/pick.wav");
    std::string capture = tree_.root() + "/capture.raw";
    ASSERT_NO_FATAL_FAILURE(start_with_home(home_capturing_sound(tree_, capture), drive));

    ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(50).comm2, 60));
    ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(60).comm1, 50));
    std::this_thread::sleep_for(Millis(500));  // the failed sounds have rung the bell by now
    EXPECT_TRUE(run_->process().running()) << run_->process().stderr_text();
    EXPECT_FALSE(has_crash_report(run_->process().stderr_text())) << run_->process().stderr_text();
    EXPECT_FALSE(fs::exists(capture) && !read_bytes(capture).empty())
        << "something was played without a sound file";
}

// A pipe in the sound file's place is never opened for playing (the bell
// rings instead), so it holds up no sound after it: once the file is back,
// the next click plays it.
TEST_F(OrnfigPicture, APipeInTheSoundFilesPlaceHoldsUpNoLaterSound) {
    std::string drive = copy_sample_drive(tree_);
    fs::path sound = fs::path(drive) / "Book/wav/pick.wav";
    fs::path kept = fs::path(drive) / "pick.wav.kept";
    fs::rename(sound, kept);
    ASSERT_EQ(mkfifo(sound.c_str(), 0600), 0);
    std::string capture = tree_.root() + "/capture.raw";
    ASSERT_NO_FATAL_FAILURE(start_with_home(home_capturing_sound(tree_, capture), drive));

    ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(50).comm2, 60));
    std::this_thread::sleep_for(Millis(500));  // the sound thread has met the pipe by now
    fs::remove(sound);
    fs::rename(kept, sound);
    ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(60).comm2, 70));
    std::string samples;
    bool played = poll_until(
        [&] {
            samples = read_bytes(capture);
            return peak_sample(samples) > 1000;
        },
        Millis(5000), {}, Millis(20));
    EXPECT_TRUE(played) << "the sound after the pipe was not played; the device got "
                        << samples.size() << " bytes";
    EXPECT_TRUE(run_->process().running()) << run_->process().stderr_text();
}

// ---- a figure taller than the screen

// At 50 % this figure is 2400 px high: the window shows it before its lower
// rows are decoded, and they must be there when the window is moved up to
// show them.
TEST_F(OrnfigPicture, ATallFigureIsWholeWhenItsLowerPartComesIntoView) {
    std::string drive = copy_sample_drive(tree_);
    tree_.write("drive_c/" + std::string(kLargeFigure.jpeg),
                banded_jpeg(400, 1600, {0xff0000, 0x00ff00, 0x0000ff}));
    ASSERT_NO_FATAL_FAILURE(start({kLargeFigure.item_path, kLargeFigure.jpeg, 400, 4800}, drive));
    Layout want = layout(50);
    // Up, until the picture's lowest 300 rows are on the screen.
    int picture_bottom = want.picture.y + want.picture.height;
    auto client = run_->probe().client_geometry(window_);
    ASSERT_TRUE(client);
    int lift = client->y + picture_bottom - 900;
    ASSERT_TRUE(xdotool({"windowmove", std::to_string(window_), "0", std::to_string(-lift)}));
    ASSERT_TRUE(poll_until(
        [&] {
            client = run_->probe().client_geometry(window_);
            return client && client->y + picture_bottom <= 1000;
        },
        Millis(3000), {}, Millis(10)))
        << "the window was not moved up";

    Rect strip{want.picture.x + 20, picture_bottom - 250, want.picture.width - 40, 200};
    std::optional<Image> grab;
    std::uint32_t colour = 0;
    bool blue = poll_until(
        [&] {
            grab = grabber_.grab(window_, strip);
            colour = grab ? mean_colour(*grab) : 0;
            return (colour & 0xff) > 200 && (colour >> 8 & 0xff) < 40 && (colour >> 16) < 40;
        },
        Millis(3000), {}, Millis(50));
    EXPECT_TRUE(blue) << "the lowest band shows as #" << std::hex << colour << keep(grab, "tall");
    EXPECT_TRUE(run_->process().running()) << describe_run();
}

// ---- many zoom-ins

// 300 zoom-ins grow the window to 24400x18300 px, far past the screen, so
// the zoom-in button is pressed from the keyboard: a click gives it the
// focus, Space presses it again.
TEST_F(OrnfigPicture, ThreeHundredZoomInsKeepTheProgramSmall) {
    ASSERT_NO_FATAL_FAILURE(start(kLargeFigure));
    KeyRepeatOff no_repeat;
    ASSERT_NO_FATAL_FAILURE(click_and_expect(layout(50).comm2, 60));

    // One press at a time, each seen to zoom, the resident size noted every 50.
    constexpr int kEvery = 50, kZoomIns = 300;
    std::vector<long> resident;  // KiB after 50, 100, ... zoom-ins
    for (int done = 2; done <= kZoomIns; ++done) {
        ASSERT_TRUE(xdotool({"key", "space"}));
        // Late steps take a while: the window is a huge one by then. Past
        // ten screens' size the window manager moves it to keep a tenth of
        // it on the screen, so only its size is the program's.
        ASSERT_NO_FATAL_FAILURE(expect_zoom(50 + 10 * done, Millis(10000), true));
        if (done % kEvery == 0) resident.push_back(resident_kib(run_->process().pid()));
    }

    std::ostringstream trace;
    for (size_t i = 0; i < resident.size(); ++i)
        trace << " " << (i + 1) * kEvery << ": " << resident[i] / 1024 << " MiB;";
    long latest_peak = *std::max_element(resident.begin() + 2, resident.end());
    RecordProperty("resident_sizes", trace.str());
    EXPECT_LE(latest_peak, resident[1] + 20L * 1024) << "resident size grew:" << trace.str();

    EXPECT_TRUE(run_->process().running()) << run_->process().stderr_text();
    auto titles = run_->record_titles(window_, Millis(1100));
    EXPECT_GE(titles.size(), 3u) << "the caption no longer scrolls";
    // Zoom-out, the button before zoom-in in the focus chain.
    ASSERT_TRUE(xdotool({"key", "shift+Tab", "space"}));
    ASSERT_NO_FATAL_FAILURE(expect_zoom(50 + 10 * kZoomIns - 10, Millis(10000), true));
}

// ---- broken figure files

struct BadFigure {
    const char* name;
    std::function<std::string()> bytes;  // what f01_1.jpg holds
    const char* message;                 // after "ornfig: "
};

std::string sample_jpeg() {
    return read_bytes(sample_drive_c() + "/" + kLargeFigure.jpeg);
}

std::string garbled_headers() {
    std::string jpeg = sample_jpeg();
    std::uint32_t noise = 12345;
    for (size_t i = 20; i < 400 && i < jpeg.size(); ++i) {
        noise = noise * 1103515245 + 12345;
        jpeg[i] = static_cast<char>(noise >> 16);
    }
    return jpeg;
}

// A frame header claiming 65000x65000 pixels and nothing after it.
std::string huge_frame_header() {
    return std::string(
        "\xFF\xD8\xFF\xC0\x00\x11\x08\xFD\xE8\xFD\xE8\x03"
        "\x01\x22\x00\x02\x11\x01\x03\x11\x01",
        21);
}

const BadFigure kBadFigures[] = {
    {"Empty", [] { return std::string(); }, "Invalid picture"},
    {"Text", [] { return std::string("Not a picture: a few words of text.\r\n"); },
     "Invalid picture"},
    {"Tiff", [] { return std::string("II*\0\x08\0\0\0 not decoded", 20); }, "Invalid picture"},
    {"BrokenBmp", [] { return std::string("BM and no bitmap after it"); }, "Invalid picture"},
    {"FirstHalfOfAJpeg",
     [] {
         std::string jpeg = sample_jpeg();
         return jpeg.substr(0, jpeg.size() / 2);
     },
     "Invalid picture"},
    {"GarbledHeaders", garbled_headers, "Invalid picture"},
    {"Claims65000x65000Pixels", huge_frame_header, "Out of memory"},
};

void PrintTo(const BadFigure& figure, std::ostream* out) {
    *out << figure.name;
}

class OrnfigBadPicture : public testing::TestWithParam<BadFigure> {
  protected:
    void SetUp() override {
        std::string reason = e2e_skip_reason();
        if (!reason.empty()) GTEST_SKIP() << reason;
    }
    TempTree tree_;
};

TEST_P(OrnfigBadPicture, EndsWithTheMessageAndStatus1) {
    std::string drive = copy_sample_drive(tree_);
    std::string bytes = GetParam().bytes();
    tree_.write("drive_c/" + std::string(kLargeFigure.jpeg), bytes);
    ASSERT_EQ(fs::file_size(fs::path(drive) / kLargeFigure.jpeg), bytes.size());
    OrnfigRun run(kLargeFigure.item_path, make_wine_prefix(tree_, drive));

    auto dialog = run.wait_for_error_dialog();
    ASSERT_TRUE(dialog) << "no error dialog; "
                        << (run.process().running() ? "still running" : "ended")
                        << "; standard error:\n"
                        << run.process().stderr_text();
    std::vector<std::string> ours;
    for (const auto& line : run.stderr_lines())
        if (line.rfind("ornfig:", 0) == 0) ours.push_back(line);
    ASSERT_EQ(ours.size(), 1u) << "standard error:\n" << run.process().stderr_text();
    EXPECT_EQ(ours[0].rfind("ornfig: " + std::string(GetParam().message), 0), 0u) << ours[0];
    EXPECT_NE(ours[0].find("f01_1.jpg"), std::string::npos) << ours[0];

    ASSERT_TRUE(run.dismiss(*dialog)) << "xdotool could not press Return in the dialog";
    auto status = run.process().wait_for(Millis(5000));
    ASSERT_TRUE(status) << "still running 5 s after the dialog was dismissed";
    EXPECT_TRUE(status->exited && status->code == 1) << status->describe();
    EXPECT_FALSE(has_crash_report(run.process().stderr_text())) << run.process().stderr_text();
}

INSTANTIATE_TEST_SUITE_P(Ornfig, OrnfigBadPicture, testing::ValuesIn(kBadFigures),
                         [](const testing::TestParamInfo<BadFigure>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace orn::test
