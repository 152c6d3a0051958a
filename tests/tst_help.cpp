// The help window and the help set: the three HELP commands, the keyword
// search, a missing help set, every link of the pages, the commands and
// labels the pages name against the program's own in each language, and the
// menu-bar key the Keys page promises.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include "interaction/KeyboardPlay.h"
#include "platform/UiSetup.h"
#include "shell/Form1.h"
#include "shell/Form2.h"
#include "shell/HelpWindow.h"
#include "support/PlayedWindow.h"
#include "support/TestSupport.h"

using quavinto::HelpWindow;

namespace {

const QString kHelpSet = QStringLiteral(QUAVINTO_SOURCE_DIR "/resources/help");

QString readText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList topicPages(const HelpWindow* w) {
  QStringList pages;
  for (int i = 0; i < w->topicList()->count(); ++i)
    pages.append(w->topicList()->item(i)->data(Qt::UserRole).toString());
  return pages;
}

void writePage(const QDir& dir, const QString& name, const QString& html) {
  QFile file(dir.filePath(name));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(html.toUtf8());
}

// The menu bar as the player sees it: its items in order, each menu's
// commands and each command's keys as the help writes them.
struct MenuBarTexts {
  QStringList bar;
  QHash<QString, QStringList> commands;  // by menu
  QHash<QString, QStringList> keys;      // by command
};

MenuBarTexts menuBarTexts(quavinto::Form1& form) {
  MenuBarTexts texts;
  const auto plain = [](QString text) { return text.remove(QRegularExpression(QStringLiteral("&(?!&)"))); };
  for (QAction* top : form.menuBar()->actions()) {
    texts.bar << plain(top->text());
    if (!top->menu()) continue;
    for (QAction* command : top->menu()->actions()) {
      if (command->isSeparator()) continue;
      texts.commands[texts.bar.last()] << plain(command->text());
      for (const QKeySequence& key : command->shortcuts())
        texts.keys[plain(command->text())] << key.toString(QKeySequence::PortableText);
    }
  }
  return texts;
}

// What the player reads in `language`: the menu bar, and every label of the
// menus and the settings dialog in the order they are made.
struct ShownTexts {
  MenuBarTexts menus;
  QStringList labels;
};

ShownTexts shownTexts(platform::UiLanguage language) {
  platform::setUpUi(*qApp, language);
  ShownTexts shown;
  testsupport::PlayedWindow played(36000.0);
  played.open(5, 5);
  shown.menus = menuBarTexts(played.form());
  for (const QString& menu : shown.menus.bar) shown.labels << menu << shown.menus.commands.value(menu);
  quavinto::GameState gs = testsupport::solvedState(5, 5);
  quavinto::Form2 dialog(gs);
  for (QWidget* w : dialog.findChildren<QWidget*>()) {
    if (auto* box = qobject_cast<QGroupBox*>(w)) shown.labels << box->title();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) shown.labels << button->text();
    if (auto* label = qobject_cast<QLabel*>(w)) shown.labels << label->text();
  }
  return shown;
}

}  // namespace

Q_DECLARE_METATYPE(platform::UiLanguage)

class HelpTest : public QObject {
  Q_OBJECT
private slots:
  void init() {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    HelpWindow::setHelpDirOverride(kHelpSet);
  }
  void cleanup() {
    delete HelpWindow::instance();
    HelpWindow::setHelpDirOverride(QString());
    QLocale::setDefault(QLocale::system());
  }

  void entryPoints_data();
  void entryPoints();
  void oneWindowIsReused();
  void backAndForwardFollowTheHistory();
  void keywordsFindPages_data();
  void keywordsFindPages();
  void aChosenTopicOpensItsPage();
  void keywordIndexReadsMetaTags();
  void missingHelpSetIsReported();
  void usualPlacesEndWithTheSourceFolder();
  void everyLinkResolves_data();
  void everyLinkResolves();
  void everyPageIsReachableAndIndexed_data();
  void everyPageIsReachableAndIndexed();
  void pagesNameTheProgramsOwnCommands_data();
  void pagesNameTheProgramsOwnCommands();
  void menuBarKeyOpensTheFirstMenu_data();
  void menuBarKeyOpensTheFirstMenu();
};

