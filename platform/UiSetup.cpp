// Picks the player's language, loads the program's and Qt's translations for
// it and picks a font that shows it.
#include "platform/UiSetup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>
#include <optional>

namespace platform {
namespace {

UiLanguage gCurrent = UiLanguage::Japanese;
// What the last set-up installed and what it found, so that another set-up
// replaces it rather than piling translations on top.
QPointer<QTranslator> gInstalled;  // cleared when its application goes
std::optional<QFont> gFontBefore;
std::optional<QLocale> gLocaleBefore;

bool install(QCoreApplication& app, const QString& name, const QString& folder) {
  auto* translator = new QTranslator(&app);
  const bool loaded = translator->load(name, folder);
  if (loaded) {
    app.installTranslator(translator);
    gInstalled = translator;
  } else {
    delete translator;
  }
  return loaded;
}

bool isCLocale(const QByteArray& name) {
  return name == "C" || name == "POSIX" || name.startsWith("C.") || name.startsWith("C@");
}

// "ja", "ja_JP.UTF-8", "en_GB@euro"… to the language the program has for it,
// or nothing for a language without a translation.
bool knownLanguage(const QByteArray& name, UiLanguage* out) {
  const QByteArray code = name.left(name.indexOf('_') < 0 ? name.size() : name.indexOf('_')).split('.').first();
  if (code.split('@').first() == "ja") return *out = UiLanguage::Japanese, true;
  if (code.split('@').first() == "en") return *out = UiLanguage::English, true;
  return false;
}

}  // namespace

UiLanguage uiLanguageFor(const QByteArray& language, const QByteArray& lcAll, const QByteArray& lcMessages,
                         const QByteArray& lang) {
  const QByteArray locale = !lcAll.isEmpty() ? lcAll : !lcMessages.isEmpty() ? lcMessages : lang;
  if (locale.isEmpty() || isCLocale(locale)) return UiLanguage::Japanese;
  UiLanguage found = UiLanguage::English;
  for (const QByteArray& wanted : language.split(':'))
    if (!wanted.isEmpty() && knownLanguage(wanted, &found)) return found;
  if (knownLanguage(locale, &found)) return found;
  return UiLanguage::English;
}

UiLanguage uiLanguageFromEnvironment() {
  return uiLanguageFor(qgetenv("LANGUAGE"), qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG"));
}

UiLanguage currentUiLanguage() { return gCurrent; }

bool installProgramTranslation(QCoreApplication& app, UiLanguage language) {
  // Japanese is the texts' own language: nothing to install.
  return language == UiLanguage::Japanese || install(app, QStringLiteral(":/i18n/quavinto_en.qm"), QString());
}

bool setUpUi(QApplication& app, UiLanguage language) {
  tearDownUi(app);
  gFontBefore = QApplication::font();
  gLocaleBefore = QLocale();
  gCurrent = language;
  if (language == UiLanguage::English) {
    // Numbers and dates as the desktop writes them, when it writes English.
    const QLocale system = QLocale::system();
    QLocale::setDefault(system.language() == QLocale::English ? system
                                                              : QLocale(QLocale::English, QLocale::UnitedStates));
    // Qt's own texts are English already; only the program's are translated.
    return installProgramTranslation(app, language);
  }

  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  const bool loaded = install(app, QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));

  // A family list, not a lookup in the font database: listing every font on
  // the system costs more than the rest of the start-up together.
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                    QStringLiteral("IPAexGothic")});
  QApplication::setFont(font);
  return loaded;
}

void tearDownUi(QApplication& app) {
  if (gInstalled) {
    app.removeTranslator(gInstalled);
    delete gInstalled;
    gInstalled = nullptr;
  }
  if (gFontBefore) QApplication::setFont(*gFontBefore);
  if (gLocaleBefore) QLocale::setDefault(*gLocaleBefore);
  gFontBefore.reset();
  gLocaleBefore.reset();
  gCurrent = UiLanguage::Japanese;
}

}  // namespace platform
