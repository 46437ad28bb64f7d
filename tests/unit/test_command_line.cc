// The programs' command line: --help, --version, "--" and the item path.
#include <glib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <regex>
#include <string>
#include <vector>

#include "runtime/command_line.h"

namespace orn {
namespace {

// argv for the words after the program's path; the strings live as long as
// the object, as argv's do.
class Argv {
  public:
    Argv(std::initializer_list<const char*> words) : words_{"ornfig"} {
        words_.insert(words_.end(), words.begin(), words.end());
        for (auto& word : words_) pointers_.push_back(word.data());
        pointers_.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(words_.size()); }
    char** argv() { return pointers_.data(); }

  private:
    std::vector<std::string> words_;
    std::vector<char*> pointers_;
};

CommandLine parse(std::initializer_list<const char*> words) {
    Argv args(words);
    return parse_command_line(args.argc(), args.argv());
}

TEST(CommandLine, TheItemPathIsTheArgumentsJoinedBySingleSpaces) {
    EXPECT_EQ(parse({}).argument, u"");
    EXPECT_EQ(parse({}).action, CommandAction::run);
    EXPECT_EQ(parse({"C:\\My", "Book\\f1.htm"}).argument, u"C:\\My Book\\f1.htm");
    EXPECT_EQ(parse({"C:\\Книга\\f1.htm"}).argument, u"C:\\Книга\\f1.htm");
    EXPECT_EQ(parse({"", "a"}).argument, u" a") << "an empty argument still counts";
}

TEST(CommandLine, HelpAndVersionAreAnsweredWhereverTheyStand) {
    EXPECT_EQ(parse({"--help"}).action, CommandAction::help);
    EXPECT_EQ(parse({"--version"}).action, CommandAction::version);
    EXPECT_EQ(parse({"C:\\Book\\htm\\f12_3.htm", "--version"}).action, CommandAction::version);
    EXPECT_EQ(parse({"--version", "--help"}).action, CommandAction::version) << "the first wins";
    EXPECT_EQ(parse({"--help", "--version"}).action, CommandAction::help) << "the first wins";
}

TEST(CommandLine, OtherDashedArgumentsArePartOfTheItemPath) {
    for (const char* word : {"-", "-h", "-V", "--helpx", "--help=1", "--Version", "---", "--x"}) {
        CommandLine command = parse({word, "f.htm"});
        EXPECT_EQ(command.action, CommandAction::run) << word;
        EXPECT_EQ(command.argument, from_utf8(std::string(word) + " f.htm")) << word;
    }
}

TEST(CommandLine, TheFirstDoubleDashEndsTheOptionsAndIsDropped) {
    EXPECT_EQ(parse({"--", "--odd.htm"}).argument, u"--odd.htm");
    CommandLine help_as_path = parse({"--", "--help"});
    EXPECT_EQ(help_as_path.action, CommandAction::run);
    EXPECT_EQ(help_as_path.argument, u"--help");
    EXPECT_EQ(parse({"a", "--", "--", "b"}).argument, u"a -- b") << "only the first is dropped";
    EXPECT_EQ(parse({"--help", "--", "x"}).action, CommandAction::help);
    EXPECT_EQ(parse({"--"}).argument, u"");
}

// GTK takes its own options (--display ...) out of argv with GLib's option
// parser, which may also drop the "--" it stops at; the programs parse argv
// again after that. The item path must come out as if GTK's options had
// never been there, and an option after "--" must not become one.
TEST(CommandLine, ParsingAgainAfterGlibTookItsOptionsKeepsTheItemPath) {
    struct Case {
        std::initializer_list<const char*> words;
        std::u16string item_path;
    };
    const Case cases[] = {
        {{"--display", ":1", "C:\\a.htm"}, u"C:\\a.htm"},
        {{"C:\\My", "--display=:1", "Book.htm"}, u"C:\\My Book.htm"},
        {{"a", "--", "b"}, u"a b"},
        {{"--", "--odd.htm"}, u"--odd.htm"},
        {{"a", "--", "--help"}, u"a --help"},
        {{"--display", ":1", "--", "--version"}, u"--version"},
        {{"a", "--", "--", "b"}, u"a -- b"},
        {{"-x", "--", "--display", ":1"}, u"-x --display :1"},
    };
    for (const Case& c : cases) {
        Argv args(c.words);
        ASSERT_EQ(parse_command_line(args.argc(), args.argv()).action, CommandAction::run);

        gchar* display = nullptr;
        GOptionEntry entries[] = {
            {"display", 0, 0, G_OPTION_ARG_STRING, &display, "X display", "DISPLAY"},
            {nullptr, 0, 0, G_OPTION_ARG_NONE, nullptr, nullptr, nullptr}};
        GOptionContext* context = g_option_context_new(nullptr);
        g_option_context_set_ignore_unknown_options(context, TRUE);
        g_option_context_set_help_enabled(context, FALSE);
        g_option_context_add_main_entries(context, entries, nullptr);
        int argc = args.argc();
        char** argv = args.argv();
        ASSERT_TRUE(g_option_context_parse(context, &argc, &argv, nullptr));
        g_option_context_free(context);
        g_free(display);

        CommandLine after = parse_command_line(argc, argv);
        EXPECT_EQ(after.action, CommandAction::run) << "case " << &c - cases;
        EXPECT_EQ(after.argument, c.item_path) << "case " << &c - cases;
    }
}

// What answer_option wrote to a file, and its exit status.
struct Answer {
    int status;
    std::string text;
};
Answer answer_to(CommandAction action) {
    std::FILE* out = std::tmpfile();
    if (!out) return {-1, "no temporary file"};
    int status = answer_option(action, "ornfig", "Usage: ornfig ITEM-PATH\n", out);
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
    std::fclose(out);
    return {status, text};
}

TEST(CommandLine, TheAnswersAreTheUsageAndOneVersionLine) {
    Answer help = answer_to(CommandAction::help);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.text, "Usage: ornfig ITEM-PATH\n");

    Answer version = answer_to(CommandAction::version);
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_match(version.text, std::regex(R"(ornfig \d+\.\d+\.\d+\n)")))
        << version.text;
    EXPECT_EQ(version.text, version_line("ornfig") + "\n");
}

TEST(CommandLine, AnAnswerThatCannotBeWrittenIsAFailure) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (!full) GTEST_SKIP() << "no /dev/full here";
    testing::internal::CaptureStderr();
    int status = answer_option(CommandAction::version, "ornfig", "", full);
    std::string complaint = testing::internal::GetCapturedStderr();
    std::fclose(full);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(complaint.rfind("ornfig: cannot write the version", 0), 0u) << complaint;
}

}  // namespace
}  // namespace orn