void HelpTest::entryPoints_data() {
  QTest::addColumn<int>("command");
  QTest::addColumn<QLocale>("locale");
  QTest::addColumn<QString>("page");
  QTest::addColumn<bool>("searchShown");
  QTest::addColumn<QString>("heading");
  QTest::addColumn<QString>("pages");  // the help set's subfolder shown
  const QLocale ja(QLocale::Japanese, QLocale::Japan);
  const QLocale en(QLocale::English, QLocale::UnitedStates);
  const QString jaHeading = QStringLiteral(u"QUAVINTO ヘルプ");
  QTest::newRow("目次") << 0 << ja << "index.html" << false << jaHeading << "";
  QTest::newRow("キーワードで検索") << 1 << ja << "index.html" << true << jaHeading << "";
  QTest::newRow("ヘルプについて") << 2 << ja << "helphelp.html" << false << QStringLiteral(u"ヘルプの使い方") << "";
  QTest::newRow("C locale: Japanese") << 0 << QLocale::c() << "index.html" << false << jaHeading << "";
  QTest::newRow("English contents") << 0 << en << "index.html" << false << "QUAVINTO Help" << "/en";
  QTest::newRow("English keyword search") << 1 << en << "index.html" << true << "QUAVINTO Help" << "/en";
  QTest::newRow("German: English help") << 2 << QLocale(QLocale::German) << "helphelp.html" << false << "Using Help"
                                        << "/en";
}

void HelpTest::entryPoints() {
  QFETCH(int, command);
  QFETCH(QLocale, locale);
  QLocale::setDefault(locale);
  testsupport::ScriptedBoxes boxes;
  QWidget owner;
  HelpWindow* w = command == 0   ? HelpWindow::showContents(&owner)
                  : command == 1 ? HelpWindow::showKeywordSearch(&owner)
                                 : HelpWindow::showHelpOnHelp(&owner);
  QVERIFY(w);
  QVERIFY(w->helpFound());
  QVERIFY(w->isVisible());
  QTEST(w->currentPage(), "page");
  QTEST(w->searchPanel()->isVisible(), "searchShown");
  QFETCH(QString, heading);
  QVERIFY2(w->browser()->toPlainText().startsWith(heading), qPrintable(w->browser()->toPlainText().left(40)));
  // English pages in a Latin font (a Japanese font centres the ellipsis).
  QFETCH(QString, pages);
  const QString sheet = w->browser()->document()->defaultStyleSheet();
  QCOMPARE(sheet.contains(QStringLiteral("\"DejaVu Sans\"")), pages == QStringLiteral("/en"));
  QVERIFY(sheet.contains(QStringLiteral("h1 {")));  // the shared look in every language
  if (command == 1) {
    QVERIFY(w->searchField()->text().isEmpty());
    QCOMPARE(w->focusWidget(), w->searchField());
    const HelpWindow::KeywordIndex index = HelpWindow::readKeywordIndex(kHelpSet + pages);
    QCOMPARE(w->keywordList()->count(), index.size());
    for (const QString& keyword : index.keys())
      QVERIFY2(!w->keywordList()->findItems(keyword, Qt::MatchExactly).isEmpty(), qPrintable(keyword));
  }
  QVERIFY(boxes.shown.isEmpty());
}

