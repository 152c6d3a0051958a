// Every window holds its texts whole, in Japanese, in English and in a
// translation longer still: each label, button, check box, option button and
// group box title shows its whole text in its place, lies inside its window
// and clear of the other texts; the menu bar shows every menu, and the clock
// shows beside the menus. In Japanese the design's windows keep their sizes;
// in a translation they only grow.
#include <QAbstractButton>
#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>

#include "persistence/Settings.h"
#include "platform/MsgBox.h"
#include "platform/PicturePreview.h"
#include "platform/Screen.h"
#include "platform/TextRoom.h"
#include "platform/UiSetup.h"
#include "shell/Form2.h"
#include "shell/Form3.h"
#include "shell/Form4.h"
#include "shell/HelpWindow.h"
#include "shell/RecordsDialog.h"
#include "support/PlayedWindow.h"

using namespace quavinto;

namespace {

enum class Language { Japanese, English, Longer, TwoLines };

// The English translation changed: every text half as long again, standing
// for a language whose words are longer than English ones; or every text of
// more than one word broken after its first word.
class LongerTexts : public QTranslator {
 public:
  explicit LongerTexts(Language language) : language_(language) {
    loaded = english_.load(QStringLiteral(":/i18n/quavinto_en.qm"));
  }
  QString translate(const char* context, const char* source, const char* disambiguation, int n) const override {
    QString text = english_.translate(context, source, disambiguation, n);
    if (text.isEmpty()) return text;
    if (language_ == Language::TwoLines) {
      const qsizetype blank = text.indexOf(QLatin1Char(' '));
      if (blank > 0) text[blank] = QLatin1Char('\n');
      return text;
    }
    return text + QString(text.size() / 2 + 1, QLatin1Char('W'));
  }
  bool isEmpty() const override { return false; }
  bool loaded = false;

 private:
  Language language_;
  QTranslator english_;
};

bool holdsText(const QWidget* w) {
  return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QGroupBox*>(w);
}

QString nameOf(const QWidget* w) {
  QString text = w->property("text").toString();
  if (const auto* box = qobject_cast<const QGroupBox*>(w)) text = box->title();
  return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(w->metaObject()->className()), text.left(40));
}

// What a player would call cut or cramped in `window`; empty when nothing is.
QStringList textProblems(QWidget* window) {
  QStringList problems;
  QList<QWidget*> texts;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->isWindow() || !w->isVisibleTo(window) || !holdsText(w)) continue;
    texts.append(w);
    const QSize lacking = platform::textShortfall(w);
    if (!lacking.isNull())
      problems << QStringLiteral("%1 lacks %2 x %3 px").arg(nameOf(w)).arg(lacking.width()).arg(lacking.height());
    // Whatever lies outside a parent is cut off.
    for (QWidget* parent = w->parentWidget(); parent; parent = parent->isWindow() ? nullptr : parent->parentWidget())
      if (!parent->rect().contains(QRect(w->mapTo(parent, QPoint()), w->size()))) {
        problems << nameOf(w) + QStringLiteral(" sticks out of ") +
                        QString::fromLatin1(parent->metaObject()->className());
        break;
      }
  }
  // A text inside a drawn frame stays inside it; only a caption lies across
  // its top line.
  for (QFrame* frame : window->findChildren<QFrame*>()) {
    if (frame->metaObject() != &QFrame::staticMetaObject || !frame->isVisibleTo(window)) continue;
    const QRect box = frame->geometry();
    for (QWidget* w : texts) {
      const QRect r = w->geometry();
      const bool caption = r.top() < box.top() && r.bottom() > box.top();
      if (w->parentWidget() == frame->parentWidget() && r.intersects(box) && !box.contains(r) && !caption)
        problems << nameOf(w) + QStringLiteral(" sticks out of its frame");
    }
  }
  for (QWidget* a : texts)
    for (QWidget* b : texts)
      if (a < b && a->parentWidget() == b->parentWidget() && a->geometry().intersects(b->geometry()))
        problems << nameOf(a) + QStringLiteral(" overlaps ") + nameOf(b);

  if (auto* form = qobject_cast<Form1*>(window)) {
    QMenuBar* bar = form->menuBar();
    int itemsRight = 0;
    for (QAction* item : bar->actions()) {
      const QRect r = bar->actionGeometry(item);
      if (r.isEmpty() || !bar->rect().contains(r))
        problems << QStringLiteral("menu %1 is folded away").arg(item->text());
      itemsRight = std::max(itemsRight, r.right());
    }
    if (auto* more = bar->findChild<QToolButton*>(); more && more->isVisible())
      problems << QStringLiteral("the menu bar shows its overflow button");
    if (!form->clockText().isEmpty()) {
      if (!form->clockLabel->isVisible())
        problems << QStringLiteral("the clock is hidden");
      else if (form->clockLabel->x() <= itemsRight)
        problems << QStringLiteral("the clock covers the menus");
    }
  }
  return problems;
}

}  // namespace

Q_DECLARE_METATYPE(Language)

class TextsFitTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PlayedWindow> played_;
  std::unique_ptr<QWidget> window_;
  std::unique_ptr<LongerTexts> longer_;
  QTemporaryDir records_;

  void setLanguage(Language language) {
    auto* app = static_cast<QApplication*>(QCoreApplication::instance());
    // Without Qt's Japanese texts the program's own are still Japanese.
    const bool english = platform::setUpUi(
        *app, language == Language::Japanese ? platform::UiLanguage::Japanese : platform::UiLanguage::English);
    if (language != Language::Japanese) QVERIFY(english);
    if (language == Language::Longer || language == Language::TwoLines) {
      longer_ = std::make_unique<LongerTexts>(language);
      QVERIFY(longer_->loaded);
      QCoreApplication::installTranslator(longer_.get());
    }
  }

  // Opens the window a row names, as the player sees it.
  QWidget* open(const QString& window) {
    static GameState gs = testsupport::solvedState(5, 5);
    gs.PictureWidth = 384;
    gs.PictureHeight = 256;
    if (window == "settings") window_ = std::make_unique<Form2>(gs);
    if (window == "about") window_ = std::make_unique<Form3>(gs, nullptr);
    if (window == "diagnostics") window_ = std::make_unique<Form4>(gs, nullptr);
    if (window == "picture preview") {
      auto* preview = new platform::PicturePreview;
      window_.reset(preview);
      preview->showPicture(QStringLiteral(QUAVINTO_SOURCE_DIR "/resources/default.bmp"));
      auto* size = preview->findChildren<QLabel*>().last();
      if (!QTest::qWaitFor([&] { return !size->text().isEmpty(); })) return nullptr;
    }
    if (window == "records") {
      RecordStore store(records_.path());
      Record r{QStringLiteral("builtin"), 5, 5, 3725, 130, QDateTime(QDate(2026, 12, 7), QTime(20, 28)), true};
      store.add(r);
      window_ = std::make_unique<RecordsDialog>(records_.path(), r.picture, QString(), nullptr);
    }
    if (window == "help search") {
      HelpWindow* help = HelpWindow::showKeywordSearch(nullptr);
      window_.reset(help);
      return help;
    }
    if (window.startsWith("main")) {
      played_ = std::make_unique<testsupport::PlayedWindow>(36000.0);
      played_->open(5, 5);
      Form1& f = played_->form();
      if (window != "main, idle" && window != "main, shuffling notice") played_->start(true);
      if (window == "main, paused") f.Pause_Click();
      if (window == "main, shuffling notice") f.showWaitNotice(true);
      if (window == "main, finished picture") {
        f.state().HyoujiFlag = 1;
        f.XX2_Click();
      }
      f.tickClock();
      // Sized as it is once the window system has framed it.
      f.ArrangeWindow();
      return &f;
    }
    if (window_) window_->show();
    return window_.get();
  }

 private slots:
  void init() { platform::setScreenOverride(15, 15, QRect(0, 0, 1280, 1024)); }
  void cleanup() {
    played_.reset();
    window_.reset();
    longer_.reset();
    platform::setScreenOverride(0, 0, QRect());
  }

  void windowsHoldTheirTexts_data();
  void windowsHoldTheirTexts();
  void messageBoxHoldsALongText_data();
  void messageBoxHoldsALongText();
};

void TextsFitTest::windowsHoldTheirTexts_data() {
  // The design's size of each window (the main window's outer size with the
  // built-in picture), kept exactly in Japanese; none for the windows that
  // size themselves to their contents.
  QTest::addColumn<QString>("window");
  QTest::addColumn<QSize>("design");
  const struct {
    const char* window;
    QSize design;
    bool fixedPlaces = false;  // laid out at fixed positions: also tried with texts on two lines
  } windows[] = {{"settings", QSize(346, 205), true},
                 {"about", QSize(233, 157), true},
                 {"diagnostics", QSize(354, 214)},
                 {"main, idle", QSize(436, 355)},
                 {"main, shuffling notice", QSize(436, 355)},
                 {"main, in play", QSize(436, 355)},
                 {"main, paused", QSize(436, 355)},
                 {"main, finished picture", QSize(854, 395)},
                 {"records", QSize()},
                 {"help search", QSize()},
                 {"picture preview", QSize()}};
  QTest::addColumn<Language>("language");
  for (const auto& w : windows) {
    QTest::addRow("%s, Japanese", w.window) << w.window << w.design << Language::Japanese;
    QTest::addRow("%s, English", w.window) << w.window << w.design << Language::English;
    QTest::addRow("%s, longer texts", w.window) << w.window << w.design << Language::Longer;
    if (w.fixedPlaces) QTest::addRow("%s, texts on two lines", w.window) << w.window << w.design << Language::TwoLines;
  }
}

void TextsFitTest::windowsHoldTheirTexts() {
  QFETCH(QString, window);
  QFETCH(QSize, design);
  QFETCH(Language, language);
  setLanguage(language);
  QWidget* shown = open(window);
  QVERIFY(shown);
  QVERIFY(QTest::qWaitForWindowExposed(shown));
  const QStringList problems = textProblems(shown);
  QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
  if (!design.isValid()) return;
  // The main window's design size is its outer one, frame included.
  const QSize size = qobject_cast<Form1*>(shown) ? shown->frameGeometry().size() : shown->size();
  if (language == Language::Japanese)
    QCOMPARE(size, design);
  else
    QVERIFY2(size.width() >= design.width() && size.height() >= design.height(),
             qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
}

void TextsFitTest::messageBoxHoldsALongText_data() {
  QTest::addColumn<Language>("language");
  QTest::newRow("Japanese") << Language::Japanese;
  QTest::newRow("English") << Language::English;
  QTest::newRow("longer texts") << Language::Longer;
}

void TextsFitTest::messageBoxHoldsALongText() {
  QFETCH(Language, language);
  setLanguage(language);
  const QString text = settingsNotSavedText();
  QStringList problems;
  bool seen = false;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) return;
    seen = true;
    problems = textProblems(box);
    box->close();
  });
  platform::MsgBox(text, 48);
  QVERIFY(seen);
  QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
}

QTEST_MAIN(TextsFitTest)
#include "tst_textsfit.moc"
