// Every window holds its texts whole, in Japanese, in English and in
// translations longer still: each label, button, check box, option button and
// group box title shows its whole text in its place, inside its parents and
// frames and clear of the other texts; the about box's frames line up; the menu
// bar shows every menu, and the clock shows beside the menus. In Japanese the
// design's windows keep their sizes; in a translation they only grow.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>

#include "pictures/PictureLoading.h"
#include "pictures/PicturePreview.h"
#include "platform/Screen.h"
#include "shell/TextRoom.h"
#include "platform/UiSetup.h"
#include "shell/Form2.h"
#include "shell/Form3.h"
#include "shell/GameInPlay.h"
#include "shell/HelpWindow.h"
#include "shell/RecordsDialog.h"
#include "support/PlayedWindow.h"

using namespace quavinto;

namespace {

enum class Language { Japanese, English, Longer, TwoLines };

// The English translation with every text half as long again (a language of
// longer words), or broken after its first word.
class ChangedEnglish : public QTranslator {
 public:
  explicit ChangedEnglish(Language language) : language_(language) {
    loaded = english_.load(QStringLiteral(":/i18n/quavinto_en.qm"));
  }
  QString translate(const char* context, const char* source, const char* disambiguation, int n) const override {
    QString text = english_.translate(context, source, disambiguation, n);
    if (language_ == Language::Longer) return text.isEmpty() ? text : text + QString(text.size() / 2 + 1, 'W');
    if (const qsizetype blank = text.indexOf(QLatin1Char(' ')); blank > 0) text[blank] = QLatin1Char('\n');
    return text;
  }
  bool isEmpty() const override { return false; }
  bool loaded = false;

 private:
  Language language_;
  QTranslator english_;
};

QString nameOf(const QWidget* w) {
  const auto* box = qobject_cast<const QGroupBox*>(w);
  return QStringLiteral("%1 \"%2\"")
      .arg(w->metaObject()->className(), box ? box->title() : w->property("text").toString());
}

// What a player would call cut or cramped in `window`; empty when nothing is.
QStringList textProblems(QWidget* window) {
  QStringList problems;
  QList<QWidget*> texts;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window) || w->isWindow() ||
        !(qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QGroupBox*>(w)))
      continue;
    texts.append(w);
    if (const QSize lacking = quavinto::textShortfall(w); !lacking.isNull())
      problems << QStringLiteral("%1 lacks %2 x %3 px").arg(nameOf(w)).arg(lacking.width()).arg(lacking.height());
    // Whatever lies outside a parent is cut off.
    for (QWidget* p = w->parentWidget(); p; p = p->isWindow() ? nullptr : p->parentWidget())
      if (!p->rect().contains(QRect(w->mapTo(p, QPoint()), w->size()))) {
        problems << nameOf(w) + QStringLiteral(" sticks out of ") + p->metaObject()->className();
        break;
      }
  }
  for (QWidget* a : texts)
    for (QWidget* b : texts)
      if (a < b && a->parentWidget() == b->parentWidget() && a->geometry().intersects(b->geometry()))
        problems << nameOf(a) + QStringLiteral(" overlaps ") + nameOf(b);
  // A text inside a drawn frame stays inside it; only a caption lies across its top line.
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
  // The about box's two frames stand one above the other with their edges in line.
  if (auto* about = qobject_cast<Form3*>(window)) {
    const QRect name = about->Shape1->geometry(), notice = about->Shape2->geometry();
    if (name.left() != notice.left() || name.right() != notice.right())
      problems << QStringLiteral("the frames' edges differ: %1-%2 and %3-%4")
                      .arg(name.left())
                      .arg(name.right())
                      .arg(notice.left())
                      .arg(notice.right());
  }
  if (auto* form = qobject_cast<Form1*>(window)) {
    QMenuBar* bar = form->menuBar();
    int itemsRight = 0;
    for (QAction* item : bar->actions()) {
      const QRect r = bar->actionGeometry(item);
      if (r.isEmpty() || !bar->rect().contains(r)) problems << QStringLiteral("menu %1 folded away").arg(item->text());
      itemsRight = std::max(itemsRight, r.right());
    }
    if (auto* more = bar->findChild<QToolButton*>(); more && more->isVisible()) problems << "menu overflow button";
    if (!form->inPlay().clockText().isEmpty() &&
        (!form->clockLabel->isVisible() || form->clockLabel->x() <= itemsRight))
      problems << QStringLiteral("the clock is hidden or covers the menus");
  }
  return problems;
}

}  // namespace

Q_DECLARE_METATYPE(Language)

class TextsFitTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PlayedWindow> played_;
  std::unique_ptr<QWidget> window_;
  std::unique_ptr<ChangedEnglish> changed_;
  QTemporaryDir records_;

  // Opens the window a row names, as the player sees it.
  QWidget* open(const QString& window) {
    static GameState gs = testsupport::solvedState(5, 5);
    if (window == "settings") window_ = std::make_unique<Form2>(gs);
    if (window == "about") window_ = std::make_unique<Form3>(gs, nullptr);
    if (window == "help search") window_.reset(HelpWindow::showKeywordSearch(nullptr));
    if (window == "records") window_ = std::make_unique<RecordsDialog>(records_.path(), "builtin", QString(), nullptr);
    if (window == "picture preview") {
      auto* preview = new quavinto::PicturePreview;
      window_.reset(preview);
      preview->showPicture(QStringLiteral(QUAVINTO_SOURCE_DIR "/resources/default.bmp"));
      QLabel* size = preview->findChildren<QLabel*>().last();  // filled in when the picture is read
      if (!QTest::qWaitFor([&] { return !size->text().isEmpty(); })) return nullptr;
    }
    if (window.startsWith("main")) {
      played_ = std::make_unique<testsupport::PlayedWindow>(36000.0);
      played_->open(5, 5);
      Form1& f = played_->form();
      if (window.contains("narrow picture")) {
        // The menus alone are wider than this board with the view hidden.
        const QString narrow = played_->path(QStringLiteral("narrow.png"));
        QImage picture(240, 160, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        if (!picture.save(narrow)) return nullptr;
        f.state().HyoujiFlag = 0;
        if (!loadChosenPicture(f, narrow).built()) return nullptr;
      }
      if (window.contains("play") || window.contains("pause") || window.contains("finished")) played_->start(true);
      if (window == "main, paused") f.Pause_Click();
      if (window == "main, shuffling notice") f.showWaitNotice(true);
      if (window == "main, finished picture") {
        f.state().HyoujiFlag = 1;
        f.XX2_Click();
      }
      f.inPlay().tickClock();
      f.ArrangeWindow();  // sized as it is once the window system has framed it
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
    changed_.reset();
    platform::setScreenOverride(0, 0, QRect());
  }

  void windowsHoldTheirTexts_data() {
    // The design's size of each window (the main window's outer size with the
    // built-in picture), kept exactly in Japanese; none for the windows that
    // size themselves to their contents.
    QTest::addColumn<QString>("window");
    QTest::addColumn<QSize>("design");
    QTest::addColumn<Language>("language");
    QTest::addColumn<double>("scale");
    const struct {
      const char* window;
      QSize design;
      bool fixedPlaces = false;  // laid out at fixed positions: also tried with texts on two lines
    } windows[] = {{"settings", QSize(346, 205), true},
                   {"about", QSize(233, 157), true},
                   {"main, idle", QSize(436, 355)},
                   {"main, shuffling notice", QSize(436, 355)},
                   {"main, in play", QSize(436, 355)},
                   {"main, paused", QSize(436, 355)},
                   {"main, finished picture", QSize(854, 395)},
                   {"main, narrow picture, in play", QSize()},
                   {"records", QSize()},
                   {"help search", QSize()},
                   {"picture preview", QSize()}};
    for (const auto& w : windows) {
      QTest::addRow("%s, Japanese", w.window) << w.window << w.design << Language::Japanese << 1.0;
      QTest::addRow("%s, English", w.window) << w.window << w.design << Language::English << 1.0;
      QTest::addRow("%s, longer texts", w.window) << w.window << w.design << Language::Longer << 1.0;
      if (w.fixedPlaces) QTest::addRow("%s, two lines", w.window) << w.window << w.design << Language::TwoLines << 1.0;
    }
    // Scaled screens measure in logical pixels: the same sizes, the same room.
    for (const double scale : {1.5, 2.0}) {
      const int percent = int(scale * 100);
      QTest::addRow("main, in play, Japanese, %d %%", percent)
          << "main, in play" << QSize(436, 355) << Language::Japanese << scale;
      QTest::addRow("main, finished picture, English, %d %%", percent)
          << "main, finished picture" << QSize(854, 395) << Language::English << scale;
      QTest::addRow("main, narrow picture, in play, Japanese, %d %%", percent)
          << "main, narrow picture, in play" << QSize() << Language::Japanese << scale;
      QTest::addRow("settings, Japanese, %d %%", percent)
          << "settings" << QSize(346, 205) << Language::Japanese << scale;
    }
  }

  void windowsHoldTheirTexts() {
    QFETCH(QString, window);
    QFETCH(QSize, design);
    QFETCH(Language, language);
    QFETCH(double, scale);
    if (const QString child = testsupport::runRowAtScale(scale); child != QLatin1String("ran here")) {
      QVERIFY2(child.isEmpty(), qPrintable(child));
      return;
    }
    const bool japanese = language == Language::Japanese;
    // Without Qt's own Japanese texts the program's are still Japanese.
    const bool loaded =
        platform::setUpUi(*qApp, japanese ? platform::UiLanguage::Japanese : platform::UiLanguage::English);
    QVERIFY(loaded || japanese);
    if (language == Language::Longer || language == Language::TwoLines) {
      changed_ = std::make_unique<ChangedEnglish>(language);
      QVERIFY(changed_->loaded);
      QCoreApplication::installTranslator(changed_.get());
    }
    QWidget* shown = open(window);
    QVERIFY(shown);
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const QStringList problems = textProblems(shown);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    if (!design.isValid()) return;
    // The main window's design size is its outer one, frame included.
    const QSize size = qobject_cast<Form1*>(shown) ? shown->frameGeometry().size() : shown->size();
    if (japanese)
      QCOMPARE(size, design);
    else
      QVERIFY2(size.width() >= design.width() && size.height() >= design.height(),
               qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
  }
};

QTEST_MAIN(TextsFitTest)
#include "tst_textsfit.moc"