void HelpTest::oneWindowIsReused() {
  QWidget owner;
  HelpWindow* first = HelpWindow::showKeywordSearch(&owner);
  QTest::keyClicks(first->searchField(), QStringLiteral("QVD"));
  QCOMPARE(first->keywordList()->count(), 1);
  QCOMPARE(HelpWindow::showHelpOnHelp(&owner), first);
  QCOMPARE(first->currentPage(), QStringLiteral("helphelp.html"));
  QVERIFY(first->windowTitle().contains(QStringLiteral(u"ヘルプの使い方")));
  // The page on using help is shown on its own, not beside the last search.
  QVERIFY(!first->searchPanel()->isVisible());
  // Searching again starts from an empty field and the whole list.
  QCOMPARE(HelpWindow::showKeywordSearch(&owner), first);
  QVERIFY(first->searchField()->text().isEmpty());
  QVERIFY(first->keywordList()->count() > 1);
  QCOMPARE(HelpWindow::showContents(&owner), first);
  QCOMPARE(first->currentPage(), QStringLiteral("index.html"));
  QVERIFY(!first->searchPanel()->isVisible());
}

void HelpTest::backAndForwardFollowTheHistory() {
  QWidget owner;
  HelpWindow* w = HelpWindow::showContents(&owner);
  HelpWindow::showHelpOnHelp(&owner);
  w->showPage(QStringLiteral("save.html#resume"));
  QCOMPARE(w->currentPage(), QStringLiteral("save.html#resume"));
  auto button = [w](const QString& label) {
    for (QPushButton* b : w->findChildren<QPushButton*>())
      if (b->text() == label) return b;
    return static_cast<QPushButton*>(nullptr);
  };
  QPushButton* back = button(QStringLiteral(u"戻る"));
  QPushButton* forward = button(QStringLiteral(u"進む"));
  QVERIFY(back && forward);
  QVERIFY(back->isEnabled());
  QVERIFY(!forward->isEnabled());
  back->click();
  QCOMPARE(w->currentPage(), QStringLiteral("helphelp.html"));
  QVERIFY(forward->isEnabled());
  forward->click();
  QCOMPARE(w->currentPage(), QStringLiteral("save.html#resume"));
}

void HelpTest::keywordsFindPages_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("keyword");
  QTest::addColumn<QStringList>("pages");
  QTest::newRow("game file") << "QVD" << "QVD" << QStringList{"save.html"};
  QTest::newRow("colour") << QStringLiteral(u"背景") << QStringLiteral(u"背景色") << QStringList{"colors.html", "settings.html"};
  QTest::newRow("any letter case") << "x 1/2" << "X 1/2" << QStringList{"colors.html", "menu_zoom.html"};
  QTest::newRow("part of a keyword") << QStringLiteral(u"矢印") << QStringLiteral(u"矢印キー") << QStringList{"keyboard.html", "keys.html"};
  QTest::newRow("drag") << QStringLiteral(u"ドラッグ") << QStringLiteral(u"ドラッグ") << QStringList{"play.html", "preview.html"};
  QTest::newRow("exit") << QStringLiteral(u"終了") << QStringLiteral(u"終了") << QStringList{"menu_file.html"};
  QTest::newRow("start of a word first") << QStringLiteral(u"開始") << QStringLiteral(u"開始") << QStringList{"menu_game.html"};
  QTest::newRow("turn") << QStringLiteral(u"回転") << QStringLiteral(u"回転") << QStringList{"keyboard.html", "play.html"};
  QTest::newRow("undo") << QStringLiteral(u"元に") << QStringLiteral(u"元に戻す") << QStringList{"menu_game.html"};
  QTest::newRow("a shortcut") << "ctrl+h" << "Ctrl+H" << QStringList{"keys.html"};
  QTest::newRow("help on help") << QStringLiteral(u"ヘルプの使") << QStringLiteral(u"ヘルプの使い方") << QStringList{"helphelp.html"};
}

void HelpTest::keywordsFindPages() {
  QFETCH(QString, typed);
  QFETCH(QStringList, pages);
  QWidget owner;
  HelpWindow* w = HelpWindow::showKeywordSearch(&owner);
  w->searchField()->setText(typed);
  QVERIFY(w->keywordList()->currentItem());
  QTEST(w->keywordList()->currentItem()->text(), "keyword");
  for (int i = 0; i < w->keywordList()->count(); ++i)
    QVERIFY(w->keywordList()->item(i)->text().contains(typed, Qt::CaseInsensitive));
  QCOMPARE(topicPages(w), pages);
  QTest::keyClick(w->searchField(), Qt::Key_Return);
  QCOMPARE(w->currentPage(), pages.first());
}

