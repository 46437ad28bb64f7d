// ornlux-wine-setup on prefixes made in temporary folders: which files it
// takes, the stubs it writes and what they run, undoing, dry runs, second
// runs and refusals.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "temp_tree.h"
#include "wine-setup/options.h"
#include "wine-setup/setup_run.h"

namespace orn::wine_setup {
namespace {

namespace fs = std::filesystem;

const std::string kFigureExe = std::string("MZ\x90\0\3\0\0\0", 8) + "figure viewer for Windows";
const std::string kPageExe = std::string("MZ\x90\0\3\0\0\0", 8) + "page viewer for Windows";

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

// Every file below a folder with its bytes and mode: what a run changed.
std::map<std::string, std::string> snapshot(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string path = entry.path().string();
        std::string what = entry.is_symlink()     ? "-> " + fs::read_symlink(path).string()
                           : entry.is_directory() ? "folder"
                                                  : read_file(path);
        files[path] = std::to_string(mode_of(path)) + " " + what;
    }
    return files;
}

struct Result {
    int status;
    std::string out;
    std::string err;
};

class WineSetup : public testing::Test {
  protected:
    void SetUp() override {
        prefix = tree.mkdir("prefix");
        drive = tree.mkdir("prefix/drive_c");
        fs::create_directories(prefix + "/dosdevices");
        fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
        tree.mkdir("prefix/drive_c/windows/system32");
        viewers = tree.mkdir("bin");
        // Stand-ins for the native viewers: they write down how they were started.
        for (const char* name : {"ornfig", "ornpage"}) {
            std::string path = tree.write(
                std::string("bin/") + name,
                "#!/bin/sh\n{ printf '%s\\n' \"$0\" \"$WINEPREFIX\"; for a in \"$@\"; do printf "
                "'[%s]\\n' \"$a\"; done; } >\"$RECORD\"\necho on-stdout\n");
            ::chmod(path.c_str(), 0755);
        }
    }

    std::string put(const std::string& relative, const std::string& bytes, mode_t mode = 0644) {
        std::string path = tree.write("prefix/drive_c/" + relative, bytes);
        ::chmod(path.c_str(), mode);
        return path;
    }

