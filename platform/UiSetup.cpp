// Loads qtbase_ja and picks a Japanese font.
#include "platform/UiSetup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

bool setUpJapaneseUi(QApplication& app) {
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  auto* translator = new QTranslator(&app);
  const bool loaded = translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (loaded) app.installTranslator(translator);

  // A family list, not a lookup in the font database: listing every font on
  // the system costs more than the rest of the start-up together.
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                    QStringLiteral("IPAexGothic")});
  QApplication::setFont(font);
  return loaded;
}

}  // namespace platform