void HelpTest::aChosenTopicOpensItsPage() {
  QWidget owner;
  HelpWindow* w = HelpWindow::showKeywordSearch(&owner);
  w->searchField()->setText(QStringLiteral(u"背景色"));
  QCOMPARE(w->topicList()->count(), 2);
  w->topicList()->setCurrentRow(1);
  w->openChosenTopic();
  QCOMPARE(w->currentPage(), QStringLiteral("settings.html"));

  // Down in the field moves to the next keyword and its topics.
  w->searchField()->setText(QStringLiteral("X"));
  const QString before = w->keywordList()->currentItem()->text();
  QTest::keyClick(w->searchField(), Qt::Key_Down);
  QVERIFY(w->keywordList()->currentItem()->text() != before);
  QVERIFY(w->topicList()->count() > 0);

  // Nothing matches: the list is empty and Enter leaves the page alone.
  w->searchField()->setText(QStringLiteral("zzz"));
  QCOMPARE(w->keywordList()->count(), 0);
  QCOMPARE(w->topicList()->count(), 0);
  QTest::keyClick(w->searchField(), Qt::Key_Return);
  QCOMPARE(w->currentPage(), QStringLiteral("settings.html"));
}

void HelpTest::keywordIndexReadsMetaTags() {
  QTemporaryDir tmp;
  QDir dir(tmp.path());
  writePage(dir, "a.html",
            "<html><head><TITLE> Page A </TITLE><META NAME=\"keywords\" CONTENT=\" one , two,,two \"></head></html>");
  writePage(dir, "b.html", "<html><head><meta name=\"keywords\" content=\"two,三\"></head><body></body></html>");
  writePage(dir, "c.html", "<html><head><title>C</title></head></html>");
  writePage(dir, "notes.txt", "<meta name=\"keywords\" content=\"hidden\">");
  const HelpWindow::KeywordIndex index = HelpWindow::readKeywordIndex(tmp.path());
  QCOMPARE(index.keys(), (QStringList{"one", "two", QStringLiteral(u"三")}));
  QCOMPARE(index["one"].size(), 1);
  QCOMPARE(index["one"][0].page, QStringLiteral("a.html"));
  QCOMPARE(index["one"][0].title, QStringLiteral("Page A"));
  QCOMPARE(index["two"].size(), 2);
  QCOMPARE(index["two"][1].page, QStringLiteral("b.html"));
  QCOMPARE(index["two"][1].title, QStringLiteral("b.html"));  // no title: the file name
}

void HelpTest::missingHelpSetIsReported() {
  testsupport::ScriptedBoxes boxes;
  QTemporaryDir empty;
  HelpWindow::setHelpDirOverride(empty.path());
  QCOMPARE(HelpWindow::findHelpDir(), QString());
  QWidget owner;
  HelpWindow* w = HelpWindow::showContents(&owner);
  QVERIFY(!w->helpFound());
  const QString shown = w->browser()->toPlainText();
  QVERIFY(shown.contains(QStringLiteral(u"ヘルプファイルが見つかりませんでした")));
  QVERIFY(shown.contains(empty.path()));
  QCOMPARE(w->currentPage(), QString());
  QCOMPARE(HelpWindow::showKeywordSearch(&owner), w);
  QCOMPARE(w->keywordList()->count(), 0);
  QCOMPARE(HelpWindow::showHelpOnHelp(&owner), w);
  QCOMPARE(w->browser()->toPlainText(), shown);
  QVERIFY(boxes.shown.isEmpty());
}