    Result run(const std::vector<std::string>& args) {
        std::vector<const char*> argv{"ornlux-wine-setup"};
        for (const std::string& arg : args) argv.push_back(arg.c_str());
        ParsedOptions parsed = parse_options(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(parsed.problem, "");
        parsed.options.prefix = parsed.options.prefix.value_or(prefix);
        std::ostringstream out, err;
        int status = run_setup(parsed.options, viewers, out, err);
        return {status, out.str(), err.str()};
    }

    // Runs a stub as Wine does (an executable file), with the environment
    // given; what the stand-in viewer wrote down, and what reached stdout.
    std::pair<std::string, std::string> run_stub(const std::string& stub,
                                                 const std::vector<std::string>& args,
                                                 const std::string& wine_prefix) {
        std::string record = tree.root() + "/record";
        std::string output = tree.root() + "/stub-output";
        fs::remove(record);
        std::string command = "cd / && RECORD='" + record + "' ";
        command += wine_prefix.empty() ? "env -u WINEPREFIX" : "WINEPREFIX='" + wine_prefix + "'";
        command += " '" + stub + "'";
        for (const std::string& arg : args) command += " '" + arg + "'";
        command += " >'" + output + "'";
        int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
        return {read_file(record), read_file(output)};
    }

    test::TempTree tree;
    std::string prefix, drive, viewers;
};

TEST_F(WineSetup, KeepsTheWindowsProgramsAsideAndPutsStubsThatStartTheViewers) {
    std::string figure = put("Book/ornfig.exe", kFigureExe, 0640);
    std::string page = put("Book/ornpage.exe", kPageExe);
    Result result = run({});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(
        result.out,
        "C:\\Book\\ornfig.exe: kept the Windows program as ornfig.exe.windows and put a "
        "stub in its place that starts " +
            viewers +
            "/ornfig\n"
            "C:\\Book\\ornpage.exe: kept the Windows program as ornpage.exe.windows and put a "
            "stub in its place that starts " +
            viewers + "/ornpage\n");
    // The kept programs are the very files: bytes and mode.
    EXPECT_EQ(read_file(figure + ".windows"), kFigureExe);
    EXPECT_EQ(mode_of(figure + ".windows"), 0640u);
    EXPECT_EQ(read_file(page + ".windows"), kPageExe);
    // Execute permission where there was read permission: Wine runs it.
    EXPECT_EQ(mode_of(figure), 0750u);
    EXPECT_EQ(mode_of(page), 0755u);

    auto [record, output] = run_stub(figure, {"C:\\Book\\htm\\рис 1.htm"}, "/elsewhere");
    EXPECT_EQ(record, viewers + "/ornfig\n/elsewhere\n[C:\\Book\\htm\\рис 1.htm]\n")
        << "the item path, byte for byte, and the prefix Wine runs in";
    EXPECT_EQ(output, "") << "the viewer's standard output is not the caller's";
    // Started without a prefix set, it uses the one set up.
    EXPECT_EQ(run_stub(page, {"a", "b c"}, "").first,
              viewers + "/ornpage\n" + fs::canonical(prefix).string() + "\n[a]\n[b c]\n");
}

TEST_F(WineSetup, AStubStillWorksWhenItsFolderIsCopied) {
    put("Book/ornfig.exe", kFigureExe);
    ASSERT_EQ(run({}).status, 0);
    std::string copy = drive + "/Copy of Book";
    fs::copy(drive + "/Book", copy, fs::copy_options::recursive);
    EXPECT_EQ(run_stub(copy + "/ornfig.exe", {"C:\\x.htm"}, "/p").first,
              viewers + "/ornfig\n/p\n[C:\\x.htm]\n");
}

TEST_F(WineSetup, SecondRunChangesNothingAndSaysSo) {
    put("Book/ornfig.exe", kFigureExe);
    put("Book/ornpage.exe", kPageExe);
    ASSERT_EQ(run({}).status, 0);
    auto before = snapshot(tree.root());
    Result again = run({});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, "C:\\Book\\ornfig.exe: already starts " + viewers +
                             "/ornfig; nothing changed\n"
                             "C:\\Book\\ornpage.exe: already starts " +
                             viewers + "/ornpage; nothing changed\n");
    EXPECT_EQ(snapshot(tree.root()), before);
}

TEST_F(WineSetup, UndoPutsTheExactProgramsBack) {
    put("Book/ornfig.exe", kFigureExe, 0600);
    put("Book/ornpage.exe", kPageExe, 0755);
    auto before = snapshot(tree.root());
    ASSERT_EQ(run({}).status, 0);
    Result undo = run({"--undo"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(undo.out,
              "C:\\Book\\ornfig.exe: put the Windows program back from ornfig.exe.windows\n"
              "C:\\Book\\ornpage.exe: put the Windows program back from ornpage.exe.windows\n");
    EXPECT_EQ(snapshot(tree.root()), before);
    Result again = run({"--undo"});
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(again.out.find("ornfig.exe: the Windows program is in its place; nothing changed"),
              std::string::npos)
        << again.out;
    EXPECT_EQ(snapshot(tree.root()), before);
}

TEST_F(WineSetup, DryRunSaysWhatItWouldDoAndChangesNothing) {
    put("Book/ornfig.exe", kFigureExe);
    auto before = snapshot(tree.root());
    Result dry = run({"--dry-run"});
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(dry.out,
              "C:\\Book\\ornfig.exe: would keep the Windows program as "
              "ornfig.exe.windows and put a stub in its place that starts " +
                  viewers + "/ornfig\n");
    EXPECT_EQ(snapshot(tree.root()), before);
    ASSERT_EQ(run({}).status, 0);
    auto set_up = snapshot(tree.root());
    Result dry_undo = run({"--undo", "--dry-run"});
    EXPECT_EQ(dry_undo.out,
              "C:\\Book\\ornfig.exe: would put the Windows program back from ornfig.exe.windows\n");
    EXPECT_EQ(snapshot(tree.root()), set_up);
}

TEST_F(WineSetup, FindsNamesInAnyCaseButOnlyWindowsProgramsAndNeverUnderWindows) {
    std::string upper = put("Program Files/Book/ORNFIG.EXE", kFigureExe);
    put("windows/ornfig.exe", kFigureExe);
    put("Windows/system32/ornpage.exe", kPageExe);
    put("Notes/ornpage.exe", "#!/bin/sh\necho a script of the user's own\n", 0755);
    // A folder reached through a link is not looked into (the prefix links
    // the user's home folders in).
    std::string elsewhere = tree.mkdir("elsewhere");
    tree.write("elsewhere/ornfig.exe", kFigureExe);
    fs::create_directory_symlink(elsewhere, drive + "/users");
    fs::create_symlink(drive + "/windows/ornfig.exe", drive + "/ornfig.exe");
    auto untouched = snapshot(drive + "/windows");
    auto elsewhere_before = snapshot(elsewhere);

    Result result = run({});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "C:\\ornfig.exe: not a Windows program; left alone\n"
              "C:\\Notes\\ornpage.exe: not a Windows program; left alone\n"
              "C:\\Program Files\\Book\\ORNFIG.EXE: kept the Windows program as "
              "ORNFIG.EXE.windows and put a stub in its place that starts " +
                  viewers + "/ornfig\n");
    EXPECT_EQ(read_file(upper + ".windows"), kFigureExe);
    EXPECT_EQ(snapshot(drive + "/windows"), untouched);
    EXPECT_EQ(snapshot(elsewhere), elsewhere_before);
    EXPECT_EQ(read_file(drive + "/Notes/ornpage.exe"),
              "#!/bin/sh\necho a script of the user's own\n");
}

TEST_F(WineSetup, PutsAMissingStubBackAndUpdatesOneThatStartsSomethingElse) {
    std::string figure = put("Book/ornfig.exe", kFigureExe);
    put("Book/ornpage.exe", kPageExe);
    ASSERT_EQ(run({}).status, 0);
    fs::remove(figure);
    // As if set up by an installation elsewhere.
    std::string page = drive + "/Book/ornpage.exe";
    std::string old = read_file(page);
    std::string moved = old;
    moved.replace(moved.find(viewers), viewers.size(), "/opt/old");
    std::ofstream(page, std::ios::binary | std::ios::trunc) << moved;

    Result result = run({});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "C:\\Book\\ornfig.exe: put back the stub that starts " + viewers +
                              "/ornfig (the Windows program is kept as ornfig.exe.windows)\n"
                              "C:\\Book\\ornpage.exe: updated the stub to start " +
                              viewers + "/ornpage\n");
    EXPECT_EQ(read_file(page), old);
    EXPECT_EQ(mode_of(figure), 0755u);
    EXPECT_EQ(read_file(figure + ".windows"), kFigureExe);
}

TEST_F(WineSetup, LeavesAloneWhatOnlyTheUserCanSettle) {
    // A Windows program in its place and another kept: the textbook was
    // installed again over a set-up prefix.
    put("Book/ornfig.exe", kFigureExe);
    put("Book/ornfig.exe.windows", kFigureExe + "older");
    put("Book/ornpage.exe", kPageExe);
    auto before = snapshot(tree.root());
    Result result = run({});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("C:\\Book\\ornfig.exe: left alone: a Windows program is in its "
                              "place and another one is kept as ornfig.exe.windows"),
              std::string::npos)
        << result.out;
    // The other file is set up all the same.
    EXPECT_EQ(read_file(drive + "/Book/ornpage.exe.windows"), kPageExe);
    EXPECT_EQ(read_file(drive + "/Book/ornfig.exe.windows"), kFigureExe + "older");
    EXPECT_EQ(read_file(drive + "/Book/ornfig.exe"), kFigureExe);

