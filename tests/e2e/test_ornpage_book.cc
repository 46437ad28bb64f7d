// ornpage on a textbook made the way old ones were (data/old_book): pages in
// Windows-1251 without a charset, names in another case than on disk,
// backslashes, Cyrillic names, frames, links of every kind, a page probing
// files outside the book, background sound. Each run has a fresh HOME with
// the XDG variables unset, a private session bus, a desktop whose default
// application for web addresses, mail and documents is a script recording
// what it was asked to open, and ALSA writing what plays into a file.
// After each run no file is left that was not there before, and no process.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "ornfig_run.h"
#include "page_screen.h"
#include "page_session.h"

namespace orn::test {
namespace {

namespace fs = std::filesystem;

const char* const kMarker = "ORN_PAGE_TEST_RUN";
// The page's top inside the window's client area: below the buttons.
constexpr int kPageTop = 25;
// The port the probe page tries to reach.
constexpr int kProbePort = 47123;

std::string ornpage_binary() {
    const char* dir = std::getenv("ORN_BINARY_DIR");
    return std::string(dir && *dir ? dir : ORN_DEFAULT_BINARY_DIR) + "/page/ornpage";
}

std::string old_book() {
    const char* dir = std::getenv("ORN_SOURCE_DIR");
    return std::string(dir && *dir ? dir : ORN_DEFAULT_SOURCE_DIR) + "/data/old_book";
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Pixels within a small distance of a colour: antialiasing and JPEG leave
// the middle of a coloured field close to its colour.
long pixels_like(const Image& image, std::uint32_t colour) {
    auto channel = [](std::uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    long count = 0;
    for (std::uint32_t pixel : image.pixels) {
        int distance = 0;
        for (int shift : {16, 8, 0})
            distance = std::max(distance, std::abs(channel(pixel, shift) - channel(colour, shift)));
        if (distance <= 12) ++count;
    }
    return count;
}

// A TCP port on the loopback that counts who connects to it.
class Listener {
  public:
    explicit Listener(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int yes = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listening_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                     ::listen(fd_, 8) == 0;
    }
    ~Listener() { ::close(fd_); }
    bool listening() const { return listening_; }
    bool someone_connected() {
        pollfd waiting{fd_, POLLIN, 0};
        return ::poll(&waiting, 1, 0) > 0;
    }

  private:
    int fd_;
    bool listening_ = false;
};

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
        bus_.reset();
        std::vector<pid_t> left;
        bool gone = poll_until(
            [&] {
                left = marked_processes(kMarker, tree_.root());
                return left.empty();
            },
            Millis(5000));
        if (!gone) {
            kill_processes(left);
            ADD_FAILURE() << "processes outlived the test: " << describe_processes(left);
        }
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

    TempTree tree_;
    std::string drive_, prefix_, home_, opened_, sound_;
    std::set<std::string> home_before_, temporary_before_;
    std::unique_ptr<PrivateSessionBus> bus_;
    std::unique_ptr<Process> app_;
    X11Probe probe_;
    WindowGrabber grabber_;
    WindowId window_ = 0;
};

TEST_F(OldBookTest, AnOldPageShowsReadableRussianItsStylesScriptAndEveryPicture) {
    ASSERT_NO_FATAL_FAILURE(start("p01_1.htm"));
    struct Expected {
        const char* what;
        std::uint32_t colour;
        long at_least;
    };
    const Expected expected[] = {
        {"Images\\Pic1.JPG (images/pic1.jpg)", 0x1f6fb2, 8000},
        {"IMAGES/PIC2.jpg (images/pic2.jpg)", 0x2e8b57, 8000},
        {"a Cyrillic name in Windows-1251 escapes", 0xb03a2e, 8000},
        {"STYLE.CSS (style.css)", 0x7b2d8b, 8000},
        {"Script.JS (script.js)", 0x00a0a0, 1200},
        {"the text read as Windows-1251", 0x00c000, 1200},
    };
    auto all_there = [&](const Image& image) {
        for (const Expected& e : expected)
            if (pixels_like(image, e.colour) < e.at_least) return false;
        return true;
    };
    auto page = page_showing(all_there);
    if (!page) {
        auto last = grabber_.grab(window_, page_area());
        for (const Expected& e : expected)
            ADD_FAILURE() << e.what << ": " << (last ? pixels_like(*last, e.colour) : 0)
                          << " pixels of its colour";
        FAIL() << "the page is not as its authors saw it" << keep("old-page")
               << "; standard error:\n"
               << app_->stderr_text();
    }
    std::cout << "the page as shown:" << keep("old-page") << "\n";
    EXPECT_EQ(pixels_like(*page, 0xff0000), 0) << "the charset check failed";
}

TEST_F(OldBookTest, FramesLoadTheirPagesWithCyrillicNames) {
    ASSERT_NO_FATAL_FAILURE(start("p01_2.htm"));
    auto page = page_showing([](const Image& image) {
        return pixels_like(image, 0xffe9a8) > 20000 && pixels_like(image, 0xd8f0ff) > 20000;
    });
    EXPECT_TRUE(page) << "the menu frame and the frame named Опыт.htm did not both show"
                      << keep("frames");
}

TEST_F(OldBookTest, APageReadsItsOwnFilesAndNothingElse) {
    Listener listener(kProbePort);
    ASSERT_NO_FATAL_FAILURE(start("p01_4.htm"));
    // Ten boxes of 60 x 60 pixels: grey until their probe has answered.
    auto page = page_showing([](const Image& image) {
        return pixels_like(image, 0x888888) < 1000 && pixels_like(image, 0x00c000) > 9 * 3000;
    });
    auto last = grabber_.grab(window_, page_area());
    ASSERT_TRUE(last);
    EXPECT_TRUE(page) << "the probes did not all answer" << keep("probes");
    EXPECT_GT(pixels_like(*last, 0x0000ff), 3000) << "the book's own file was not read";
    EXPECT_EQ(pixels_like(*last, 0xff0000), 0)
        << "a file outside the book was read (red boxes)" << keep("probes-read");
    if (listener.listening()) {
        EXPECT_FALSE(listener.someone_connected()) << "the view made a network request";
    }
}

TEST_F(OldBookTest, LinksStayInTheViewOrGoToTheDesktopAndProgramsNeverStart) {
    ASSERT_NO_FATAL_FAILURE(start("p01_3.htm"));
    ASSERT_TRUE(page_showing([&](const Image& i) { return shows_links_page(i); }))
        << "the links page did not show" << keep("links");

    // A document of the book, a web site, mail: the desktop's.
    ASSERT_NO_FATAL_FAILURE(click_page(40, 105));
    ASSERT_NO_FATAL_FAILURE(click_page(40, 145));
    ASSERT_NO_FATAL_FAILURE(click_page(40, 185));
    poll_until([&] { return opened().size() >= 3; }, Millis(10000));
    std::vector<std::string> asked = opened();
    ASSERT_EQ(asked.size(), 3u) << read_file(opened_);
    // The file where it lies (as a path or a file: URL, as the desktop
    // hands it on), not a copy.
    std::string document = fs::canonical(drive_).string() + "/Uchebnik/HTM/DOP_HTM/doc/zadanie.doc";
    EXPECT_TRUE(asked[0] == document || asked[0] == "file://" + document)
        << asked[0] << " is not " << document;
    EXPECT_EQ(asked[1], "http://example.invalid/uchebnik/");
    EXPECT_EQ(asked[2], "mailto:avtor@example.invalid");
    EXPECT_TRUE(page_showing([&](const Image& i) { return shows_links_page(i); }, Millis(2000)))
        << "the page did not stay" << keep("after-desktop");

    // A program: a short message, nothing started.
    ASSERT_NO_FATAL_FAILURE(click_page(40, 225));
    std::optional<WindowId> dialog;
    poll_until(
        [&] {
            for (WindowId w : probe_.clients())
                if (w != window_ && probe_.is_dialog(w) && probe_.viewable(w)) dialog = w;
            return dialog.has_value();
        },
        Millis(5000));
    ASSERT_TRUE(dialog) << "no message for a link to a program";
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", std::to_string(*dialog)}) &&
                xdotool({"key", "Return"}));
    EXPECT_TRUE(poll_until([&] { return !probe_.viewable(*dialog); }, Millis(5000)));
    EXPECT_EQ(opened().size(), 3u) << "the program was handed on: " << read_file(opened_);

    // target=_blank opens in the one view; Backspace goes back.
    ASSERT_NO_FATAL_FAILURE(click_page(40, 25));
    EXPECT_TRUE(page_showing([](const Image& i) { return pixels_like(i, 0x7b2d8b) > 8000; }))
        << "target=_blank did not open in the view" << keep("blank");
    ASSERT_NO_FATAL_FAILURE(key("BackSpace"));
    EXPECT_TRUE(page_showing([&](const Image& i) { return shows_links_page(i); }))
        << "Backspace did not go back" << keep("back");
    ASSERT_NO_FATAL_FAILURE(key("alt+Right"));
    EXPECT_TRUE(page_showing([](const Image& i) { return pixels_like(i, 0x7b2d8b) > 8000; }))
        << "Alt+Right did not go forward" << keep("forward");
    ASSERT_NO_FATAL_FAILURE(key("alt+Left"));
    ASSERT_TRUE(page_showing([&](const Image& i) { return shows_links_page(i); }))
        << "Alt+Left did not go back" << keep("back-alt");

    // window.open() too.
    ASSERT_NO_FATAL_FAILURE(click_page(40, 65));
    EXPECT_TRUE(page_showing([&](const Image& i) { return !shows_links_page(i); }))
        << "window.open did not open in the view";
    ASSERT_NO_FATAL_FAILURE(key("BackSpace"));
    ASSERT_TRUE(page_showing([&](const Image& i) { return shows_links_page(i); }));
    EXPECT_EQ(probe_.clients().size(), 1u) << "another window appeared";

    // In a text field Backspace edits the field: the page stays.
    ASSERT_NO_FATAL_FAILURE(click_page(100, 300));
    ASSERT_NO_FATAL_FAILURE(key("BackSpace"));
    EXPECT_TRUE(page_showing([&](const Image& i) { return shows_links_page(i); }, Millis(1500)));
    EXPECT_FALSE(page_showing([&](const Image& i) { return !shows_links_page(i); }, Millis(1500)))
        << "Backspace in a text field left the page";

    // Ctrl+plus zooms in, Ctrl+0 back.
    auto before = grabber_.grab(window_, page_area());
    ASSERT_TRUE(before);
    long banner = pixels_like(*before, 0xc06000);
    ASSERT_NO_FATAL_FAILURE(click_page(700, 400));  // out of the field
    ASSERT_NO_FATAL_FAILURE(key("ctrl+plus"));
    EXPECT_TRUE(page_showing([&](const Image& i) {
        return pixels_like(i, 0xc06000) > banner * 11 / 10;
    })) << "Ctrl+plus did not zoom in"
        << keep("zoom");
    ASSERT_NO_FATAL_FAILURE(key("ctrl+0"));
    EXPECT_TRUE(page_showing([&](const Image& i) {
        return std::abs(pixels_like(i, 0xc06000) - banner) < banner / 20;
    })) << "Ctrl+0 did not zoom back";

    // A link that asks to be saved saves nothing, and a file of the user's
    // of that name stays as it was.
    ASSERT_NO_FATAL_FAILURE(click_page(40, 345));
    EXPECT_FALSE(poll_until([&] { return read_file(home_ + "/Downloads/pic1.jpg") != "mine"; },
                            Millis(3000)))
        << "the user's file was touched";
    EXPECT_TRUE(page_showing([&](const Image& i) { return shows_links_page(i); }, Millis(2000)));

    // window.close() ends the program as its close box does.
    ASSERT_NO_FATAL_FAILURE(click_page(40, 265));
    auto status = app_->wait_for(Millis(5000));
    ASSERT_TRUE(status) << "window.close() did not close the program";
    EXPECT_TRUE(status->exited && status->code == 0) << status->describe();
}

TEST_F(OldBookTest, TheFindBarFindsAndClosesWithEscape) {
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

TEST_F(OldBookTest, ABackgroundSoundPlaysWhenThePageOpens) {
    ASSERT_NO_FATAL_FAILURE(start("p01_5.htm"));
    int peak = 0;
    bool played = poll_until(
        [&] {
            std::string raw = read_file(sound_);
            for (size_t i = 0; i + 1 < raw.size(); i += 2)
                peak = std::max(peak, std::abs(int{static_cast<std::int16_t>(
                                          static_cast<unsigned char>(raw[i]) |
                                          static_cast<unsigned char>(raw[i + 1]) << 8)}));
            return peak > 8000;
        },
        Millis(10000), {}, Millis(100));
    EXPECT_TRUE(played) << "the <bgsound> did not play (peak " << peak << ")";
    // The sample went to the file, a file of the test's: not one of HOME's.
    fs::remove(sound_);
}

// The web process runs in namespaces of its own.
TEST_F(OldBookTest, TheWebProcessRunsInItsSandbox) {
    ASSERT_NO_FATAL_FAILURE(start("p01_1.htm"));
    ASSERT_TRUE(page_showing([](const Image& i) { return pixels_like(i, 0x7b2d8b) > 8000; }));
    pid_t web = web_process();
    ASSERT_NE(web, 0) << "no web process among "
                      << describe_processes(marked_processes(kMarker, tree_.root()));
    for (const char* kind : {"pid", "net", "uts"})
        EXPECT_NE(namespace_of(web, kind), namespace_of(app_->pid(), kind))
            << kind << " namespace shared";
    EXPECT_EQ(app_->stderr_text().find("without a sandbox"), std::string::npos)
        << app_->stderr_text();
}

// Where no namespace can be made, the page shows all the same, without the
// sandbox, and standard error says so in one line.
TEST_F(OldBookTest, WithoutNamespacesThePageShowsUnsandboxedAndSaysSo) {
    const char* dir = std::getenv("ORN_BINARY_DIR");
    std::string wrapper =
        std::string(dir && *dir ? dir : ORN_DEFAULT_BINARY_DIR) + "/tests/e2e/no_namespaces";
    ASSERT_TRUE(fs::exists(wrapper)) << wrapper << " is not built";
    ASSERT_NO_FATAL_FAILURE(start("p01_1.htm", {}, wrapper));
    EXPECT_TRUE(page_showing([](const Image& i) { return pixels_like(i, 0x7b2d8b) > 8000; }))
        << "the page did not show" << keep("unsandboxed") << "; standard error:\n"
        << app_->stderr_text();
    std::vector<std::string> lines;
    std::istringstream errors(app_->stderr_text());
    for (std::string line; std::getline(errors, line);)
        if (line.find("sandbox") != std::string::npos) lines.push_back(line);
    ASSERT_EQ(lines.size(), 1u) << app_->stderr_text();
    EXPECT_EQ(lines[0].rfind("ornpage: the page runs without a sandbox", 0), 0u) << lines[0];
    pid_t web = web_process();
    ASSERT_NE(web, 0);
    EXPECT_EQ(namespace_of(web, "pid"), namespace_of(app_->pid(), "pid"));
}

}  // namespace
}  // namespace orn::test
