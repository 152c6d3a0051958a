// The help window: the player's help set (HTML pages in Japanese, with English
// ones beside them) with its contents page, a keyword search and a page on
// using help.
//
// One help window exists at a time; the three commands of the HELP menu show
// it (creating it for their owner when none is open) and switch what it shows.
// The help set is a folder found at run time, in this order:
//   <folder of the program>/../share/quavinto/help   (installed beside the program)
//   QUAVINTO_DATADIR/help                             (the installation folder)
//   <folder of the program>/help                      (unpacked next to the program)
//   QUAVINTO_SOURCE_DIR/resources/help                (run from a build folder)
// The first folder holding index.html is used; its en/ subfolder holds the
// English pages, shown when the interface is not Japanese. Without one, the window says
// that the help files were not found and where it looked; the program goes on.
//
// Every page lists its keywords in <meta name="keywords" content="a,b,c">;
// together they form the keyword index of the search.
#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace quavinto {

class HelpWindow : public QWidget {
  Q_OBJECT
public:
  // HELP > Contents: the contents page.
  static HelpWindow* showContents(QWidget* owner);
  // HELP > Search by keyword: the keyword search, its field empty and focused.
  static HelpWindow* showKeywordSearch(QWidget* owner);
  // HELP > About help: how to use the help window.
  static HelpWindow* showHelpOnHelp(QWidget* owner);
  // The open help window, or null.
  static HelpWindow* instance();

  // The folders searched for the help set, in order.
  static QStringList candidateDirs();
  // The first candidate holding the contents page; empty when none does.
  static QString findHelpDir();
  // The folder of pages in the interface's language within a help set: its
  // en/ subfolder unless the interface is Japanese (or C/POSIX).
  static QString pagesForLanguage(const QString& base);
  // Tests point the lookup at one folder; an empty text restores the usual places.
  static void setHelpDirOverride(const QString& dir);

  // A page that lists a keyword: its file name and its title.
  struct Topic {
    QString page;
    QString title;
  };
  // Keyword to the pages listing it, read from every page's keywords.
  using KeywordIndex = QMap<QString, QList<Topic>>;
  static KeywordIndex readKeywordIndex(const QString& dir);

  ~HelpWindow() override;

  bool helpFound() const { return !dir_.isEmpty(); }
  // Shows a page of the help set by file name, optionally with "#anchor".
  void showPage(const QString& page);
  // File name (with "#anchor" when there is one) of the page shown; empty
  // when no page of the set is shown.
  QString currentPage() const;

  // Opens the topic chosen in the search: the selected one, else the first.
  void openChosenTopic();

  QTextBrowser* browser() const { return browser_; }
  QWidget* searchPanel() const { return searchPanel_; }
  QLineEdit* searchField() const { return searchField_; }
  QListWidget* keywordList() const { return keywordList_; }
  QListWidget* topicList() const { return topicList_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  explicit HelpWindow(QWidget* owner);
  static HelpWindow* open(QWidget* owner);
  void buildUi();
  void fitToScreen();
  void loadHelpSet();
  void showMissingMessage(const QStringList& looked);
  void filterKeywords(const QString& text);
  void showTopicsOfSelectedKeyword();
  void setSearchVisible(bool visible);
  void updateTitle();

  QString dir_;
  KeywordIndex index_;
  QStringList sortedKeywords_;
  QTextBrowser* browser_ = nullptr;
  QWidget* searchPanel_ = nullptr;
  QLineEdit* searchField_ = nullptr;
  QListWidget* keywordList_ = nullptr;
  QListWidget* topicList_ = nullptr;
  QPushButton* showButton_ = nullptr;
  QPushButton* backButton_ = nullptr;
  QPushButton* forwardButton_ = nullptr;
};

}  // namespace quavinto