    // --undo with a stub whose Windows program is gone.
    fs::remove(drive + "/Book/ornpage.exe.windows");
    Result undo = run({"--undo"});
    EXPECT_EQ(undo.status, 1);
    EXPECT_NE(undo.out.find("C:\\Book\\ornpage.exe: left alone: it is a stub, and the Windows "
                            "program it stands for (ornpage.exe.windows) is not there"),
              std::string::npos)
        << undo.out;
    (void)before;
}

TEST_F(WineSetup, RefusesAMissingPrefixAPrefixWithoutTextbookAndMissingViewers) {
    Result no_prefix = run({"--prefix", tree.root() + "/nowhere"});
    EXPECT_EQ(no_prefix.status, 1);
    EXPECT_EQ(no_prefix.err,
              "ornlux-wine-setup: there is no Wine prefix at " + tree.root() + "/nowhere\n");
    EXPECT_EQ(no_prefix.out, "");

    Result not_a_prefix = run({"--prefix", viewers});
    EXPECT_EQ(not_a_prefix.status, 1);
    EXPECT_EQ(not_a_prefix.err,
              "ornlux-wine-setup: the Wine prefix " + viewers + " has no drive C:\n");

    put("Book/ornfig.txt", "not it");
    Result no_textbook = run({});
    EXPECT_EQ(no_textbook.status, 1);
    EXPECT_NE(no_textbook.err.find("no textbook in the Wine prefix"), std::string::npos);

    put("Book/ornfig.exe", kFigureExe);
    fs::remove(viewers + "/ornfig");
    auto before = snapshot(tree.root());
    Result no_viewer = run({});
    EXPECT_EQ(no_viewer.status, 1);
    EXPECT_EQ(no_viewer.err,
              "ornlux-wine-setup: the native viewer " + viewers + "/ornfig is not installed\n");
    EXPECT_EQ(snapshot(tree.root()), before);
}