void HelpTest::usualPlacesEndWithTheSourceFolder() {
  HelpWindow::setHelpDirOverride(QString());
  const QStringList dirs = HelpWindow::candidateDirs();
  QCOMPARE(dirs.size(), 4);
  const QString program = QCoreApplication::applicationDirPath();
  QCOMPARE(dirs[0], QDir::cleanPath(program + "/../share/quavinto/help"));
  QCOMPARE(dirs[1], QDir::cleanPath(QStringLiteral(QUAVINTO_DATADIR "/help")));
  QCOMPARE(dirs[2], QDir::cleanPath(program + "/help"));
  QCOMPARE(dirs[3], QDir::cleanPath(kHelpSet));
  // Run from the build folder, the help set is found whatever else is installed.
  QVERIFY(QFileInfo(HelpWindow::findHelpDir() + "/index.html").isFile());
}

void HelpTest::everyLinkResolves_data() {
  QTest::addColumn<QString>("folder");
  QTest::newRow("Japanese") << kHelpSet;
  QTest::newRow("English") << kHelpSet + "/en";
}

void HelpTest::everyLinkResolves() {
  static const QRegularExpression link(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]*)\""));
  QFETCH(QString, folder);
  const QDir dir(folder);
  const QStringList pages = dir.entryList({"*.html"}, QDir::Files);
  QVERIFY(pages.size() >= 12);
  int checked = 0;
  for (const QString& page : pages) {
    for (auto it = link.globalMatch(readText(dir.filePath(page))); it.hasNext();) {
      const QString target = it.next().captured(1);
      QVERIFY2(!target.contains("://") && !target.startsWith("mailto:"), qPrintable(page + ": " + target));
      const int hash = target.indexOf('#');
      const QString file = hash < 0 ? target : target.left(hash);
      const QString path = file.isEmpty() ? dir.filePath(page) : dir.filePath(file);
      QVERIFY2(QFileInfo(path).isFile(), qPrintable(page + ": missing " + target));
      if (hash >= 0) {
        const QString anchor = target.mid(hash + 1);
        const QString html = readText(path);
        QVERIFY2(html.contains("name=\"" + anchor + "\"") || html.contains("id=\"" + anchor + "\""),
                 qPrintable(page + ": no anchor " + target));
      }
      ++checked;
    }
  }
  QVERIFY(checked > 50);
}

void HelpTest::everyPageIsReachableAndIndexed_data() { everyLinkResolves_data(); }

// The English pages mirror the Japanese ones: the same files and anchors.
void HelpTest::everyPageIsReachableAndIndexed() {
  static const QRegularExpression link(QStringLiteral("href\\s*=\\s*\"([^\"#]+\\.html)"));
  static const QRegularExpression anchor(QStringLiteral("name=\"([^\"]+)\""));
  QFETCH(QString, folder);
  const QDir dir(folder);
  QSet<QString> seen{"index.html"};
  QStringList queue{"index.html"};
  while (!queue.isEmpty()) {
    const QString page = queue.takeFirst();
    for (auto it = link.globalMatch(readText(dir.filePath(page))); it.hasNext();) {
      const QString target = it.next().captured(1);
      if (!seen.contains(target)) {
        seen.insert(target);
        queue.append(target);
      }
    }
  }
  const HelpWindow::KeywordIndex index = HelpWindow::readKeywordIndex(folder);
  QSet<QString> indexed;
  for (const auto& topics : index)
    for (const auto& topic : topics) indexed.insert(topic.page);
  for (const QString& page : dir.entryList({"*.html"}, QDir::Files)) {
    QVERIFY2(seen.contains(page), qPrintable(page + " is not reachable from the contents"));
    QVERIFY2(indexed.contains(page), qPrintable(page + " has no keywords"));
    QVERIFY2(readText(dir.filePath(page)).contains("<title>"), qPrintable(page + " has no title"));
    QStringList anchors, japaneseAnchors;
    for (auto it = anchor.globalMatch(readText(dir.filePath(page))); it.hasNext();) anchors << it.next().captured(1);
    for (auto it = anchor.globalMatch(readText(QDir(kHelpSet).filePath(page))); it.hasNext();)
      japaneseAnchors << it.next().captured(1);
    QVERIFY2(anchors == japaneseAnchors, qPrintable(page + ": anchors differ from the Japanese page"));
  }
  QCOMPARE(dir.entryList({"*.html"}, QDir::Files), QDir(kHelpSet).entryList({"*.html"}, QDir::Files));
}

