// ornfig's run-time errors: each shows the error dialog and one line on
// standard error, and the program ends with status 1 once the dialog is
// dismissed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

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
