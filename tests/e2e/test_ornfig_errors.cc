// ornfig's run-time errors: each shows the error dialog and one line on
// standard error, and the program ends with status 1 once the dialog is
// dismissed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include <sys/stat.h>

#include "ornfig_run.h"

namespace orn::test {
namespace {

namespace fs = std::filesystem;

// A C: drive for one case, made in tree; returns its host path.
using DriveMaker = std::function<std::string(TempTree&)>;

struct FailureCase {
    const char* name;
    DriveMaker drive;
    const char* item_path;
    const char* message_start;  // after "ornfig: "
    const char* mentions;       // a path or name the message names
    bool figure_shown_first;    // the error comes after the figure is on screen
};

std::string sample_drive(TempTree&) {
    return sample_drive_c();
}

std::string empty_drive(TempTree& tree) {
    return tree.mkdir("drive_c");
}

std::string drive_without_configuration(TempTree& tree) {
    std::string drive = tree.mkdir("drive_c");
    tree.mkdir("drive_c/Program Files/Ornlux");
    return drive;
}

// The sample with one file replaced (nullptr: removed).
DriveMaker sample_with(const std::string& relative_path, const char* bytes) {
    return [=](TempTree& tree) {
        std::string drive = copy_sample_drive(tree);
        fs::remove(fs::path(drive) / relative_path);
        if (bytes) tree.write("drive_c/" + relative_path, bytes);
        return drive;
    };
}

// What may stand in a file's place: something that is no regular file.
enum class Standin { Pipe, EndlessDevice, ZeroDevice, Folder };

// The sample with one file replaced by a stand-in.
DriveMaker sample_with_standin(const std::string& relative_path, Standin standin) {
    return [=](TempTree& tree) {
        std::string drive = copy_sample_drive(tree);
        fs::path path = fs::path(drive) / relative_path;
        fs::remove(path);
        switch (standin) {
            case Standin::Pipe:
                if (::mkfifo(path.c_str(), 0600) != 0) ADD_FAILURE() << "mkfifo " << path;
                break;
            case Standin::EndlessDevice:
                fs::create_symlink("/dev/urandom", path);
                break;
            case Standin::ZeroDevice:
                fs::create_symlink("/dev/zero", path);
                break;
            case Standin::Folder:
                fs::create_directory(path);
                break;
        }
        return drive;
    };
}

constexpr const char* kConfiguration = "Program Files/Ornlux/orn.ini";
constexpr const char* kCaption = "Book/htm/orn/f01_1.htm";
constexpr const char* kFigure = "Book/jpg/f01_1.jpg";

const FailureCase kFailures[] = {
    {"NoProgramFilesFolder", empty_drive, "C:\\Book\\htm\\f01_1.htm", "Path not found",
     "c:\\Program Files\\Ornlux\\orn.ini", false},
    {"NoConfigurationFile", drive_without_configuration, "C:\\Book\\htm\\f01_1.htm",
     "File not found", "c:\\Program Files\\Ornlux\\orn.ini", false},
    {"ConfigurationWithOddLineCount",
     sample_with("Program Files/Ornlux/orn.ini", "[default]\r\nC:\\Book\r\n[f12]\r\n"),
     "C:\\Book\\htm\\f01_1.htm", "Read past end of file", "orn.ini", false},
    {"ItemNameShorterThanFourCharacters", sample_drive, "C:\\Book\\htm\\f1", "Invalid argument",
     "f1", false},
    {"MissingFigure", sample_with("Book/jpg/f01_1.jpg", nullptr), "C:\\Book\\htm\\f01_1.htm",
     "File not found", "C:\\Book\\jpg\\f01_1.jpg", false},
    {"MissingCaptionFile", sample_with("Book/htm/orn/f01_1.htm", nullptr),
     "C:\\Book\\htm\\f01_1.htm", "File not found", "C:\\Book\\htm\\orn\\f01_1.htm", true},
    {"EmptyCaptionFile", sample_with("Book/htm/orn/f01_1.htm", ""), "C:\\Book\\htm\\f01_1.htm",
     "Read past end of file", "f01_1.htm", true},
    // Whatever stands in a file's place, the program says so at once
    // instead of waiting on it or reading it without end.
    {"PipeAsConfiguration", sample_with_standin(kConfiguration, Standin::Pipe),
     "C:\\Book\\htm\\f01_1.htm", "File not found", "orn.ini): not a regular file", false},
    {"EndlessDeviceAsConfiguration", sample_with_standin(kConfiguration, Standin::EndlessDevice),
     "C:\\Book\\htm\\f01_1.htm", "File not found", ": not a regular file", false},
    {"PipeAsCaption", sample_with_standin(kCaption, Standin::Pipe), "C:\\Book\\htm\\f01_1.htm",
     "File not found", ": not a regular file", true},
    {"ZeroDeviceAsCaption", sample_with_standin(kCaption, Standin::ZeroDevice),
     "C:\\Book\\htm\\f01_1.htm", "File not found", ": not a regular file", true},
    {"PipeAsFigure", sample_with_standin(kFigure, Standin::Pipe), "C:\\Book\\htm\\f01_1.htm",
     "File not found", ": not a regular file", false},
    {"ZeroDeviceAsFigure", sample_with_standin(kFigure, Standin::ZeroDevice),
     "C:\\Book\\htm\\f01_1.htm", "File not found", ": not a regular file", false},
    {"FolderAsFigure", sample_with_standin(kFigure, Standin::Folder), "C:\\Book\\htm\\f01_1.htm",
     "File not found", "f01_1.jpg): is a directory", false},
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const FailureCase& failure, std::ostream* out) {
    *out << failure.name;
}

class OrnfigFailure : public testing::TestWithParam<FailureCase> {
  protected:
    void SetUp() override {
        std::string reason = e2e_skip_reason();
        if (!reason.empty()) GTEST_SKIP() << reason;
    }
    TempTree tree;
};

// The figure window of the run is mapped before the dialog (the window
// manager lists clients in the order they were mapped) and is laid out for
// the figure: wider than the designed form, which shows no picture.
void expect_figure_shown_before(OrnfigRun& run, WindowId dialog) {
    auto figure = run.probe().main_window_of_pid(run.process().pid());
    ASSERT_TRUE(figure) << "no figure window beside the error dialog";
    auto clients = run.probe().clients();
    auto position = [&](WindowId window) {
        return std::find(clients.begin(), clients.end(), window);
    };
    EXPECT_LT(position(*figure), position(dialog))
        << "the dialog was mapped before the figure window";
    EXPECT_EQ(run.probe().title(*figure), "Форма1") << "the ticker must not have started";
}

TEST_P(OrnfigFailure, ShowsTheErrorAndEndsWithStatus1) {
    const FailureCase& failure = GetParam();
    std::string prefix = make_wine_prefix(tree, failure.drive(tree));
    OrnfigRun run(failure.item_path, prefix);

    auto dialog = run.wait_for_error_dialog();
    ASSERT_TRUE(dialog) << "no error dialog; "
                        << (run.process().running() ? "still running" : "ended")
                        << "; standard error:\n"
                        << run.process().stderr_text();
    if (failure.figure_shown_first) expect_figure_shown_before(run, *dialog);

    // One line on standard error, written before the dialog waits for the user.
    std::vector<std::string> ours;
    for (const auto& line : run.stderr_lines())
        if (line.rfind("ornfig:", 0) == 0) ours.push_back(line);
    ASSERT_EQ(ours.size(), 1u) << "standard error:\n" << run.process().stderr_text();
    EXPECT_EQ(ours[0].rfind(std::string("ornfig: ") + failure.message_start, 0), 0u) << ours[0];
    EXPECT_NE(ours[0].find(failure.mentions), std::string::npos) << ours[0];
    EXPECT_TRUE(run.process().running()) << "ended before the dialog was dismissed";

    ASSERT_TRUE(run.dismiss(*dialog)) << "xdotool could not press Return in the dialog";
    auto status = run.process().wait_for(Millis(5000));
    ASSERT_TRUE(status) << "still running 5 s after the dialog was dismissed";
    EXPECT_TRUE(status->exited && status->code == 1) << status->describe();
}

INSTANTIATE_TEST_SUITE_P(Ornfig, OrnfigFailure, testing::ValuesIn(kFailures),
                         [](const testing::TestParamInfo<FailureCase>& info) {
                             return std::string(info.param.name);
                         });

class OrnfigMessage : public testing::Test {
  protected:
    void SetUp() override {
        std::string reason = e2e_skip_reason();
        if (!reason.empty()) GTEST_SKIP() << reason;
        prefix = make_wine_prefix(tree, sample_drive_c());
    }
    // Dismisses the dialog with Return and expects the program to end with 1.
    void expect_dismissed(OrnfigRun& run, WindowId dialog) {
        ASSERT_TRUE(run.dismiss(dialog)) << "xdotool could not press Return in the dialog";
        auto status = run.process().wait_for(Millis(5000));
        ASSERT_TRUE(status) << "still running 5 s after the dialog was dismissed";
        EXPECT_TRUE(status->exited && status->code == 1) << status->describe();
    }
    TempTree tree;
    std::string prefix;
};

// A line end and a terminal escape typed into the item path: one line on
// standard error, the escape shown, never sent to the terminal.
TEST_F(OrnfigMessage, ControlCharactersInTheArgumentStayOnOneEscapedLine) {
    OrnfigRun run("C:\\Book\\htm\\f0\n1_1\x1b[31m\r.htm", prefix);
    auto dialog = run.wait_for_error_dialog();
    ASSERT_TRUE(dialog) << "no error dialog; standard error:\n" << run.process().stderr_text();
    std::string text = run.process().stderr_text();
    EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
    std::vector<std::string> ours;
    for (const auto& line : run.stderr_lines())
        if (line.find("f0") != std::string::npos) ours.push_back(line);
    ASSERT_EQ(ours.size(), 1u) << text;
    EXPECT_EQ(ours[0].rfind("ornfig: File not found: C:\\Book\\jpg\\f0\\n1_1\\x1B[31m\\r.jpg", 0),
              0u)
        << ours[0];
    expect_dismissed(run, *dialog);
}

// A name of 3,000 characters: the message box stays within the screen's
// work area, its button on screen, and Return still closes it.
TEST_F(OrnfigMessage, TheMessageBoxOfAVeryLongNameFitsTheScreen) {
    OrnfigRun run("C:\\Book\\htm\\f01" + std::string(3000, 'x') + ".htm", prefix);
    auto dialog = run.wait_for_error_dialog();
    ASSERT_TRUE(dialog) << "no error dialog; standard error:\n" << run.process().stderr_text();
    Rect area = run.probe().work_area();
    std::optional<Rect> frame;
    // Its size settles once the window manager has placed it.
    std::this_thread::sleep_for(Millis(300));
    frame = run.probe().frame_geometry(*dialog);
    ASSERT_TRUE(frame);
    EXPECT_LE(frame->width, area.width) << "the dialog is wider than the screen";
    EXPECT_LE(frame->height, area.height) << "the dialog is taller than the screen";
    EXPECT_GE(frame->x, area.x);
    EXPECT_LE(frame->x + frame->width, area.x + area.width) << "its right edge is off screen";
    EXPECT_LE(frame->y + frame->height, area.y + area.height) << "its button is off screen";
    expect_dismissed(run, *dialog);
}

// ornfig is one file: a copy of it elsewhere starts and shows its figure.
TEST(OrnfigBinary, ACopyElsewhereStarts) {
    if (std::string reason = e2e_skip_reason(); !reason.empty()) GTEST_SKIP() << reason;
    TempTree tree;
    std::string alone = tree.mkdir("bin") + "/ornfig";
    fs::copy_file(ornfig_binary(), alone);
    OrnfigRun run("C:\\Book\\htm\\f01_1.htm", make_wine_prefix(tree, sample_drive_c()), {}, alone);
    auto window = run.wait_for_figure_window();
    ASSERT_TRUE(window) << "no figure window; stderr: " << run.process().stderr_text();
    EXPECT_TRUE(run.wait_until_started(*window)) << "the caption never started scrolling";
    EXPECT_TRUE(run.process().running());
}

}  // namespace
}  // namespace orn::test
