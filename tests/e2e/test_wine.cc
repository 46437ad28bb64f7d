// The viewers started by the textbook itself: a Windows program run by Wine
// in a fresh prefix that holds the sample textbook, after ornlux-wine-setup
// has put its stubs in place of the textbook's Windows viewers. The viewers
// are started from inside Wine (cmd, start, and a stand-in main program that
// names items in Windows-1251), and what appears on the display, what they
// exit with and what they leave behind is checked from Unix.
//
// Exits 77 (skipped) when Wine, the MinGW compiler or a display with a
// window manager is not there.
#include <glib.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "ornfig_run.h"
#include "page_session.h"
#include "runtime/codepage.h"
#include "runtime/text.h"
#include "window/caption_ticker.h"

namespace orn::test {
namespace {

namespace fs = std::filesystem;

// Every process the test starts, Wine's included, carries this variable.
const char* const kMarker = "ORN_WINE_TEST_RUN";
// The Windows side takes a few seconds to start on a busy machine.
constexpr Millis kWindowTimeout(60000);
constexpr Millis kWineTimeout(120000);

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

mode_t mode_of(const std::string& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

std::string from_environment(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    return value && *value ? value : fallback;
}

std::string binary_dir() {
    return from_environment("ORN_BINARY_DIR", ORN_DEFAULT_BINARY_DIR);
}

std::string source_dir() {
    return from_environment("ORN_SOURCE_DIR", ORN_DEFAULT_SOURCE_DIR);
}

bool on_path(const std::string& program) {
    std::string path = from_environment("PATH", "/usr/bin:/bin");
    std::istringstream folders(path);
    for (std::string candidate; std::getline(folders, candidate, ':');) {
        candidate += '/';
        candidate += program;
        if (::access(candidate.c_str(), X_OK) == 0) return true;
    }
    return false;
}

// Text in Windows-1251, as the textbook's files and its main program have it.
std::string windows_1251(const std::string& utf8) {
    gchar* bytes = g_convert(utf8.data(), static_cast<gssize>(utf8.size()), "CP1251", "UTF-8",
                             nullptr, nullptr, nullptr);
    std::string result = bytes ? bytes : "";
    g_free(bytes);
    return result;
}

// The executable a process runs now ("" once it is gone).
std::string executable_of(pid_t pid) {
    std::error_code gone;
    return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", gone).string();
}

bool alive(pid_t pid) {
    std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    auto state = stat.rfind(") ");
    return state != std::string::npos && stat[state + 2] != 'Z';
}

std::int64_t realtime_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The first line of a caption file of the sample, in UTF-8.
std::string caption_line(const std::string& relative_path) {
    std::ifstream in(sample_drive_c() + "/" + relative_path, std::ios::binary);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return to_utf8(decode_ansi_line(line));
}

// What the whole run shares: one prefix (wineboot takes half a minute),
// the Windows programs built for it, a session bus for the page viewer.
struct WineWorld {
    TempTree tree;
    std::string prefix, drive_c, home;
    std::string figure_exe, page_exe;  // the Windows viewers' bytes
    std::unique_ptr<PrivateSessionBus> bus;
    EnvironmentAdditions env;
    std::string failure;  // why it could not be made
};

WineWorld* world = nullptr;

std::string ornfig_path() {
    return fs::canonical(binary_dir() + "/figure/ornfig").string();
}

std::string ornpage_path() {
    return fs::canonical(binary_dir() + "/page/ornpage").string();
}

std::string setup_path() {
    return binary_dir() + "/wine-setup/ornlux-wine-setup";
}

// Runs a command to its end with the world's environment; its output.
struct Finished {
    std::optional<ExitStatus> status;
    std::string out, err;
};

Finished run_command(const std::string& program, const std::vector<std::string>& args,
                     const EnvironmentAdditions& extra = {}, Millis timeout = kWineTimeout) {
    EnvironmentAdditions env = world->env;
    env.insert(env.end(), extra.begin(), extra.end());
    Process process(program, args, env);
    Finished finished{process.wait_for(timeout), "", ""};
    finished.out = process.stdout_text();
    finished.err = process.stderr_text();
    return finished;
}

std::string compile_windows_program(const std::string& source, const std::string& output,
                                    const std::vector<std::string>& defines) {
    std::vector<std::string> args{"-O2", "-s", "-o", output, source};
    args.insert(args.end(), defines.begin(), defines.end());
    Finished built = run_command("x86_64-w64-mingw32-gcc", args, {}, Millis(120000));
    if (!built.status || built.status->code != 0)
        return "cannot build " + output + ": " + built.err;
    return {};
}

// The prefix: made by wineboot, the sample textbook on its drive C:, with
// the textbook's folder C:\Book holding the Windows viewers and a main program.
std::string make_world(WineWorld& w) {
    w.prefix = w.tree.root() + "/prefix";
    w.home = w.tree.mkdir("home");
    std::string runtime = w.tree.mkdir("runtime");
    ::chmod(runtime.c_str(), 0700);
    w.env = {{kMarker, w.tree.root()},
             {"WINEPREFIX", w.prefix},
             {"WINEDLLOVERRIDES", "mscoree,mshtml="},
             {"WINEDEBUG", "-all"},
             {"LANG", "C.UTF-8"},
             {"LC_ALL", ""},
             {"HOME", w.home},
             {"XDG_CONFIG_HOME", w.home + "/.config"},
             {"XDG_CACHE_HOME", w.home + "/.cache"},
             {"XDG_DATA_HOME", w.home + "/.local/share"},
             {"XDG_RUNTIME_DIR", runtime},
             {"NO_AT_BRIDGE", "1"}};
    w.bus = std::make_unique<PrivateSessionBus>(w.tree.root() + "/bus",
                                                EnvironmentAdditions{{kMarker, w.tree.root()}});
    if (w.bus->address().empty()) return "dbus-daemon did not start: " + w.bus->log();
    w.env.emplace_back("DBUS_SESSION_BUS_ADDRESS", w.bus->address());

    std::string sources = source_dir() + "/tests/e2e/wine/";
    std::string built = w.tree.mkdir("built");
    for (auto [name, define] : {std::pair{"ornfig", "-DVIEWER=\"ornfig\""},
                                std::pair{"ornpage", "-DVIEWER=\"ornpage\""}}) {
        std::string error =
            compile_windows_program(sources + "viewer.c", built + "/" + name + ".exe", {define});
        if (!error.empty()) return error;
    }
    std::string error =
        compile_windows_program(sources + "textbook.c", built + "/textbook.exe", {"-mconsole"});
    if (!error.empty()) return error;

    // No display for wineboot: it has no window to show.
    Finished boot = run_command("env", {"-u", "DISPLAY", "wineboot", "-i"}, {}, Millis(300000));
    Finished settled = run_command("wineserver", {"-w"}, {}, Millis(120000));
    w.drive_c = w.prefix + "/drive_c";
    if (!boot.status || boot.status->code != 0 || !fs::is_directory(w.drive_c + "/windows"))
        return "wineboot did not make the prefix: " + boot.err;

    fs::copy(sample_drive_c(), w.drive_c,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    for (const char* name : {"ornfig.exe", "ornpage.exe", "textbook.exe"})
        fs::copy_file(built + "/" + name, w.drive_c + "/Book/" + name);
    w.figure_exe = read_file(built + "/ornfig.exe");
    w.page_exe = read_file(built + "/ornpage.exe");
    // An item with a Cyrillic name, and one with a space in its name.
    fs::copy_file(w.drive_c + "/Book/jpg/f01_2.jpg", w.drive_c + "/Book/jpg/рис_1.jpg");
    w.tree.write("prefix/drive_c/Book/htm/orn/рис_1.htm",
                 windows_1251("Рисунок с русским именем") + "\r\n");
    fs::copy_file(w.drive_c + "/Book/jpg/f01_1.jpg", w.drive_c + "/Book/jpg/f01 2.jpg");
    w.tree.write("prefix/drive_c/Book/htm/orn/f01 2.htm",
                 windows_1251("Рисунок с пробелом в имени") + "\r\n");
    return {};
}

class WineEnvironment : public testing::Environment {
  public:
    void SetUp() override {
        world = new WineWorld;
        world->failure = make_world(*world);
    }
    void TearDown() override {
        if (!world) return;
        run_command("wineserver", {"-k"}, {}, Millis(30000));
        std::vector<pid_t> left;
        poll_until(
            [&] {
                left = marked_processes(kMarker, world->tree.root());
                return left.empty();
            },
            Millis(5000));
        kill_processes(left);
        delete world;
        world = nullptr;
    }
};

// A native viewer seen from Unix: its process and its window.
struct Viewer {
    pid_t pid = 0;
    WindowId window = 0;
    std::int64_t mapped_us = 0;  // when the window was first seen viewable
};

class WineTextbook : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(world->failure.empty()) << world->failure;
        Finished setup = run_command(setup_path(), {"--prefix", world->prefix});
        ASSERT_TRUE(setup.status && setup.status->code == 0) << setup.out << setup.err;
        known_ = marked_processes(kMarker, world->tree.root());
    }

    void TearDown() override {
        for (pid_t pid : viewers_)
            if (alive(pid)) {
                ::kill(pid, SIGKILL);
                reap(pid, Millis(5000));
                ADD_FAILURE() << "viewer " << pid << " was still running";
            }
    }

    // Starts a command that runs Wine; it is not waited for.
    std::unique_ptr<Process> start_wine(const std::vector<std::string>& args,
                                        const EnvironmentAdditions& extra = {}) {
        EnvironmentAdditions env = world->env;
        env.insert(env.end(), extra.begin(), extra.end());
        return std::make_unique<Process>("wine", args, env);
    }

    // How the Wine command fared, for a failure's message: whether it still
    // runs, and the end of what it wrote to standard error.
    static std::string wine_report(Process& wine) {
        std::string err = wine.stderr_text();
        if (err.size() > 2000) err = "..." + err.substr(err.size() - 2000);
        auto ended = wine.wait_for(Millis(0));
        return "wine " + (ended ? ended->describe() : std::string("still running")) +
               "; its standard error: " + (err.empty() ? "(nothing)" : err);
    }

    // The native viewer (the installed program at path) that started, and its
    // main window once it is mapped.
    std::optional<Viewer> wait_for_viewer(const std::string& path) {
        Viewer viewer;
        poll_until(
            [&] {
                if (!viewer.pid)
                    for (pid_t pid : marked_processes(kMarker, world->tree.root()))
                        if (executable_of(pid) == path) viewer.pid = pid;
                if (!viewer.pid) return false;
                auto window = probe_.main_window_of_pid(viewer.pid);
                if (!window || !probe_.viewable(*window)) return false;
                viewer.window = *window;
                viewer.mapped_us = realtime_us();
                return true;
            },
            kWindowTimeout, {}, Millis(2));
        if (viewer.pid) viewers_.push_back(viewer.pid);
        if (!viewer.window) return std::nullopt;
        return viewer;
    }

    // The viewer's exit status. The test is the reaper of processes whose
    // parent has gone, so it sees how a viewer that Wine started ends.
    std::optional<ExitStatus> reap(pid_t pid, Millis timeout) {
        std::optional<ExitStatus> ended;
        poll_until(
            [&] {
                int status = 0;
                pid_t result = ::waitpid(pid, &status, WNOHANG);
                if (result == pid) {
                    ended = ExitStatus{WIFEXITED(status), WEXITSTATUS(status),
                                       WIFSIGNALED(status) ? WTERMSIG(status) : 0};
                    return true;
                }
                return false;
            },
            timeout, {}, Millis(10));
        return ended;
    }

    void close(const Viewer& viewer) {
        ASSERT_TRUE(xdotool({"windowactivate", "--sync", std::to_string(viewer.window)}));
        ASSERT_TRUE(xdotool({"key", "--clearmodifiers", "alt+F4"}));
    }

    // The title shows the caption read from the caption file: the ticker
    // scrolls it, so any rotation of it counts.
    bool shows_caption(const Viewer& viewer, const std::string& caption_line_utf8) {
        Text caption = caption_text_from_line(from_utf8(caption_line_utf8));
        return poll_until(
            [&] {
                auto title = probe_.title(viewer.window);
                if (!title) return false;
                Text shown = from_utf8(*title);
                return shown.size() == caption.size() &&
                       (caption + caption).find(shown) != Text::npos;
            },
            Millis(5000));
    }

    std::string title_of(const Viewer& viewer) { return probe_.title(viewer.window).value_or(""); }

    // The figure viewer shows the item's caption, and closing it ends it with
    // status 0 and leaves no process of it.
    void expect_figure_then_close(const std::string& caption) {
        auto viewer = wait_for_viewer(ornfig_path());
        ASSERT_TRUE(viewer) << "no figure window appeared";
        EXPECT_TRUE(shows_caption(*viewer, caption)) << "title: " << title_of(*viewer);
        ASSERT_NO_FATAL_FAILURE(close(*viewer));
        auto status = reap(viewer->pid, Millis(10000));
        ASSERT_TRUE(status) << "ornfig did not end after its window was closed";
        EXPECT_EQ(status->describe(), "exit status 0");
    }

    // The processes of the run, less those there when the test began.
    std::vector<pid_t> new_processes() {
        std::vector<pid_t> now;
        for (pid_t pid : marked_processes(kMarker, world->tree.root()))
            if (std::find(known_.begin(), known_.end(), pid) == known_.end()) now.push_back(pid);
        return now;
    }

    // Writes a command line for the stand-in main program on drive C:.
    std::string command_file(const std::string& name, const std::string& bytes) {
        std::ofstream(world->drive_c + "/" + name, std::ios::binary) << bytes;
        return "C:\\" + name;
    }

    X11Probe probe_;
    std::vector<pid_t> viewers_;
    std::vector<pid_t> known_;
};

TEST_F(WineTextbook, SetUpKeptTheWindowsViewersAndASecondRunChangesNothing) {
    std::string book = world->drive_c + "/Book/";
    EXPECT_EQ(read_file(book + "ornfig.exe.windows"), world->figure_exe);
    EXPECT_EQ(read_file(book + "ornpage.exe.windows"), world->page_exe);
    EXPECT_EQ(read_file(book + "ornfig.exe").rfind("#!/bin/sh\n", 0), 0u);
    std::string stub = read_file(book + "ornfig.exe");
    Finished again = run_command(setup_path(), {"--prefix", world->prefix});
    ASSERT_TRUE(again.status);
    EXPECT_EQ(again.status->code, 0);
    std::string bin = binary_dir() + "/wine-setup/";
    EXPECT_EQ(again.out, "C:\\Book\\ornfig.exe: already starts " + bin +
                             "ornfig; nothing changed\n"
                             "C:\\Book\\ornpage.exe: already starts " +
                             bin + "ornpage; nothing changed\n");
    EXPECT_EQ(read_file(book + "ornfig.exe"), stub);
    // Wine's own files are not looked at, let alone changed.
    EXPECT_EQ(again.out.find("windows\\"), std::string::npos);
}

TEST_F(WineTextbook, FigureStartedThroughCmdShowsItsItemAndEndsWithStatus0) {
    auto wine = start_wine({"cmd", "/c", "C:\\Book\\ornfig.exe", "C:\\Book\\htm\\f01_1.htm"});
    expect_figure_then_close(caption_line("Book/htm/orn/f01_1.htm"));
}

TEST_F(WineTextbook, PageStartedThroughStartShowsItsItemAndLeavesNothingRunning) {
    auto wine = start_wine({"start", "C:\\Book\\ornpage.exe", "C:\\Book\\htm\\p07_2.htm"});
    auto viewer = wait_for_viewer(ornpage_path());
    ASSERT_TRUE(viewer) << "no page window appeared; " << wine_report(*wine);
    EXPECT_TRUE(shows_caption(*viewer, caption_line("Book/htm/or3/p07_2.htm")))
        << "title: " << title_of(*viewer);
    ASSERT_NO_FATAL_FAILURE(close(*viewer));
    auto status = reap(viewer->pid, Millis(10000));
    ASSERT_TRUE(status) << "ornpage did not end after its window was closed";
    EXPECT_EQ(status->describe(), "exit status 0");
    // The HTML engine's processes end with it.
    std::vector<pid_t> engine;
    bool gone = poll_until(
        [&] {
            engine.clear();
            for (pid_t pid : new_processes())
                if (executable_of(pid).find("WebKit") != std::string::npos) engine.push_back(pid);
            return engine.empty();
        },
        Millis(5000));
    EXPECT_TRUE(gone) << "left running: " << describe_processes(engine);
}

TEST_F(WineTextbook, CyrillicNamesArriveWhetherWineMisreadsThemOrNot) {
    // Typed in a UTF-8 terminal: Wine hands the name on as it is.
    {
        auto wine = start_wine({"cmd", "/c", "C:\\Book\\ornfig.exe", "C:\\Book\\htm\\рис_1.htm"});
        expect_figure_then_close("Рисунок с русским именем");
    }
    // Named in Windows-1251 by the main program: under C.UTF-8 Wine reads it as
    // Windows-1252, and the viewer reads it again.
    std::string file = command_file(
        "cyrillic.txt", "C:\\Book\\ornfig.exe C:\\Book\\htm\\" + windows_1251("рис_1") + ".htm");
    auto wine = start_wine({"C:\\Book\\textbook.exe", "winexec", file});
    expect_figure_then_close("Рисунок с русским именем");
}

TEST_F(WineTextbook, QuotedItemPathWithASpace) {
    std::string file =
        command_file("spaced.txt", "C:\\Book\\ornfig.exe \"C:\\Book\\htm\\f01 2.htm\"");
    auto wine = start_wine({"C:\\Book\\textbook.exe", "create", file});
    expect_figure_then_close("Рисунок с пробелом в имени");
}

TEST_F(WineTextbook, MissingItemShowsTheErrorAndEndsWithStatus1) {
    auto wine = start_wine({"cmd", "/c", "C:\\Book\\ornfig.exe", "C:\\Book\\htm\\f09_9.htm"});
    Viewer viewer;
    std::optional<WindowId> dialog;
    poll_until(
        [&] {
            if (!viewer.pid)
                for (pid_t pid : marked_processes(kMarker, world->tree.root()))
                    if (executable_of(pid) == ornfig_path()) viewer.pid = pid;
            if (viewer.pid) dialog = probe_.client_of_pid(viewer.pid, "ornfig");
            return dialog && probe_.is_dialog(*dialog) && probe_.viewable(*dialog);
        },
        kWindowTimeout, {}, Millis(5));
    ASSERT_TRUE(viewer.pid) << "ornfig did not start; " << wine_report(*wine);
    viewers_.push_back(viewer.pid);
    ASSERT_TRUE(dialog && probe_.is_dialog(*dialog)) << "no error message box";
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", std::to_string(*dialog)}));
    ASSERT_TRUE(xdotool({"key", "Return"}));
    auto status = reap(viewer.pid, Millis(10000));
    ASSERT_TRUE(status) << "ornfig did not end after its message was dismissed";
    EXPECT_EQ(status->describe(), "exit status 1");
}

TEST_F(WineTextbook, MainProgramWithPipedOutputDoesNotWaitForTheViewer) {
    std::string file = command_file("piped.txt", "C:\\Book\\ornfig.exe C:\\Book\\htm\\f01_1.htm");
    EnvironmentAdditions env = world->env;
    Process piped("sh", {"-c", "wine 'C:\\Book\\textbook.exe' create '" + file + "' | cat"}, env);
    auto viewer = wait_for_viewer(ornfig_path());
    ASSERT_TRUE(viewer) << "no figure window appeared";
    auto status = piped.wait_for(Millis(30000));
    EXPECT_TRUE(status) << "the pipe stayed open while the viewer ran";
    EXPECT_TRUE(alive(viewer->pid));
    EXPECT_NE(piped.stdout_text().find("started"), std::string::npos) << piped.stdout_text();
    ASSERT_NO_FATAL_FAILURE(close(*viewer));
    EXPECT_TRUE(reap(viewer->pid, Millis(10000)));
}

TEST_F(WineTextbook, WineserverEndsWhileTheViewerRuns) {
    run_command("wineserver", {"-w"});  // the earlier tests' server goes first
    auto wine = start_wine({"cmd", "/c", "C:\\Book\\ornfig.exe", "C:\\Book\\htm\\f01_1.htm"});
    auto viewer = wait_for_viewer(ornfig_path());
    ASSERT_TRUE(viewer) << "no figure window appeared; " << wine_report(*wine);
    Finished waited = run_command("wineserver", {"-w"}, {}, Millis(30000));
    EXPECT_TRUE(waited.status) << "wineserver kept running with the viewer";
    EXPECT_TRUE(alive(viewer->pid));
    ASSERT_NO_FATAL_FAILURE(close(*viewer));
    EXPECT_TRUE(reap(viewer->pid, Millis(10000)));
}

// From the Windows-side call to the mapped window, against starting the
// figure viewer directly; both written into the test's report.
TEST_F(WineTextbook, TimeFromTheWindowsCallToTheWindow) {
    std::string file = command_file("timed.txt", "C:\\Book\\ornfig.exe C:\\Book\\htm\\f01_1.htm");
    auto wine = start_wine({"C:\\Book\\textbook.exe", "create", file});
    auto viewer = wait_for_viewer(ornfig_path());
    ASSERT_TRUE(viewer) << "no figure window appeared; " << wine_report(*wine);
    ASSERT_TRUE(wine->wait_for(Millis(30000)));
    std::istringstream said(wine->stdout_text());
    std::string word;
    unsigned long long filetime = 0;
    said >> word >> filetime;
    ASSERT_EQ(word, "call-time") << wine->stdout_text();
    // FILETIME counts 100 ns from 1601; Unix time from 1970.
    std::int64_t call_us = static_cast<std::int64_t>(filetime / 10) - 11644473600000000LL;
    double through_wine_ms = (viewer->mapped_us - call_us) / 1000.0;
    ASSERT_NO_FATAL_FAILURE(close(*viewer));
    ASSERT_TRUE(reap(viewer->pid, Millis(10000)));

    std::int64_t started_us = realtime_us();
    Process direct(ornfig_path(), {"C:\\Book\\htm\\f01_1.htm"}, world->env);
    auto window = wait_for_viewer(ornfig_path());
    ASSERT_TRUE(window);
    double direct_ms = (window->mapped_us - started_us) / 1000.0;
    ASSERT_NO_FATAL_FAILURE(close(*window));
    ASSERT_TRUE(direct.wait_for(Millis(10000)));

    std::cout << "window mapped " << through_wine_ms << " ms after the Windows-side call, "
              << direct_ms << " ms after starting ornfig directly\n";
    RecordProperty("through_wine_ms", std::to_string(through_wine_ms));
    RecordProperty("direct_ms", std::to_string(direct_ms));
    EXPECT_GT(through_wine_ms, 0);
}

// Last: undoing takes the stubs away for good.
TEST_F(WineTextbook, UndoPutsTheExactWindowsProgramsBack) {
    std::string book = world->drive_c + "/Book/";
    mode_t kept_mode = mode_of(book + "ornfig.exe.windows");
    Finished undo = run_command(setup_path(), {"--prefix", world->prefix, "--undo"});
    ASSERT_TRUE(undo.status);
    EXPECT_EQ(undo.status->code, 0) << undo.err;
    EXPECT_EQ(read_file(book + "ornfig.exe"), world->figure_exe);
    EXPECT_EQ(read_file(book + "ornpage.exe"), world->page_exe);
    EXPECT_EQ(mode_of(book + "ornfig.exe"), kept_mode);
    EXPECT_FALSE(fs::exists(book + "ornfig.exe.windows"));
    // The Windows program runs again as Wine's own.
    Finished windows = run_command("wine", {"C:\\Book\\ornfig.exe"});
    ASSERT_TRUE(windows.status);
    EXPECT_EQ(windows.out.substr(0, 6), "ornfig");
}

}  // namespace
}  // namespace orn::test

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (const char* tool : {"wine", "wineboot", "wineserver", "x86_64-w64-mingw32-gcc"})
        if (!orn::test::on_path(tool)) {
            std::cout << "SKIP: " << tool
                      << " is not installed (scripts/install-deps.sh installs it)\n";
            return 77;
        }
    std::string reason = orn::test::e2e_skip_reason();
    if (!reason.empty()) {
        std::cout << "SKIP: " << reason << "\n";
        return 77;
    }
    // Viewers started by Wine lose their parent at once; they come here.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    testing::AddGlobalTestEnvironment(new orn::test::WineEnvironment);
    return RUN_ALL_TESTS();
}
