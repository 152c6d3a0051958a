// Start-up of the toolkit in the player's language. The desktop's language
// decides, read from the environment as every desktop program reads it:
// Japanese on a Japanese desktop and under C/POSIX, English on every other
// until it has its own translation. Qt's own texts (message-box buttons, the
// file dialog, text-box menus) follow the same choice.
#pragma once

#include <QByteArray>

class QApplication;

namespace platform {

enum class UiLanguage { Japanese, English };

// The environment's choice, from LANGUAGE, LC_ALL, LC_MESSAGES and LANG in
// the precedence gettext gives them: the first of LC_ALL, LC_MESSAGES and
// LANG that is set names the locale; a C or POSIX locale means Japanese
// whatever LANGUAGE says; otherwise LANGUAGE's list, then that locale, is
// searched for the first language the program has.
UiLanguage uiLanguageFor(const QByteArray& language, const QByteArray& lcAll, const QByteArray& lcMessages,
                         const QByteArray& lang);
UiLanguage uiLanguageFromEnvironment();

// Installs the translations, default locale and font for `language`, in place
// of those an earlier set-up installed.
// Returns false when a translation could not be found.
bool setUpUi(QApplication& app, UiLanguage language);
inline bool setUpJapaneseUi(QApplication& app) { return setUpUi(app, UiLanguage::Japanese); }

// The language set up last (Japanese before any set-up).
UiLanguage currentUiLanguage();

}  // namespace platform
