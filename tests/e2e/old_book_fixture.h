// The setting every end-to-end test of ornpage on data/old_book runs in (a
// textbook made the way old ones were): each run has a fresh HOME with the
// XDG variables unset, a private session bus, a desktop whose default
// application for web addresses, mail and documents is a script recording
// what it was asked to open, and ALSA writing what plays into a file.
// After each run no file is left that was not there before, and no process.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ornfig_run.h"
#include "page_screen.h"
#include "page_session.h"

namespace orn::test {

namespace fs = std::filesystem;

inline const char* const kMarker = "ORN_PAGE_TEST_RUN";
// The page's top inside the window's client area: below the buttons.
inline constexpr int kPageTop = 25;

inline std::string ornpage_binary() {
    const char* dir = std::getenv("ORN_BINARY_DIR");
    return std::string(dir && *dir ? dir : ORN_DEFAULT_BINARY_DIR) + "/page/ornpage";
}

inline std::string old_book() {
    const char* dir = std::getenv("ORN_SOURCE_DIR");
    return std::string(dir && *dir ? dir : ORN_DEFAULT_SOURCE_DIR) + "/data/old_book";
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Pixels within a small distance of a colour: antialiasing and JPEG leave

// Colours within a small distance of each other: antialiasing and JPEG leave
// the middle of a coloured field close to its colour.
inline bool colour_like(std::uint32_t pixel, std::uint32_t colour) {
    auto channel = [](std::uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    int distance = 0;
    for (int shift : {16, 8, 0})
        distance = std::max(distance, std::abs(channel(pixel, shift) - channel(colour, shift)));
    return distance <= 12;
}

inline long pixels_like(const Image& image, std::uint32_t colour) {
    return std::count_if(image.pixels.begin(), image.pixels.end(),
                         [&](std::uint32_t pixel) { return colour_like(pixel, colour); });
}

class OldBookTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string reason = e2e_skip_reason();
        if (!reason.empty()) GTEST_SKIP() << reason;
        ASSERT_TRUE(fs::exists(ornpage_binary())) << ornpage_binary() << " is not built";
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME",
                                 "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_DIRS"})
            ::unsetenv(name);
        drive_ = tree_.root() + "/drive_c";
        fs::copy(old_book(), drive_, fs::copy_options::recursive);
        make_home();
        // Links out of the book to files of the user's.
        std::string pages = drive_ + "/Uchebnik/HTM/DOP_HTM";
        fs::create_symlink(home_ + "/secret.txt", pages + "/home-link.txt");
        fs::create_symlink(home_ + "/picture.png", pages + "/home-picture.png");
        prefix_ = make_wine_prefix(tree_, drive_);
        fs::create_symlink("/", prefix_ + "/dosdevices/z:");
        bus_ = std::make_unique<PrivateSessionBus>(tree_.root() + "/bus", marker());
        ASSERT_FALSE(bus_->address().empty()) << "dbus-daemon did not start:\n" << bus_->log();
        home_before_ = entries();
        temporary_before_ = temporary_entries();
    }

    // HOME as a fresh account has it, plus what the test needs: files of the
    // user's, ALSA writing into a file, and the recording default handler.
    void make_home() {
        home_ = tree_.mkdir("home");
        opened_ = tree_.root() + "/opened.txt";
        sound_ = tree_.root() + "/sound.raw";
        tree_.write("home/secret.txt", "secret of the user\n");
        tree_.write("home/Downloads/pic1.jpg", "mine");
        tree_.write("home/picture.png", read_file("/usr/share/pixmaps/debian-logo.png"));
        tree_.write("home/.asoundrc", "pcm.!default { type file; slave.pcm \"null\"; file \"" +
                                          sound_ + "\"; format \"raw\" }\n");
        std::string recorder =
            tree_.write("bin/record", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + opened_ + "'\n");
        fs::permissions(recorder, fs::perms::owner_all);
        tree_.write("home/.local/share/applications/recorder.desktop",
                    "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + recorder +
                        " %u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;"
                        "x-scheme-handler/mailto;application/msword;\n");
        tree_.write("home/.local/share/applications/mimeapps.list",
                    "[Default Applications]\nx-scheme-handler/http=recorder.desktop\n"
                    "x-scheme-handler/https=recorder.desktop\n"
                    "x-scheme-handler/mailto=recorder.desktop\n"
                    "application/msword=recorder.desktop\n");
    }

    void TearDown() override {
        if (!bus_) return;
        app_.reset();
        // A service the bus starts is the session's, and outlives the program:
        // only the accessibility bus, which every GTK program starts, may be.
        for (const std::string& service : bus_->activated_services())
            EXPECT_EQ(service, "org.a11y.Bus") << "the page started a session service";
        bus_.reset();
        std::string left = end_marked_processes(kMarker, tree_.root(), Millis(5000));
        EXPECT_TRUE(left.empty()) << "processes outlived the test: " << left;
        std::set<std::string> added;
        bool clean = poll_until(
            [&] {
                added = new_entries(home_before_, entries());
                for (const std::string& entry : new_entries(temporary_before_, temporary_entries()))
                    added.insert("/tmp: " + entry);
                return added.empty();
            },
            Millis(3000));
        std::string listed;
        for (const std::string& entry : added) listed += "\n  " + entry;
        EXPECT_TRUE(clean) << "left behind:" << listed;
    }

    EnvironmentAdditions marker() const { return {{kMarker, tree_.root()}}; }

    std::set<std::string> entries() const {
        std::vector<std::string> list = entries_under(home_);
        return {list.begin(), list.end()};
    }
    static std::set<std::string> temporary_entries() {
        std::set<std::string> names;
        const char* tmp = std::getenv("TMPDIR");
        std::error_code missing;
        for (const auto& entry : fs::directory_iterator(tmp && *tmp ? tmp : "/tmp", missing))
            if (entry.path().filename().string().rfind("ornpage-", 0) == 0)
                names.insert(entry.path().filename().string());
        return names;
    }
    static std::set<std::string> new_entries(const std::set<std::string>& before,
                                             const std::set<std::string>& now) {
        std::set<std::string> added;
        for (const std::string& entry : now)
            if (!before.count(entry)) added.insert(entry);
        return added;
    }

    // Starts ornpage on the item, through a wrapper program if one is given.
    void start(const std::string& item, EnvironmentAdditions extra = {},
               const std::string& wrapper = {}) {
        EnvironmentAdditions env = marker();
        env.insert(env.end(), {{"WINEPREFIX", prefix_},
                               {"HOME", home_},
                               {"DBUS_SESSION_BUS_ADDRESS", bus_->address()},
                               {"NO_AT_BRIDGE", "1"}});
        env.insert(env.end(), extra.begin(), extra.end());
        std::vector<std::string> args{"C:\\Uchebnik\\htm\\" + item};
        if (!wrapper.empty()) args.insert(args.begin(), ornpage_binary());
        app_ = std::make_unique<Process>(wrapper.empty() ? ornpage_binary() : wrapper, args, env);
        std::optional<WindowId> found;
        poll_until(
            [&] {
                found = probe_.main_window_of_pid(app_->pid());
                return (found && probe_.viewable(*found)) || !app_->running();
            },
            Millis(10000), {}, Millis(5));
        ASSERT_TRUE(found && probe_.viewable(*found))
            << "no page window appeared; standard error:\n"
            << app_->stderr_text();
        window_ = *found;
        poll_until([&] { return probe_.has_state(window_, "_NET_WM_STATE_MAXIMIZED_VERT"); },
                   Millis(5000));
    }

    Rect page_area() {
        auto client = probe_.client_geometry(window_);
        int width = client ? client->width - 4 : 0;
        int height = client ? client->height - kPageTop - 2 : 0;
        return {2, kPageTop, width, height};
    }

    // Waits until the page shows what is wanted; the last grab either way.
    std::optional<Image> page_showing(const std::function<bool(const Image&)>& wanted,
                                      Millis timeout = Millis(15000)) {
        std::optional<Image> now;
        bool shown = poll_until(
            [&] {
                now = grabber_.grab(window_, page_area());
                return now && wanted(*now);
            },
            timeout, {}, Millis(100));
        return shown ? now : std::nullopt;
    }

    std::string keep(const std::string& name) {
        auto image = grabber_.grab(window_, page_area());
        if (!image) return " (nothing to save)";
        std::string path = testing::TempDir() + "book-" + name + ".ppm";
        return save_ppm(*image, path) ? " (saved in " + path + ")" : "";
    }

    // Clicks a point of the page, in its own CSS pixels (zoom 1).
    void click_page(int x, int y) {
        auto client = probe_.client_geometry(window_);
        ASSERT_TRUE(client) << "the page window has gone";
        ASSERT_TRUE(xdotool({"mousemove", std::to_string(client->x + 2 + x),
                             std::to_string(client->y + kPageTop + y)}));
        ASSERT_TRUE(xdotool({"click", "1"}));
    }

    void key(const std::string& keys) {
        // To the focused window, as a user's keys come: events sent to a
        // window are marked as sent and not taken as typed.
        ASSERT_TRUE(xdotool({"key", keys}));
    }

    std::vector<std::string> opened() {
        std::vector<std::string> lines;
        std::istringstream text(read_file(opened_));
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }

    pid_t web_process() {
        for (pid_t pid : marked_processes(kMarker, tree_.root()))
            if (describe_processes({pid}).find("WebKitWebProces") != std::string::npos) return pid;
        return 0;
    }
    static std::string namespace_of(pid_t pid, const char* kind) {
        std::error_code gone;
        return fs::read_symlink("/proc/" + std::to_string(pid) + "/ns/" + kind, gone).string();
    }

    bool shows_links_page(const Image& image) { return pixels_like(image, 0xc06000) > 5000; }

    // The loudest sample ALSA has written, once it is over the level of the
    // book's tone (a sine at -3 dB, peaks near 23000) or when time is up.
    int sound_peak(Millis timeout = Millis(10000)) {
        int peak = 0;
        poll_until(
            [&] {
                std::string raw = read_file(sound_);
                for (size_t i = 0; i + 1 < raw.size(); i += 2)
                    peak = std::max(peak, std::abs(int{static_cast<std::int16_t>(
                                              static_cast<unsigned char>(raw[i]) |
                                              static_cast<unsigned char>(raw[i + 1]) << 8)}));
                return peak > kPlayedPeak;
            },
            timeout, {}, Millis(100));
        return peak;
    }
    static constexpr int kPlayedPeak = 8000;

    // A dialog window beside the page window, once one shows.
    std::optional<WindowId> wait_for_dialog(Millis timeout) {
        std::optional<WindowId> dialog;
        poll_until(
            [&] {
                for (WindowId w : probe_.clients())
                    if (w != window_ && probe_.is_dialog(w) && probe_.viewable(w)) dialog = w;
                return dialog.has_value();
            },
            timeout);
        return dialog;
    }

    TempTree tree_;
    std::string drive_, prefix_, home_, opened_, sound_;
    std::set<std::string> home_before_, temporary_before_;
    std::unique_ptr<PrivateSessionBus> bus_;
    std::unique_ptr<Process> app_;
    X11Probe probe_;
    WindowGrabber grabber_;
    WindowId window_ = 0;
};

}  // namespace orn::test
