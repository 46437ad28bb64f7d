// The real ornfig in the user's language: its run-time error on standard
// error under LANG=ru_RU.UTF-8 and under C.UTF-8, with the line's shape, the
// path and the dialog the same in both; and the textbook's own words (the
// designed title, the caption) the same under every locale.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "ornfig_run.h"

namespace orn::test {
namespace {

// The user's locale as a desktop session sets it: LANG alone.
EnvironmentAdditions session_locale(const std::string& lang) {
    return {{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANGUAGE", ""}, {"LANG", lang}};
}

bool russian_locale_available() {
    std::string old = std::setlocale(LC_MESSAGES, nullptr);
    bool available = std::setlocale(LC_MESSAGES, "ru_RU.UTF-8") != nullptr;
    std::setlocale(LC_MESSAGES, old.c_str());
    return available;
}

class OrnfigLanguage : public testing::Test {
  protected:
    void SetUp() override {
        std::string reason = e2e_skip_reason();
        if (!reason.empty()) GTEST_SKIP() << reason;
        if (!russian_locale_available())
            GTEST_SKIP()
                << "ru_RU.UTF-8 is not available (tests/language/ensure_russian_locale.sh)";
    }

    // Runs ornfig under lang on a C: drive without the configuration file;
    // its one "ornfig:" line on standard error, once the dialog is up. The
    // run ends as it must: dialog dismissed, exit status 1.
    std::string error_line(const std::string& lang) {
        TempTree tree;
        std::string prefix = make_wine_prefix(tree, tree.mkdir("drive_c"));
        OrnfigRun run("C:\\Book\\htm\\f01_1.htm", prefix, session_locale(lang));
        auto dialog = run.wait_for_error_dialog();
        EXPECT_TRUE(dialog) << "no error dialog under " << lang << "; standard error:\n"
                            << run.process().stderr_text();
        std::vector<std::string> ours;
        for (const auto& line : run.stderr_lines())
            if (line.rfind("ornfig: ", 0) == 0) ours.push_back(line);
        if (dialog) {
            EXPECT_TRUE(run.dismiss(*dialog));
            auto status = run.process().wait_for(Millis(5000));
            EXPECT_TRUE(status && status->exited && status->code == 1)
                << (status ? status->describe() : "still running");
        }
        EXPECT_EQ(ours.size(), 1u) << run.process().stderr_text();
        return ours.empty() ? "" : ours[0];
    }

    // The window titles the figure shows under lang over its first second:
    // the designed title, then the caption ticking through.
    std::vector<std::string> titles(const std::string& lang) {
        TempTree tree;
        OrnfigRun run("C:\\Book\\htm\\f01_1.htm", make_wine_prefix(tree, sample_drive_c()),
                      session_locale(lang));
        auto window = run.wait_for_figure_window();
        EXPECT_TRUE(window) << "no figure window under " << lang << "; standard error:\n"
                            << run.process().stderr_text();
        std::vector<std::string> seen;
        if (!window) return seen;
        for (const TitleChange& change : run.record_titles(*window, Millis(1200)))
            seen.push_back(change.title);
        return seen;
    }
};

constexpr char kConfiguration[] = "c:\\Program Files\\Ornlux\\orn.ini";

TEST_F(OrnfigLanguage, ErrorLineIsRussianUnderARussianLocale) {
    std::string line = error_line("ru_RU.UTF-8");
    EXPECT_EQ(line.rfind(std::string("ornfig: Путь не найден: ") + kConfiguration, 0), 0u) << line;
    EXPECT_NE(line.find("(искали в "), std::string::npos) << line;
}

TEST_F(OrnfigLanguage, ErrorLineIsEnglishUnderCUtf8) {
    std::string line = error_line("C.UTF-8");
    EXPECT_EQ(line.rfind(std::string("ornfig: Path not found: ") + kConfiguration, 0), 0u) << line;
    EXPECT_NE(line.find("(looked for at "), std::string::npos) << line;
}

TEST_F(OrnfigLanguage, TextbookWordsAreTheSameUnderEveryLocale) {
    std::vector<std::string> russian = titles("ru_RU.UTF-8");
    std::vector<std::string> english = titles("C.UTF-8");
    ASSERT_GE(russian.size(), 2u) << "the caption did not tick";
    EXPECT_EQ(russian.front(), "Форма1");
    // The ticker is timed, so the two runs may have seen different steps;
    // the steps both saw are the same text.
    ASSERT_GE(english.size(), 2u);
    EXPECT_EQ(russian[0], english[0]);
    EXPECT_EQ(russian[1], english[1]);
}

}  // namespace
}  // namespace orn::test
