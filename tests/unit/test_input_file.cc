// Opening the files the viewers read: anything but a regular file is
// refused at once with its reason, whatever sits in the file's place (a
// pipe nobody writes to, an endless device, a folder), and every reader is
// held to its size bound.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "runtime/errors.h"
#include "runtime/input_file.h"
#include "runtime/picture.h"
#include "runtime/textfile.h"
#include "temp_tree.h"

namespace orn {
namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

// What a failing action raised; the action runs on a thread of its own, so
// that an open that waits forever fails the test instead of hanging it.
struct Outcome {
    bool finished = false;
    bool raised = false;
    ErrorCode code{};
    std::string detail;
};

Outcome outcome_within(seconds limit, std::function<void()> action) {
    auto result = std::make_shared<std::promise<Outcome>>();
    std::future<Outcome> done = result->get_future();
    std::thread([result, action = std::move(action)] {
        Outcome outcome;
        outcome.finished = true;
        try {
            action();
        } catch (const RuntimeError& error) {
            outcome = {true, true, error.code(), error.detail()};
        }
        result->set_value(outcome);
    }).detach();  // left behind, blocked, only when the test fails anyway
    if (done.wait_for(limit) != std::future_status::ready) return {};
    return done.get();
}

// The things that may stand where a file is expected.
class NotAFile : public ::testing::Test {
  protected:
    NotAFile() {
        fifo = tree.root() + "/fifo";
        EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        urandom = tree.root() + "/urandom";
        fs::create_symlink("/dev/urandom", urandom);
        zero = tree.root() + "/zero";
        fs::create_symlink("/dev/zero", zero);
        folder = tree.mkdir("folder");
    }
    void expect_refused(const std::function<void(const std::string&)>& read,
                        ErrorCode code = ErrorCode::FileNotFound) {
        for (const auto& [path, reason] :
             {std::pair{fifo, "not a regular file"}, std::pair{urandom, "not a regular file"},
              std::pair{zero, "not a regular file"}, std::pair{folder, "is a directory"}}) {
            Outcome outcome = outcome_within(seconds(3), [&read, path = path] { read(path); });
            ASSERT_TRUE(outcome.finished) << path << ": still reading after 3 s";
            EXPECT_TRUE(outcome.raised) << path;
            EXPECT_EQ(outcome.code, code) << path;
            EXPECT_NE(outcome.detail.find(reason), std::string::npos) << outcome.detail;
        }
    }
    test::TempTree tree;
    std::string fifo, urandom, zero, folder;
};

TEST_F(NotAFile, TheSharedOpenRefusesItAtOnce) {
    expect_refused([](const std::string& path) { open_input_file(path, u"x", 1 << 20); });
    EXPECT_FALSE(try_open_input_file(fifo, 1 << 20));
    EXPECT_FALSE(try_open_input_file(zero, 1 << 20));
}

// The configuration file and the caption files are text files.
TEST_F(NotAFile, TextFilesRefuseIt) {
    expect_refused([](const std::string& path) {
        TextInput input;
        input.open(from_utf8(path));
        input.read_line();
    });
}

TEST_F(NotAFile, FigureFilesRefuseIt) {
    expect_refused([](const std::string& path) { load_picture_file(path, from_utf8(path), 0.5); });
}

TEST(InputFile, ARegularFileOpensForBlockingReads) {
    test::TempTree tree;
    std::string path = tree.write("f.txt", "twelve bytes");
    InputFile file = open_input_file(path, u"f.txt", 100);
    ASSERT_GE(file.descriptor(), 0);
    EXPECT_EQ(file.size(), 12u);
    EXPECT_EQ(::fcntl(file.descriptor(), F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(file.descriptor(), F_GETFD) & FD_CLOEXEC, 0);
    // Larger than the caller allows: refused before it is read.
    Outcome outcome = outcome_within(seconds(3), [&] { open_input_file(path, u"f.txt", 11); });
    EXPECT_EQ(outcome.code, ErrorCode::OutOfMemory);
    EXPECT_NE(outcome.detail.find("larger than 11 bytes"), std::string::npos) << outcome.detail;
}

// What a process without root's powers is told about a file it may not
// read: run in a child that gives up root where the tests run as root.
std::string detail_as_unprivileged(const std::function<void()>& action) {
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) return "no pipe";
    pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe_ends[0]);
        if (::geteuid() == 0 && ::setresuid(65534, 65534, 65534) != 0) ::_exit(2);
        std::string detail = "no error";
        try {
            action();
        } catch (const RuntimeError& error) {
            detail = error.what();
        }
        (void)!::write(pipe_ends[1], detail.data(), detail.size());
        ::_exit(0);
    }
    ::close(pipe_ends[1]);
    std::string detail;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipe_ends[0], buffer, sizeof buffer)) > 0;)
        detail.append(buffer, static_cast<std::size_t>(got));
    ::close(pipe_ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return detail;
}

TEST(InputFile, AnUnreadableFileSaysPermissionDenied) {
    test::TempTree tree;
    ::chmod(tree.root().c_str(), 0755);  // the child may look into the folder
    std::string path = tree.write("secret.jpg", "\xFF\xD8\xFF");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    std::string figure = detail_as_unprivileged([&] { load_picture_file(path, u"secret.jpg", 1); });
    EXPECT_EQ(figure.rfind("File not found: secret.jpg", 0), 0u) << figure;
    EXPECT_NE(figure.find("permission denied"), std::string::npos) << figure;
    std::string text = detail_as_unprivileged([&] {
        TextInput input;
        input.open(from_utf8(path));
    });
    EXPECT_NE(text.find("File not found"), std::string::npos) << text;
    EXPECT_NE(text.find("permission denied"), std::string::npos) << text;
}

// A text file is read only as far as its lines are asked for, and never
// past its bound: a caption file's first line is all that is read of it,
// a configuration file without end is refused.
TEST(InputFile, TextFilesAreReadWithinTheirBound) {
    test::TempTree tree;
    std::string lines;
    while (lines.size() <= TextInput::kMaxFileBytes) lines += "[abc]\r\nC:\\Book\r\n";
    std::string path = tree.write("long.ini", lines);
    TextInput caption;
    caption.open(from_utf8(path));
    EXPECT_EQ(caption.read_line(), u"[abc]");
    Outcome outcome = outcome_within(seconds(3), [&] {
        TextInput configuration;
        configuration.open(from_utf8(path));
        while (!configuration.eof()) configuration.read_line();
    });
    EXPECT_EQ(outcome.code, ErrorCode::OutOfMemory);
    EXPECT_NE(outcome.detail.find("larger than 4 MiB"), std::string::npos) << outcome.detail;
    // Files of the kernel's own say they are empty but are not.
    TextInput status;
    status.open(u"/proc/self/status");
    EXPECT_EQ(status.read_line().rfind(u"Name:", 0), 0u);
}

// A figure file larger than any picture may be: refused from its size,
// without reading it (the file is sparse, so reading it would still be fast;
// the message says why).
TEST(InputFile, AFigureFileLargerThanTheBudgetIsRefusedUnread) {
    test::TempTree tree;
    std::string path = tree.write("huge.jpg", "\xFF\xD8");
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kPictureMemoryBudget + 1)), 0);
    Outcome outcome =
        outcome_within(seconds(3), [&] { load_picture_file(path, u"huge.jpg", 0.5); });
    EXPECT_EQ(outcome.code, ErrorCode::OutOfMemory);
    EXPECT_NE(outcome.detail.find("larger than 256 MiB"), std::string::npos) << outcome.detail;
}

}  // namespace
}  // namespace orn