void HelpTest::pagesNameTheProgramsOwnCommands_data() {
  QTest::addColumn<QString>("folder");
  QTest::addColumn<platform::UiLanguage>("language");
  QTest::newRow("Japanese") << kHelpSet << platform::UiLanguage::Japanese;
  QTest::newRow("English") << kHelpSet + "/en" << platform::UiLanguage::English;
}

// The help marks a command by a link into the menu pages: to a page alone for
// its menu, to a section for a command, whose heading names it with its keys
// in brackets; a link may lead with its menu ("ファイル → 画像読み込み").
// Every name so marked, each menu page's title and the contents' list of the
// menu bar must be the menus' own, in the same language. The English pages
// also never name a setting by its Japanese label where English has its own.
void HelpTest::pagesNameTheProgramsOwnCommands() {
  QFETCH(QString, folder);
  QFETCH(platform::UiLanguage, language);
  const bool english = language == platform::UiLanguage::English;
  const ShownTexts shown = shownTexts(language);
  const MenuBarTexts& menus = shown.menus;
  QVERIFY(menus.commands.size() >= 4);

  static const QRegularExpression menuLink(QStringLiteral("<a href=\"(menu_\\w+\\.html)(?:#([\\w-]+))?\">([^<]*)</a>"));
  static const QRegularExpression title(QStringLiteral("<h1>([^<]*)</h1>"));
  static const QRegularExpression withKeys(QStringLiteral("^(.*) \\((.*)\\)$"));
  static const QRegularExpression menuStep(QStringLiteral(" [→›] "));
  static const QRegularExpression keyList(QStringLiteral("、|, "));
  const QDir dir(folder);
  const QString menuWord = english ? QStringLiteral(" menu") : QStringLiteral(u" メニュー");
  // Each menu page's menu, from its title.
  QHash<QString, QString> menuOfPage;
  for (const QString& page : dir.entryList({"menu_*.html"}, QDir::Files)) {
    const QString heading = title.match(readText(dir.filePath(page))).captured(1);
    QVERIFY2(heading.endsWith(menuWord), qPrintable(page + ": " + heading));
    menuOfPage[page] = heading.chopped(menuWord.size());
    QVERIFY2(menus.commands.contains(menuOfPage[page]), qPrintable(page + " names no menu: " + heading));
  }
  int named = 0;
  for (const QString& page : dir.entryList({"*.html"}, QDir::Files)) {
    for (auto it = menuLink.globalMatch(readText(dir.filePath(page))); it.hasNext(); ++named) {
      const QRegularExpressionMatch link = it.next();
      const QString menu = menuOfPage.value(link.captured(1));
      const QString where = page + ": " + link.captured(0);
      QStringList steps = link.captured(3).split(menuStep);
      if (link.captured(2).isEmpty()) {
        QVERIFY2(steps == QStringList{menu}, qPrintable(where));
        continue;
      }
      if (steps.size() == 2) QVERIFY2(steps.takeFirst() == menu, qPrintable(where));
      const QString command = steps.join(QString());
      QVERIFY2(menus.commands[menu].contains(command), qPrintable(where + " is no command of " + menu));
      // The section it leads to is headed by the same command and its keys.
      const QString target = readText(dir.filePath(link.captured(1)));
      const QRegularExpression section(QStringLiteral("<h2><a name=\"%1\">([^<]*)</a></h2>").arg(link.captured(2)));
      QString heading = section.match(target).captured(1);
      QStringList keys;
      if (const QRegularExpressionMatch k = withKeys.match(heading); k.hasMatch()) {
        heading = k.captured(1);
        keys = k.captured(2).split(keyList);
      }
      QVERIFY2(heading == command, qPrintable(where + " leads to the section " + heading));
      QVERIFY2(keys == menus.keys.value(command), qPrintable(where + ": keys " + keys.join(' ')));
    }
  }
  QVERIFY(named > 30);
  // The contents list the menu bar, item by item.
  const QString contents = readText(dir.filePath("index.html"));
  const int listStart = contents.lastIndexOf("<ul>", contents.indexOf("href=\"menu_file.html\""));
  const QString list = contents.mid(listStart, contents.indexOf("</ul>", listStart) - listStart);
  static const QRegularExpression firstLink(QStringLiteral("<li><a href=\"[^\"]*\">([^<]*)</a>"));
  QStringList listed;
  for (auto it = firstLink.globalMatch(list); it.hasNext();) listed << it.next().captured(1);
  QCOMPARE(listed, menus.bar);

  if (english) {
    // A label whose English differs from its Japanese is never named the Japanese way.
    const QStringList japanese = shownTexts(platform::UiLanguage::Japanese).labels;
    QCOMPARE(shown.labels.size(), japanese.size());
    for (const QString& page : dir.entryList({"*.html"}, QDir::Files)) {
      const QString text = readText(dir.filePath(page));
      for (int i = 0; i < japanese.size(); ++i) {
        if (japanese[i] == shown.labels[i] || japanese[i].isEmpty()) continue;
        const QRegularExpression word("\\b" + QRegularExpression::escape(japanese[i]) + "\\b");
        QVERIFY2(!text.contains(word), qPrintable(page + " names " + japanese[i] + ", shown as " + shown.labels[i]));
      }
    }
  }
  platform::tearDownUi(*qApp);
}

