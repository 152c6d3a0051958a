// The about box and the diagnostics window it leads to: one box at a time,
// its texts and layout, the hidden gesture, and the printed grids.
#include "platform/Screen.h"
#include "shell/Form3.h"
#include "shell/Form4.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using quavinto::Form3;
using quavinto::Form4;
using quavinto::GameState;

namespace {

template <typename T>
QList<T*> openWindows() {
  QList<T*> found;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) found.append(t);
  return found;
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// True when some pixel of the band of rows is lighter than dark grey.
bool hasTextIn(const QImage& image, int top, int bottom) {
  for (int y = std::max(0, top); y < std::min(image.height(), bottom); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) > 96) return true;
  return false;
}

}  // namespace

Q_DECLARE_METATYPE(Qt::MouseButton)
Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

class AboutBoxTest : public QObject {
  Q_OBJECT
private slots:
  void init() { platform::setScreenOverride(15, 15, QRect(0, 0, 1024, 768)); }
  void cleanup() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (!w->parentWidget()) delete w;
    platform::setScreenOverride(0, 0, QRect());
  }

  void aboutBoxShowsNameAndVersion();
  void showingAgainRaisesTheOpenBox();
  void okClosesAndDeletesTheBox();
  void aboutLayoutFollowsDesign_data();
  void aboutLayoutFollowsDesign();
  void iconShownAtItsSize();
  void gestureOnNotice_data();
  void gestureOnNotice();
  void diagnosticsOutlivesTheAboutBoxNotItsOwner();

  void printsTheGrids_data();
  void printsTheGrids();
  void wideGridsAreCutOffNotWrapped();
  void rightClickReprintsLeftClickCloses();
  void diagnosticsCaptionAndLook();
};

