// What the start-up yardstick shares with every Japanese Qt window: Qt's
// Japanese translation, a Japanese font, and the main window's menu bar with
// its texts. These are the yardstick's own copies, written with Qt alone so
// that it carries nothing of QUAVINTO; the benchmarks' checks compare them
// with the main window's, so the yardstick cannot drift away from it.
#pragma once

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QTranslator>
#include <initializer_list>

namespace benchmenu {

inline QStringList japaneseFontFamilies() {
  return {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
          QStringLiteral("IPAexGothic")};
}

// Loads Qt's Japanese texts and sets the Japanese font; false when the
// translation could not be found.
inline bool setUpJapaneseText(QApplication& app) {
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  auto* translator = new QTranslator(&app);
  const bool loaded = translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (loaded) app.installTranslator(translator);
  QFont font = QApplication::font();
  font.setFamilies(japaneseFontFamilies());
  QApplication::setFont(font);
  return loaded;
}

// Adds the items to `menu`; an empty caption is a separator.
inline QMenu* addItems(QMenu* menu, std::initializer_list<const char16_t*> captions) {
  for (const char16_t* caption : captions) {
    if (caption[0] == u'\0')
      menu->addSeparator();
    else
      menu->addAction(QString::fromUtf16(caption));
  }
  return menu;
}

// The main window's five menus with their items.
inline void buildMenuBar(QMenuBar* bar) {
  QMenu* file = addItems(bar->addMenu(QStringLiteral(u"ファイル")), {u"画像読み込み"});
  // The recent pictures: a submenu, filled when it opens.
  file->addMenu(QStringLiteral(u"最近使った画像"));
  addItems(file, {u"", u"データの読み込み", u"データの保存", u"", u"終了"});
  QMenu* game = addItems(bar->addMenu(QStringLiteral(u"ゲーム")),
                         {u"ゲーム開始", u"ゲーム中止", u"", u"元に戻す", u"やり直し", u"一時停止", u"記録"});
  game->actions().at(5)->setCheckable(true);
  bar->addAction(QStringLiteral(u"設定"));
  QMenu* scale = addItems(bar->addMenu(QStringLiteral(u"完成図の倍率")), {u"X 1", u"X 1/2", u"X 1/4"});
  for (QAction* item : scale->actions()) item->setCheckable(true);
  addItems(bar->addMenu(QStringLiteral("HELP")), {u"目次", u"キーワードで検索", u"", u"ヘルプについて", u"情報"});
}

// The menu bar as text, one line per menu: its title, then its items after
// " | " ("-" for a separator, "[ ]" before a checkable item). For comparing
// two menu bars.
inline QStringList describeMenuBar(const QMenuBar* bar) {
  QStringList lines;
  for (const QAction* top : bar->actions()) {
    QString line = top->text();
    if (const QMenu* menu = top->menu()) {
      for (const QAction* item : menu->actions())
        line += QStringLiteral(" | ") +
                (item->isSeparator() ? QStringLiteral("-")
                                     : (item->isCheckable() ? QStringLiteral("[ ] ") : QString()) + item->text());
    }
    lines << line;
  }
  return lines;
}

}  // namespace benchmenu