void HelpTest::menuBarKeyOpensTheFirstMenu_data() { pagesNameTheProgramsOwnCommands_data(); }

// F10, which the Keys page names, opens the first menu in either language,
// leaves the keyboard play as it was once the menu is closed, and does
// nothing while a piece is dragged.
void HelpTest::menuBarKeyOpensTheFirstMenu() {
  QFETCH(QString, folder);
  QFETCH(platform::UiLanguage, language);
  QVERIFY(readText(folder + "/keys.html").contains("<td>F10"));
  platform::setUpUi(*qApp, language);
  testsupport::PlayedWindow played(36000.0);
  played.open(5, 5);
  quavinto::Form1& f = played.form();
  f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&f));
  played.start(true);
  QTest::keyClick(f.Picture1, Qt::Key_Right);
  const int column = f.keys->focusColumn();

  QTest::keyClick(f.Picture1, Qt::Key_F10);
  QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(f.TopFile));
  QCOMPARE(f.menuBar()->actions().first(), f.TopFile->menuAction());
  QCOMPARE(f.TopFile->activeAction(), f.LoadPictureEx);  // Enter chooses it
  QTest::keyClick(f.TopFile, Qt::Key_Escape);
  QTRY_VERIFY(!QApplication::activePopupWidget());
  QTest::keyClick(f.menuBar(), Qt::Key_Escape);
  f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&f));
  QCOMPARE(f.keys->focusColumn(), column);
  QTest::keyClick(f.Picture1, Qt::Key_Right);
  QCOMPARE(f.keys->focusColumn(), column + 1);

  // A drag in progress keeps the keyboard.
  QTest::mousePress(f.Picture1, Qt::LeftButton, {}, played.cellCentre(1, 1));
  QTest::keyClick(f.Picture1, Qt::Key_F10);
  QTest::qWait(50);
  QVERIFY(!QApplication::activePopupWidget());
  QTest::mouseRelease(f.Picture1, Qt::LeftButton, {}, played.cellCentre(1, 1));
  platform::tearDownUi(*qApp);
}

QTEST_MAIN(HelpTest)
#include "tst_help.moc"
