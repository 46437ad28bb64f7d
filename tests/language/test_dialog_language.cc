// The run-time error dialog and message in the user's language: GTK's real
// dialog, with the program's catalogues from the build tree. The program
// runs under LC_ALL=ru_RU.UTF-8 (set by CTest) and takes its language the way
// the viewers do; a test that wants English switches LC_MESSAGES itself.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

#include "gui_session.h"
#include "runtime/errors.h"
#include "runtime/translation.h"

namespace orn::test {
namespace {

// What the error dialog showed: found among GTK's windows while it runs,
// then answered with OK.
struct DialogSeen {
    std::string title;
    std::string text;
    std::string button;
};

gboolean read_and_close_dialog(gpointer data) {
    auto* seen = static_cast<std::optional<DialogSeen>*>(data);
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item; item = item->next) {
        if (!GTK_IS_MESSAGE_DIALOG(item->data) || !gtk_widget_get_mapped(GTK_WIDGET(item->data)))
            continue;
        GtkWidget* dialog = GTK_WIDGET(item->data);
        gchar* text = nullptr;
        g_object_get(dialog, "text", &text, nullptr);
        GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
        const char* label = ok ? gtk_button_get_label(GTK_BUTTON(ok)) : nullptr;
        *seen = DialogSeen{gtk_window_get_title(GTK_WINDOW(dialog)), text ? text : "",
                           label ? label : ""};
        g_free(text);
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    }
    g_list_free(windows);
    return seen->has_value() ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

// Shows the error as the toolkit does when it ends a program; what the
// dialog showed, or nothing when none was found.
std::optional<DialogSeen> show_error_dialog(const RuntimeError& error) {
    std::optional<DialogSeen> seen;
    guint watch = g_timeout_add(20, read_and_close_dialog, &seen);
    gui_session().backend().show_error("ornfig", run_time_error_text(error));
    if (!seen) g_source_remove(watch);
    return seen;
}

// Takes LC_MESSAGES to locale while it lives, then back.
class MessagesLocale {
  public:
    explicit MessagesLocale(const char* locale) : old_(std::setlocale(LC_MESSAGES, nullptr)) {
        std::setlocale(LC_MESSAGES, locale);
    }
    ~MessagesLocale() { std::setlocale(LC_MESSAGES, old_.c_str()); }

  private:
    std::string old_;
};

bool russian_messages() {
    std::string locale = std::setlocale(LC_MESSAGES, nullptr);
    return locale.rfind("ru_RU", 0) == 0;
}

class Language : public testing::Test {
  protected:
    void SetUp() override {
        if (!russian_messages())
            GTEST_SKIP()
                << "ru_RU.UTF-8 is not available (tests/language/ensure_russian_locale.sh)";
    }
};

class DialogLanguage : public Language {
  protected:
    void SetUp() override {
        Language::SetUp();
        if (!gui_session().skip_reason().empty()) GTEST_SKIP() << gui_session().skip_reason();
    }
};

const RuntimeError kMissingFigure(ErrorCode::FileNotFound, "C:\\Book\\jpg\\f01_1.jpg");

TEST_F(DialogLanguage, RussianLocaleShowsTheDialogInRussianWithItsNumberAndPath) {
    auto seen = show_error_dialog(kMissingFigure);
    ASSERT_TRUE(seen) << "no error dialog came up";
    EXPECT_EQ(seen->title, "ornfig");
    EXPECT_EQ(seen->text, "Ошибка выполнения '53':\n\nФайл не найден: C:\\Book\\jpg\\f01_1.jpg");
    // The button is GTK's own word, from GTK's catalogue (whose Russian for
    // "_OK" is written in Latin letters).
    EXPECT_EQ(seen->button, g_dgettext("gtk30", "_OK"));
}

// GTK's own words (its dialogs, the HTML view's menus and form controls)
// follow the locale the program took, though GTK does not set it itself.
TEST_F(DialogLanguage, GtkSpeaksRussianToo) {
    std::string cancel = g_dgettext("gtk30", "_Cancel");
    EXPECT_NE(cancel.find("тмен"), std::string::npos) << cancel;
}

TEST_F(DialogLanguage, CLocaleShowsTheDialogInEnglish) {
    MessagesLocale english("C.UTF-8");
    auto seen = show_error_dialog(kMissingFigure);
    ASSERT_TRUE(seen) << "no error dialog came up";
    EXPECT_EQ(seen->text, "Run-time error '53':\n\nFile not found: C:\\Book\\jpg\\f01_1.jpg");
    EXPECT_EQ(seen->button, "_OK");
}

// A language without a catalogue of ours speaks English: here German asked
// for through LANGUAGE, which gettext reads before the locale.
TEST_F(Language, LanguageWithoutTranslationSpeaksEnglish) {
    const char* old = std::getenv("LANGUAGE");
    std::string kept = old ? old : "";
    setenv("LANGUAGE", "de", 1);
    std::string message = error_message(RuntimeError(ErrorCode::PathNotFound, "c:\\x"));
    if (old)
        setenv("LANGUAGE", kept.c_str(), 1);
    else
        unsetenv("LANGUAGE");
    EXPECT_EQ(message, "Path not found: c:\\x");
}

// Every error has its own Russian name, and none of them is left empty.
TEST_F(Language, EveryErrorNameIsTranslated) {
    for (ErrorCode code :
         {ErrorCode::InvalidArgument, ErrorCode::Overflow, ErrorCode::OutOfMemory,
          ErrorCode::FloatingPointFault, ErrorCode::FileNotFound, ErrorCode::DeviceIOError,
          ErrorCode::ReadPastEnd, ErrorCode::PathNotFound, ErrorCode::InvalidPropertyValue,
          ErrorCode::InvalidPicture}) {
        std::string english = error_name(code);
        std::string russian = translate(error_name(code));
        EXPECT_NE(russian, english) << english << " has no Russian name";
        EXPECT_FALSE(russian.empty()) << english;
    }
}

// A catalogue that lacks one text (a translation not yet brought up to date)
// still shows that text, in English, and translates the rest.
TEST_F(Language, TextMissingFromTheCatalogueShowsInEnglish) {
    use_users_language(ORN_PARTIAL_CATALOGUE_DIR);
    std::string missing = error_message(RuntimeError(ErrorCode::FileNotFound, "C:\\a.jpg"));
    std::string present = error_message(RuntimeError(ErrorCode::PathNotFound, "C:\\b"));
    use_users_language(ORN_BUILD_LOCALE_DIR);
    EXPECT_EQ(missing, "File not found: C:\\a.jpg");
    EXPECT_EQ(present, "Путь не найден: C:\\b");
}

// Numbers stay as C writes them under a locale whose decimal sign is a comma.
TEST_F(Language, NumbersKeepTheirCForm) {
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_EQ(format_text("%.1f", 12.5), "12.5");
    EXPECT_EQ(std::to_string(0.5f), "0.500000");
}

}  // namespace
}  // namespace orn::test

int main(int argc, char** argv) {
    // As the viewers do first thing, with the build tree's catalogues.
    orn::use_users_language(ORN_BUILD_LOCALE_DIR);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
