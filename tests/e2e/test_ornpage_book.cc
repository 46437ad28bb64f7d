// ornpage on a textbook made the way old ones were (data/old_book): pages in
// Windows-1251 without a charset, names in another case than on disk,
// backslashes, Cyrillic names, frames, links of every kind, a page probing
// files outside the book, the sandbox. The setting of each run, and what is
// checked after it, is in old_book_fixture.h; the keys, sounds and encodings
// of a page are tested in test_ornpage_book_reading.cc.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "old_book_fixture.h"

namespace orn::test {
namespace {

// The port the probe page tries to reach.
constexpr int kProbePort = 47123;

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
        return pixels_like(image, 0x888888) < 1000 && pixels_like(image, 0x00c000) > 9L * 3000;
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