TEST_F(WineSetup, TakesThePrefixFromTheEnvironmentWhenNotGiven) {
    put("Book/ornfig.exe", kFigureExe);
    setenv("WINEPREFIX", prefix.c_str(), 1);
    std::ostringstream out, err;
    EXPECT_EQ(run_setup(SetupOptions{}, viewers, out, err), 0) << err.str();
    unsetenv("WINEPREFIX");
    EXPECT_EQ(read_file(drive + "/Book/ornfig.exe.windows"), kFigureExe);
}

ParsedOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "ornlux-wine-setup");
    return parse_options(static_cast<int>(args.size()), args.data());
}

TEST(WineSetupOptions, PrefixUndoDryRunAndMistakes) {
    ParsedOptions both = parse({"--prefix", "/p", "--undo", "--dry-run"});
    EXPECT_EQ(both.problem, "");
    EXPECT_EQ(both.options.prefix, "/p");
    EXPECT_TRUE(both.options.undo && both.options.dry_run);
    EXPECT_EQ(parse({"--prefix=/q"}).options.prefix, "/q");
    EXPECT_EQ(parse({"--prefix"}).problem, "option '--prefix' needs a folder");
    EXPECT_EQ(parse({"--prefix="}).problem, "option '--prefix' needs a folder");
    EXPECT_EQ(parse({"-u"}).problem, "unknown option '-u'");
    EXPECT_EQ(parse({"/p"}).problem, "unexpected argument '/p'");
    // --help answers whatever else is there.
    ParsedOptions help = parse({"--bogus", "--help", "--version"});
    EXPECT_EQ(help.options.action, SetupOptions::Action::help);
    EXPECT_EQ(help.problem, "");
}

}  // namespace
}  // namespace orn::wine_setup
