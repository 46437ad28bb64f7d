// Both viewers in a bare session: started with nothing in the environment
// but the display, a fresh home folder and the textbook's drives, as from a
// plain X session, ssh -X or a kiosk, with no D-Bus session bus. Once the
// window is closed nothing the program started may still run, and the home
// folder must be as empty as it was.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ornfig_run.h"

namespace orn::test {
namespace {

namespace fs = std::filesystem;

// Every process started with this variable set to the test's folder is one
// the program started, wherever it was reparented to.
constexpr char kMarker[] = "ORN_BARE_SESSION_TEST";

std::string binary(const std::string& relative) {
    const char* dir = std::getenv("ORN_BINARY_DIR");
    return std::string(dir && *dir ? dir : ORN_DEFAULT_BINARY_DIR) + "/" + relative;
}

std::vector<pid_t> processes_with(const std::string& variable) {
    std::vector<pid_t> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream environ(entry.path() / "environ", std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(environ)), {});
        if (bytes.find(std::string(1, '\0') + variable + '\0') != std::string::npos ||
            bytes.rfind(variable + '\0', 0) == 0)
            found.push_back(std::stoi(name));
    }
    return found;
}

std::string describe(const std::vector<pid_t>& pids) {
    std::string text;
    for (pid_t pid : pids) {
        std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
        std::string command((std::istreambuf_iterator<char>(cmdline)), {});
        for (char& c : command)
            if (c == '\0') c = ' ';
        text += std::to_string(pid) + " " + command + "\n";
    }
    return text;
}

// What is under home, fontconfig's cache aside.
// Standard error without the HTML engine's sandboxed web process's warnings
// that it found no bus to connect to: in a session without a bus that is the
// expected outcome, not a fault of the viewer. Everything else stays.
std::string without_missing_bus_warnings(const std::string& text) {
    std::string kept;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        bool missing_bus = line.find("WARNING") != std::string::npos &&
                           (line.find("Failed to connect to bus") != std::string::npos ||
                            line.find("Can't connect to a11y bus") != std::string::npos);
        if (!missing_bus && !line.empty()) kept += line + "\n";
        start = end + 1;
    }
    return kept;
}

std::vector<std::string> written_under(const std::string& home) {
    std::vector<std::string> written;
    for (auto it = fs::recursive_directory_iterator(home); it != fs::end(it); ++it) {
        std::string relative = fs::relative(it->path(), home);
        if (relative == ".cache" || relative.rfind(".cache/fontconfig", 0) == 0) continue;
        written.push_back(relative);
    }
    return written;
}

class BareSession : public testing::Test {
  protected:
    void SetUp() override {
        std::string reason = e2e_skip_reason();
        if (!reason.empty()) GTEST_SKIP() << reason;
    }

    // Runs program on item in a bare environment until its window is up,
    // closes the window as a user would, then checks what is left behind.
    void run_and_close(const std::string& program, const std::string& item) {
        std::string home = tree.mkdir("home");
        std::string prefix = make_wine_prefix(tree, sample_drive_c());
        std::string marker = std::string(kMarker) + "=" + tree.root();
        const char* display = std::getenv("DISPLAY");  // set: the skip reason checks it
        ASSERT_NE(display, nullptr);
        Process run("env", {"-i", "DISPLAY=" + std::string(display), "HOME=" + home,
                            "PATH=/usr/bin:/bin", "WINEPREFIX=" + prefix, marker, program, item});
        X11Probe probe;
        std::optional<WindowId> window;
        poll_until(
            [&] {
                window = probe.main_window_of_pid(run.pid());
                return window && probe.viewable(*window);
            },
            Millis(20000));
        ASSERT_TRUE(window) << "no window; standard error:\n" << run.stderr_text();
        // Let start-up end: the ticker's first step has come by then.
        std::optional<std::string> designed = probe.title(*window);
        poll_until([&] { return probe.title(*window) != designed; }, Millis(5000));
        ASSERT_TRUE(xdotool({"windowactivate", "--sync", std::to_string(*window)}));
        ASSERT_TRUE(xdotool({"key", "alt+F4"}));
        auto status = run.wait_for(Millis(10000));
        ASSERT_TRUE(status) << "still running 10 s after its window was closed";
        EXPECT_TRUE(status->exited && status->code == 0) << status->describe();

        std::vector<pid_t> left;
        bool gone = poll_until(
            [&] {
                left = processes_with(marker);
                return left.empty();
            },
            Millis(3000));
        EXPECT_TRUE(gone) << "processes outlived the program:\n" << describe(left);
        for (pid_t pid : left) ::kill(pid, SIGKILL);
        EXPECT_EQ(written_under(home), std::vector<std::string>{})
            << "the program wrote under a fresh home folder";
        EXPECT_EQ(without_missing_bus_warnings(run.stderr_text()), "");
    }

    TempTree tree;
};

TEST_F(BareSession, TheFigureViewerStartsNoBusAndWritesNothing) {
    run_and_close(binary("figure/ornfig"), "C:\\Book\\htm\\f01_1.htm");
}

TEST_F(BareSession, ThePageViewerStartsNoBusAndWritesNothing) {
    run_and_close(binary("page/ornpage"), "C:\\Book\\htm\\p07_2.htm");
}

}  // namespace
}  // namespace orn::test
