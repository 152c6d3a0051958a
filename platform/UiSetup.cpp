// Loads qtbase_ja and picks a Japanese font.
#include "platform/UiSetup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

bool setUpJapaneseUi(QApplication& app) {
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  auto* translator = new QTranslator(&app);
  const bool loaded = translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (loaded) app.installTranslator(translator);

  const QStringList preferred = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                 QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAexGothic")};
  const QStringList families = QFontDatabase::families();
  for (const QString& family : preferred) {
    if (families.contains(family)) {
      QFont font(family);
      font.setPointSizeF(QApplication::font().pointSizeF() > 0 ? QApplication::font().pointSizeF() : 9.0);
      QApplication::setFont(font);
      break;
    }
  }
  return loaded;
}

}  // namespace platform
