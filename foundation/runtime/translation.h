// The programs' own words in the user's language, through gettext.
//
// Mark a text to be translated with _("...") where it is used, or with
// N_("...") where it is only named (a table of texts translated later).
// `cmake --build build --target pot` gathers the marked texts into
// po/ornlux-viewers.pot; po/ru.po holds their Russian. A text without a
// translation shows as written here, in English.
//
// The textbook's own words (button captions, the designed window title, the
// self-answer caption) are not the programs' words: they are never marked.
#pragma once

#include <libintl.h>

#include <string>

namespace orn {

// Takes the user's language and character set from the environment
// (LC_ALL, LC_MESSAGES, LC_CTYPE, LANG; LANGUAGE as gettext reads it) and
// finds the catalogues: the locale folder beside the program
// (../share/locale from the program's folder, where the build tree and
// an install both put them), else the install's. Only LC_MESSAGES and
// LC_CTYPE follow the user: numbers are written and read the C way
// whatever the locale. Call it first thing in main, before any thread.
void use_users_language();
// The same with the catalogues in catalogue_folder (for tests).
void use_users_language(const std::string& catalogue_folder);

// The folder use_users_language() takes the catalogues from.
std::string catalogue_folder();

// msgid in the user's language; msgid itself when there is no translation.
__attribute__((format_arg(1))) inline const char* translate(const char* msgid) {
    return dgettext(ORN_TEXT_DOMAIN, msgid);
}

// printf into a string, for a translated format: format_text(_("... %d"), n).
__attribute__((format(printf, 1, 2))) std::string format_text(const char* format, ...);

}  // namespace orn

// gettext's own names for the marks, which translators' tools look for.
#define _(text) ::orn::translate(text)  // NOLINT(bugprone-reserved-identifier)
#define N_(text) text
