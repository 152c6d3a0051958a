// The help window: finding the help set, the keyword index, the page browser
// and the keyword search panel.
#include "platform/MsgBox.h"
#include "shell/HelpWindow.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace quavinto {
namespace {

// Every text this window shows to the player.
namespace text {
const char kCaption[] = QT_TRANSLATE_NOOP("quavinto::HelpWindow", "QUAVINTO ヘルプ");
const char kContents[] = QT_TRANSLATE_NOOP("quavinto::HelpWindow", "目次");
const char kBack[] = QT_TRANSLATE_NOOP("quavinto::HelpWindow", "戻る");
const char kForward[] = QT_TRANSLATE_NOOP("quavinto::HelpWindow", "進む");
const char kSearch[] = QT_TRANSLATE_NOOP("quavinto::HelpWindow", "キーワード検索");
const char kTypeKeyword[] = QT_TRANSLATE_NOOP("quavinto::HelpWindow", "調べたい言葉を入力してください:");
const char kKeywords[] = QT_TRANSLATE_NOOP("quavinto::HelpWindow", "キーワード:");
const char kTopics[] = QT_TRANSLATE_NOOP("quavinto::HelpWindow", "トピック:");
const char kShow[] = QT_TRANSLATE_NOOP("quavinto::HelpWindow", "表示");
const char kMissingTitle[] = QT_TRANSLATE_NOOP("quavinto::HelpWindow", "ヘルプファイルが見つかりません");
const char kMissingBody[] =
    QT_TRANSLATE_NOOP("quavinto::HelpWindow", "ヘルプファイルが見つかりませんでした。次の場所を探しました:");
const char kMissingHint[] = QT_TRANSLATE_NOOP(
    "quavinto::HelpWindow", "QUAVINTO を入れ直すと、ヘルプファイルも入ります。ゲームはこのまま続けられます。");
}  // namespace text

const QString kContentsPage = QStringLiteral("index.html");
const QSize kUsualSize(780, 540);
// The share of the screen's free area the window may take at most.
constexpr qreal kScreenShare = 0.9;
const QString kHelpOnHelpPage = QStringLiteral("helphelp.html");

QPointer<HelpWindow> gWindow;
QString gOverride;

QString pageTitle(const QString& html, const QString& fallback) {
  static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                        QRegularExpression::CaseInsensitiveOption |
                                            QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch m = title.match(html);
  return m.hasMatch() ? m.captured(1).trimmed() : fallback;
}

QStringList pageKeywords(const QString& html) {
  static const QRegularExpression meta(
      QStringLiteral("<meta\\s+name\\s*=\\s*\"keywords\"\\s+content\\s*=\\s*\"([^\"]*)\""),
      QRegularExpression::CaseInsensitiveOption);
  QStringList keywords;
  for (auto it = meta.globalMatch(html); it.hasNext();) {
    for (const QString& k : it.next().captured(1).split(QLatin1Char(','))) {
      const QString keyword = k.trimmed();
      if (!keyword.isEmpty() && !keywords.contains(keyword)) keywords.append(keyword);
    }
  }
  return keywords;
}

}  // namespace

QStringList HelpWindow::candidateDirs() {
  if (!gOverride.isEmpty()) return {gOverride};
  const QString programDir = QCoreApplication::applicationDirPath();
  return {QDir::cleanPath(programDir + QStringLiteral("/../share/quavinto/help")),
          QDir::cleanPath(QStringLiteral(QUAVINTO_DATADIR "/help")),
          QDir::cleanPath(programDir + QStringLiteral("/help")),
          QDir::cleanPath(QStringLiteral(QUAVINTO_SOURCE_DIR "/resources/help"))};
}

QString HelpWindow::findHelpDir() {
  for (const QString& dir : candidateDirs())
    if (QFileInfo(QDir(dir).filePath(kContentsPage)).isFile()) return dir;
  return QString();
}

QString HelpWindow::pagesForLanguage(const QString& base) {
  // Japanese pages for a Japanese interface and under C/POSIX; the English
  // ones for every other language, when they are there.
  const QLocale::Language language = QLocale().language();
  if (language == QLocale::Japanese || language == QLocale::C) return base;
  const QString english = QDir(base).filePath(QStringLiteral("en"));
  return QFileInfo(QDir(english).filePath(kContentsPage)).isFile() ? english : base;
}

void HelpWindow::setHelpDirOverride(const QString& dir) { gOverride = dir; }

HelpWindow::KeywordIndex HelpWindow::readKeywordIndex(const QString& dir) {
  KeywordIndex index;
  const QDir folder(dir);
  for (const QString& name : folder.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QString html = QString::fromUtf8(file.readAll());
    const Topic topic{name, pageTitle(html, name)};
    for (const QString& keyword : pageKeywords(html)) index[keyword].append(topic);
  }
  return index;
}

HelpWindow* HelpWindow::instance() { return gWindow; }