void AboutBoxTest::aboutBoxShowsNameAndVersion() {
  GameState gs = testsupport::solvedState(5, 5);
  Form3* box = Form3::showAbout(gs, nullptr);
  QVERIFY(box);
  QCOMPARE(box->windowTitle(), QStringLiteral("QUAVINTO"));
  QVERIFY(!box->isModal());
  QCOMPARE(box->Label1->text(), QStringLiteral(u"ＱＵＡＶＩＮＴＯ(Ver 2.02)"));
  QVERIFY(box->Label1->font().bold());
  QCOMPARE(box->Label2[1]->text(), QStringLiteral(u"32Bit Version"));
  QCOMPARE(box->Label2[0]->text().count(QLatin1Char('\n')), 1);
  QCOMPARE(box->Command1->text(), QStringLiteral("OK"));
  QCOMPARE(box->size(), QSize(233, 157));
  QVERIFY(!(box->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
  // The labels show the box's own light-cyan background.
  const QImage shot = box->grab().toImage();
  QCOMPARE(QColor(shot.pixel(box->Label2[1]->geometry().topLeft() + QPoint(1, 1))), QColor(192, 255, 255));
  QCOMPARE(QColor(shot.pixel(3, 3)), QColor(192, 255, 255));
}

void AboutBoxTest::showingAgainRaisesTheOpenBox() {
  GameState gs = testsupport::solvedState(5, 5);
  QWidget owner;
  Form3* first = Form3::showAbout(gs, &owner);
  Form3* second = Form3::showAbout(gs, &owner);
  QCOMPARE(first, second);
  QCOMPARE(openWindows<Form3>().size(), 1);

  // Once closed, the next command opens a fresh box.
  QPointer<Form3> closed = first;
  first->close();
  flushDeletes();
  QVERIFY(closed.isNull());
  Form3* third = Form3::showAbout(gs, &owner);
  QVERIFY(third);
  QCOMPARE(openWindows<Form3>().size(), 1);
}

void AboutBoxTest::okClosesAndDeletesTheBox() {
  GameState gs = testsupport::solvedState(5, 5);
  QPointer<Form3> box = Form3::showAbout(gs, nullptr);
  QTest::mouseClick(box->Command1, Qt::LeftButton);
  QVERIFY(!box->isVisible());
  flushDeletes();
  QVERIFY(box.isNull());

  box = Form3::showAbout(gs, nullptr);
  QTest::keyClick(box, Qt::Key_Escape);
  flushDeletes();
  QVERIFY(box.isNull());
}

void AboutBoxTest::aboutLayoutFollowsDesign_data() {
  QTest::addColumn<int>("control");
  QTest::addColumn<QRect>("pixels");
  QTest::newRow("Label1") << 0 << QRect(27, 20, 193, 17);
  QTest::newRow("Label2(0)") << 1 << QRect(28, 76, 181, 41);
  QTest::newRow("Shape1") << 2 << QRect(16, 13, 212, 52);
  // The notice's frame lines up with the name's.
  QTest::newRow("Shape2") << 5 << QRect(16, 68, 212, 52);
  // The icon keeps its own 32 x 32 pixels from the design's corner.
  QTest::newRow("Image1") << 3 << QRect(16, 124, 32, 32);
  QTest::newRow("Command1") << 4 << QRect(116, 128, 105, 21);
}

void AboutBoxTest::aboutLayoutFollowsDesign() {
  QFETCH(int, control);
  GameState gs;
  Form3 box(gs, nullptr);
  QWidget* controls[] = {box.Label1, box.Label2[0], box.Shape1, box.Image1, box.Command1, box.Shape2};
  QTEST(controls[control]->geometry(), "pixels");
  QVERIFY(box.rect().contains(controls[control]->geometry()));
}

void AboutBoxTest::iconShownAtItsSize() {
  GameState gs;
  Form3 box(gs, nullptr);
  const QImage icon = QImage(QStringLiteral(":/icon.png")).convertToFormat(QImage::Format_ARGB32);
  QCOMPARE(icon.size(), QSize(32, 32));
  const QImage shown = box.Image1->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  QCOMPARE(shown.size(), icon.size());
  for (int y = 0; y < icon.height(); ++y)
    for (int x = 0; x < icon.width(); ++x)
      if (qAlpha(icon.pixel(x, y)) == 255) QCOMPARE(shown.pixel(x, y), icon.pixel(x, y));
}

void AboutBoxTest::gestureOnNotice_data() {
  QTest::addColumn<int>("label");
  QTest::addColumn<Qt::MouseButton>("button");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<bool>("opens");
  const auto ctrlShift = Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier);
  QTest::newRow("notice, right, Ctrl+Shift") << 0 << Qt::RightButton << ctrlShift << true;
  QTest::newRow("notice, right, no keys") << 0 << Qt::RightButton << Qt::KeyboardModifiers() << false;
  QTest::newRow("notice, right, Ctrl") << 0 << Qt::RightButton << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
  QTest::newRow("notice, right, Shift") << 0 << Qt::RightButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
  QTest::newRow("notice, right, Ctrl+Shift+Alt")
      << 0 << Qt::RightButton << Qt::KeyboardModifiers(ctrlShift | Qt::AltModifier) << false;
  QTest::newRow("notice, left, Ctrl+Shift") << 0 << Qt::LeftButton << ctrlShift << false;
  QTest::newRow("notice, middle, Ctrl+Shift") << 0 << Qt::MiddleButton << ctrlShift << false;
  QTest::newRow("edition, right, Ctrl+Shift") << 1 << Qt::RightButton << ctrlShift << false;
}

void AboutBoxTest::gestureOnNotice() {
  QFETCH(int, label);
  QFETCH(Qt::MouseButton, button);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(bool, opens);
  GameState gs = testsupport::solvedState(3, 2);
  QWidget owner;
  QPointer<Form3> box = Form3::showAbout(gs, &owner);
  QTest::mousePress(box->Label2[label], button, modifiers, QPoint(5, 5));
  flushDeletes();
  const QList<Form4*> diagnostics = openWindows<Form4>();
  QCOMPARE(diagnostics.size(), opens ? 1 : 0);
  QCOMPARE(box.isNull(), opens);
  if (opens) {
    QVERIFY(!diagnostics[0]->isModal());
    QCOMPARE(diagnostics[0]->printedLines().value(1), QStringLiteral("001 002 003 "));
  }
}

void AboutBoxTest::diagnosticsOutlivesTheAboutBoxNotItsOwner() {
  GameState gs = testsupport::solvedState(3, 2);
  auto* owner = new QWidget;
  Form3* box = Form3::showAbout(gs, owner);
  box->Label2_MouseDown(0, 2, 3);
  flushDeletes();
  QList<Form4*> open = openWindows<Form4>();
  QCOMPARE(open.size(), 1);
  QPointer<Form4> diagnostics = open[0];
  // The window that holds the game takes its diagnostics window with it, so
  // nothing is left reading a record that no longer exists.
  delete owner;
  QVERIFY(diagnostics.isNull());
}

void AboutBoxTest::printsTheGrids_data() {
  QTest::addColumn<int>("xn");
  QTest::addColumn<int>("yn");
  QTest::addColumn<QStringList>("changes");  // "M col row value" or "R col row value"
  QTest::addColumn<QStringList>("lines");
  const QString pos = QStringLiteral("About Position");
  const QString rev = QStringLiteral("About Reverse(0:Normal 1:Reverse)");
  QTest::newRow("3x2 solved") << 3 << 2 << QStringList()
                              << QStringList{pos,          "001 002 003 ", "004 005 006 ", "",
                                             rev,          "000 000 000 ", "000 000 000 "};
  QTest::newRow("1x1") << 1 << 1 << QStringList() << QStringList{pos, "001 ", "", rev, "000 "};
  QTest::newRow("exchanged and reversed")
      << 2 << 2 << QStringList{"M 1 1 4", "M 2 2 1", "R 2 2 1"}
      << QStringList{pos, "004 002 ", "003 001 ", "", rev, "000 000 ", "000 001 "};
  QTest::newRow("three digits and more")
      << 2 << 1 << QStringList{"M 1 1 900", "M 2 1 1234"} << QStringList{pos, "900 1234 ", "", rev, "000 000 "};
  QTest::newRow("no board") << 0 << 0 << QStringList() << QStringList{pos, "", rev};
}

void AboutBoxTest::printsTheGrids() {
  QFETCH(int, xn);
  QFETCH(int, yn);
  QFETCH(QStringList, changes);
  GameState gs = testsupport::solvedState(xn, yn);
  for (const QString& change : changes) {
    const QStringList f = change.split(QLatin1Char(' '));
    quavinto::Grid& grid = f[0] == QLatin1String("M") ? gs.Map : gs.RMap;
    grid[f[1].toInt()][f[2].toInt()] = int16_t(f[3].toInt());
  }
  Form4 window(gs);
  QTEST(window.printedLines(), "lines");
}

void AboutBoxTest::wideGridsAreCutOffNotWrapped() {
  GameState gs = testsupport::solvedState(30, 30);
  Form4 window(gs);
  const QStringList lines = window.printedLines();
  QCOMPARE(lines.size(), 1 + 30 + 1 + 1 + 30);
  for (int row = 1; row <= 30; ++row) {
    QCOMPARE(lines[row].size(), 120);
    QCOMPARE(lines[row].split(QLatin1Char(' '), Qt::SkipEmptyParts).size(), 30);
  }
  QCOMPARE(lines[30].right(8), QStringLiteral("899 900 "));
  // The window keeps its size: the rows run past its edge instead of wrapping.
  QCOMPARE(window.size(), QSize(354, 214));
  QVERIFY(QFontMetrics(window.font()).horizontalAdvance(lines[1]) > window.width());
}

void AboutBoxTest::rightClickReprintsLeftClickCloses() {
  GameState gs = testsupport::solvedState(3, 2);
  QPointer<Form4> window = new Form4(gs);
  window->show();
  const QStringList before = window->printedLines();

  // What was printed is a snapshot until the next right click.
  gs.RMap[2][1] = 1;
  std::swap(gs.Map[1][1], gs.Map[3][2]);
  QCOMPARE(window->printedLines(), before);
  QTest::mouseClick(window, Qt::MiddleButton);
  QCOMPARE(window->printedLines(), before);
  QTest::mouseClick(window, Qt::RightButton);
  QCOMPARE(window->printedLines().value(1), QStringLiteral("006 002 003 "));
  QCOMPARE(window->printedLines().value(5), QStringLiteral("000 001 000 "));
  QCOMPARE(window->printedLines().size(), before.size());

  QTest::mouseClick(window, Qt::LeftButton);
  flushDeletes();
  QVERIFY(window.isNull());
}

void AboutBoxTest::diagnosticsCaptionAndLook() {
  GameState gs = testsupport::solvedState(3, 2);
  Form4 window(gs);
  QCOMPARE(window.windowTitle(), QStringLiteral(u"QUAVINTO(終了:左ClicK 再表示:右Click) "));
  QVERIFY(window.font().bold());
  const QStringList serifs = {"Times New Roman", "Liberation Serif", "DejaVu Serif", "IPAMincho"};
  QVERIFY2(serifs.contains(window.fontInfo().family()), qPrintable(window.fontInfo().family()));
  // Seven printed lines in white on black, then black below them.
  const QImage shot = window.grab().toImage();
  const int line = QFontMetrics(window.font()).height();
  QVERIFY(hasTextIn(shot, 0, line));
  QVERIFY(hasTextIn(shot, 6 * line, 7 * line));
  QVERIFY(!hasTextIn(shot, 3 * line, 4 * line));  // the empty line
  QVERIFY(!hasTextIn(shot, 7 * line + 1, shot.height()));
  QCOMPARE(QColor(shot.pixel(shot.width() - 1, shot.height() - 1)), QColor(Qt::black));
  // The drawing is kept: a repaint of the window shows the same text.
  window.repaint();
  QCOMPARE(window.grab().toImage(), shot);
}

QTEST_MAIN(AboutBoxTest)
#include "tst_aboutbox.moc"
