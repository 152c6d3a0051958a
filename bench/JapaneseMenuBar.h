// What the start-up yardstick shares with the main window: its menu bar with
// its texts, in the language the interface was set up in. These are the
// yardstick's own copies, written with Qt alone so that it carries nothing of
// QUAVINTO's windows; each caption is looked up in the translations installed,
// by the main window's own context, so an English yardstick shows the English
// menus. The benchmarks' checks compare them with the main window's, so the
// yardstick cannot drift away from it.
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <initializer_list>
#include <utility>

namespace benchmenu {

// A caption in the interface's language: its Japanese source looked up in the
// translations under the main window's context.
inline QString caption(const char* context, const char16_t* source) {
  return QCoreApplication::translate(context, QString::fromUtf16(source).toUtf8().constData());
}

// Adds the items to `menu`, each with its context; an empty caption is a
// separator.
inline QMenu* addItems(QMenu* menu, std::initializer_list<std::pair<const char*, const char16_t*>> items) {
  for (const auto& [context, source] : items) {
    if (source[0] == u'\0')
      menu->addSeparator();
    else
      menu->addAction(caption(context, source));
  }
  return menu;
}

// The main window's five menus with their items.
inline void buildMenuBar(QMenuBar* bar) {
  const char* const form = "quavinto::Form1";
  const char* const play = "PlayControls";
  const std::pair<const char*, const char16_t*> separator{form, u""};
  QMenu* file = addItems(bar->addMenu(caption(form, u"ファイル")), {{form, u"画像読み込み"}});
  // The recent pictures: a submenu, filled when it opens.
  file->addMenu(caption("quavinto::RecentPicturesMenu", u"最近使った画像"));
  addItems(file, {separator, {form, u"データの読み込み"}, {form, u"データの保存"}, separator, {form, u"終了"}});
  QMenu* game = addItems(bar->addMenu(caption(form, u"ゲーム")), {{form, u"ゲーム開始"},
                                                                  {form, u"ゲーム中止"},
                                                                  separator,
                                                                  {play, u"元に戻す"},
                                                                  {play, u"やり直し"},
                                                                  {play, u"一時停止"},
                                                                  {play, u"記録…"},
                                                                  {play, u"ヒント"},
                                                                  {play, u"クリックで持ち上げる"}});
  game->actions().at(5)->setCheckable(true);
  game->actions().at(8)->setCheckable(true);
  bar->addAction(caption(form, u"設定"));
  QMenu* scale = bar->addMenu(caption(form, u"完成図の倍率"));
  for (const char* item : {"X 1", "X 1/2", "X 1/4"}) scale->addAction(QString::fromLatin1(item))->setCheckable(true);
  addItems(bar->addMenu(caption(form, u"HELP")),
           {{form, u"目次"}, {form, u"キーワードで検索"}, separator, {form, u"ヘルプについて"}, {form, u"情報"}});
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