HelpWindow* HelpWindow::open(QWidget* owner) {
  if (!gWindow) {
    gWindow = new HelpWindow(owner);
    gWindow->show();
  } else {
    if (gWindow->isMinimized()) gWindow->showNormal();
    gWindow->show();
    gWindow->raise();
  }
  gWindow->activateWindow();
  return gWindow;
}

HelpWindow* HelpWindow::showContents(QWidget* owner) {
  HelpWindow* w = open(owner);
  w->setSearchVisible(false);
  if (w->helpFound()) w->showPage(kContentsPage);
  return w;
}

HelpWindow* HelpWindow::showKeywordSearch(QWidget* owner) {
  HelpWindow* w = open(owner);
  w->setSearchVisible(true);
  w->searchField_->clear();
  w->filterKeywords(QString());
  w->searchField_->setFocus();
  return w;
}

HelpWindow* HelpWindow::showHelpOnHelp(QWidget* owner) {
  HelpWindow* w = open(owner);
  // The page on using help gets the whole window, as the contents do.
  w->setSearchVisible(false);
  if (w->helpFound()) w->showPage(kHelpOnHelpPage);
  return w;
}

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
  setAttribute(Qt::WA_DeleteOnClose);
  platform::markPassingWindow(this);
  setWindowTitle(tr(text::kCaption));
  buildUi();
  loadHelpSet();
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::buildUi() {
  auto* toolbar = new QHBoxLayout;
  auto* contentsButton = new QPushButton(tr(text::kContents), this);
  backButton_ = new QPushButton(tr(text::kBack), this);
  forwardButton_ = new QPushButton(tr(text::kForward), this);
  auto* searchButton = new QPushButton(tr(text::kSearch), this);
  for (QPushButton* b : {contentsButton, backButton_, forwardButton_, searchButton}) {
    b->setAutoDefault(false);
    toolbar->addWidget(b);
  }
  toolbar->addStretch();

  searchPanel_ = new QWidget(this);
  auto* panel = new QVBoxLayout(searchPanel_);
  panel->setContentsMargins(0, 0, 0, 0);
  searchField_ = new QLineEdit(searchPanel_);
  searchField_->installEventFilter(this);
  keywordList_ = new QListWidget(searchPanel_);
  topicList_ = new QListWidget(searchPanel_);
  showButton_ = new QPushButton(tr(text::kShow), searchPanel_);
  showButton_->setAutoDefault(false);
  panel->addWidget(new QLabel(tr(text::kTypeKeyword), searchPanel_));
  panel->addWidget(searchField_);
  panel->addWidget(new QLabel(tr(text::kKeywords), searchPanel_));
  panel->addWidget(keywordList_, 3);
  panel->addWidget(new QLabel(tr(text::kTopics), searchPanel_));
  panel->addWidget(topicList_, 1);
  panel->addWidget(showButton_, 0, Qt::AlignRight);

  browser_ = new QTextBrowser(this);
  browser_->setOpenExternalLinks(true);
  // The captions above the fields are no buddies; screen readers get the names here.
  searchField_->setAccessibleName(tr("調べたい言葉"));
  keywordList_->setAccessibleName(tr("キーワード"));
  topicList_->setAccessibleName(tr("トピック"));
  browser_->setAccessibleName(tr("ヘルプの本文"));

  auto* splitter = new QSplitter(this);
  splitter->addWidget(searchPanel_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({220, 540});
  splitter->setChildrenCollapsible(false);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(toolbar);
  layout->addWidget(splitter, 1);
  fitToScreen();

  connect(contentsButton, &QPushButton::clicked, this, [this] {
    if (helpFound()) showPage(kContentsPage);
  });
  connect(backButton_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(forwardButton_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, backButton_, &QPushButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forwardButton_, &QPushButton::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::updateTitle);
  connect(searchButton, &QPushButton::clicked, this, [this] {
    setSearchVisible(true);
    searchField_->setFocus();
  });
  connect(searchField_, &QLineEdit::textChanged, this, &HelpWindow::filterKeywords);
  connect(searchField_, &QLineEdit::returnPressed, this, &HelpWindow::openChosenTopic);
  connect(keywordList_, &QListWidget::currentRowChanged, this, &HelpWindow::showTopicsOfSelectedKeyword);
  connect(keywordList_, &QListWidget::itemActivated, this, &HelpWindow::openChosenTopic);
  connect(topicList_, &QListWidget::itemActivated, this, &HelpWindow::openChosenTopic);
  connect(showButton_, &QPushButton::clicked, this, &HelpWindow::openChosenTopic);
  backButton_->setEnabled(false);
  forwardButton_->setEnabled(false);
  setSearchVisible(false);
}

void HelpWindow::fitToScreen() {
  // The usual size, or less where the screen has less room (a small or
  // scaled-up screen), so the page, the buttons and the window's own frame
  // all stay on the screen; centred on the screen the window opens on.
  const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (!screen) {
    resize(kUsualSize);
    return;
  }
  const QRect room = screen->availableGeometry();
  const QSize fitted = kUsualSize.boundedTo(room.size() * kScreenShare).expandedTo(minimumSizeHint());
  resize(fitted);
  move(room.center() - QPoint(fitted.width() / 2, fitted.height() / 2));
}

void HelpWindow::loadHelpSet() {
  const QString base = findHelpDir();
  if (base.isEmpty()) {
    showMissingMessage(candidateDirs());
    return;
  }
  dir_ = pagesForLanguage(base);
  browser_->setSearchPaths({dir_});
  // The pages' own <link> to the style sheet is not followed by the browser,
  // so the sheet becomes the default of every page shown. A language may add
  // its own after it (English takes a Latin font first, whose ellipsis sits
  // on the line).
  const auto sheetIn = [](const QString& folder) {
    QFile style(QDir(folder).filePath(QStringLiteral("style.css")));
    return style.open(QIODevice::ReadOnly) ? QString::fromUtf8(style.readAll()) : QString();
  };
  browser_->document()->setDefaultStyleSheet(dir_ == base ? sheetIn(base) : sheetIn(base) + sheetIn(dir_));
  index_ = readKeywordIndex(dir_);
  sortedKeywords_ = index_.keys();
  QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
  std::sort(sortedKeywords_.begin(), sortedKeywords_.end(),
            [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
  filterKeywords(QString());
  showPage(kContentsPage);
}

void HelpWindow::showMissingMessage(const QStringList& looked) {
  QString html = QStringLiteral("<h2>%1</h2><p>%2</p><ul>").arg(tr(text::kMissingTitle), tr(text::kMissingBody));
  for (const QString& dir : looked) html += QStringLiteral("<li>%1</li>").arg(dir.toHtmlEscaped());
  html += QStringLiteral("</ul><p>%1</p>").arg(tr(text::kMissingHint));
  browser_->setHtml(html);
  searchField_->setEnabled(false);
  showButton_->setEnabled(false);
}

void HelpWindow::showPage(const QString& page) {
  if (!helpFound()) return;
  const int hash = page.indexOf(QLatin1Char('#'));
  QUrl url = QUrl::fromLocalFile(QDir(dir_).filePath(hash < 0 ? page : page.left(hash)));
  if (hash >= 0) url.setFragment(page.mid(hash + 1));
  browser_->setSource(url);
}

QString HelpWindow::currentPage() const {
  const QUrl source = browser_->source();
  if (!helpFound() || !source.isLocalFile()) return QString();
  const QString name = QFileInfo(source.toLocalFile()).fileName();
  return source.hasFragment() ? name + QLatin1Char('#') + source.fragment() : name;
}

void HelpWindow::updateTitle() {
  const QString title = browser_->documentTitle();
  setWindowTitle(title.isEmpty() ? tr(text::kCaption) : tr(text::kCaption) + QStringLiteral(" - ") + title);
}

void HelpWindow::setSearchVisible(bool visible) { searchPanel_->setVisible(visible); }

void HelpWindow::filterKeywords(const QString& typed) {
  const QString wanted = typed.trimmed();
  keywordList_->clear();
  for (const QString& keyword : sortedKeywords_)
    if (wanted.isEmpty() || keyword.contains(wanted, Qt::CaseInsensitive)) keywordList_->addItem(keyword);
  // What was typed leads: a keyword starting with it is chosen before one
  // that merely contains it.
  int best = -1;
  if (!wanted.isEmpty() && keywordList_->count() > 0) {
    best = 0;
    for (int i = 0; i < keywordList_->count(); ++i)
      if (keywordList_->item(i)->text().startsWith(wanted, Qt::CaseInsensitive)) {
        best = i;
        break;
      }
  }
  keywordList_->setCurrentRow(best);
  showTopicsOfSelectedKeyword();
}

void HelpWindow::showTopicsOfSelectedKeyword() {
  topicList_->clear();
  const QListWidgetItem* item = keywordList_->currentItem();
  if (!item) return;
  for (const Topic& topic : index_.value(item->text())) {
    auto* entry = new QListWidgetItem(topic.title, topicList_);
    entry->setData(Qt::UserRole, topic.page);
  }
  topicList_->setCurrentRow(0);
}

void HelpWindow::openChosenTopic() {
  if (!keywordList_->currentItem() && keywordList_->count() > 0) keywordList_->setCurrentRow(0);
  const QListWidgetItem* topic = topicList_->currentItem();
  if (!topic && topicList_->count() > 0) topic = topicList_->item(0);
  if (topic) showPage(topic->data(Qt::UserRole).toString());
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
  // Up and Down in the search field walk the keyword list.
  if (watched == searchField_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      const int row = keywordList_->currentRow() + (key == Qt::Key_Down ? 1 : -1);
      if (row >= 0 && row < keywordList_->count()) keywordList_->setCurrentRow(row);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace quavinto
