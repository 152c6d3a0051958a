// The player's hands on the real window: drags of the floating piece and of the
// finished-picture view with a second button pressed or held, a drag whose
// release never arrived, and play keys struck during a drag. After each, the
// grids, the board's drawing and the floating piece must agree, and only the
// dragging button's release may drop.
#include <QStyleHints>
#include <QtTest>

#include "core/Geometry.h"
#include "interaction/KeyboardPlay.h"
#include "persistence/PlayOptions.h"
#include "platform/ManualDrag.h"
#include "support/PlayedWindow.h"

using namespace quavinto;
using testsupport::PlayedWindow;
using testsupport::windowBoardProblem;

namespace {

struct Cells {
  int16_t mapA, mapB, rmapA, rmapB;
};

}  // namespace

class PointerPlayTest : public QObject {
  Q_OBJECT

  std::unique_ptr<PlayedWindow> w_;
  QTemporaryDir config_;
  Form1& f() { return w_->form(); }
  GameState& g() { return w_->state(); }

  Cells cells(QPoint a, QPoint b) {
    return {g().Map[a.x()][a.y()], g().Map[b.x()][b.y()], g().RMap[a.x()][a.y()], g().RMap[b.x()][b.y()]};
  }

  // The pieces of cells a and b exchanged, each with its look.
  void checkExchanged(QPoint a, QPoint b, const Cells& before) {
    QCOMPARE(g().Map[a.x()][a.y()], before.mapB);
    QCOMPARE(g().Map[b.x()][b.y()], before.mapA);
    QCOMPARE(g().RMap[a.x()][a.y()], before.rmapB);
    QCOMPARE(g().RMap[b.x()][b.y()], before.rmapA);
    QCOMPARE(windowBoardProblem(f()), QString());
  }

 private slots:
  // The click-to-pick-up choice is written to a configuration folder of this
  // suite's own: suites running beside it read the shared one, and a window
  // of theirs must not start with a click lifting pieces.
  void initTestCase() {
    QVERIFY(config_.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
  }
  void init() {
    w_ = std::make_unique<PlayedWindow>(36000.0);
    w_->open(4, 4);
    w_->start(true);
    QCOMPARE(int(g().GameRunning), 1);
  }
  void cleanup() {
    platform::cancelDrag();
    w_.reset();
    QFile::remove(playOptionsFile());
    platform::setClickToLift(false);
  }

  void secondButtonDuringAPieceDrag_data() {
    QTest::addColumn<bool>("otherHeldFirst");
    QTest::newRow("right pressed and released while dragging") << false;
    QTest::newRow("right held before the left press") << true;
  }

  // A right press while the left button drags a piece neither turns the piece
  // under the pointer nor ends the drag; the left release makes the exchange.
  void secondButtonDuringAPieceDrag() {
    QFETCH(bool, otherHeldFirst);
    const QPoint a(2, 2), b(3, 4);
    const QPoint at = w_->cellCentre(a.x(), a.y()), to = w_->cellCentre(b.x(), b.y());
    if (otherHeldFirst) QTest::mousePress(f().Picture1, Qt::RightButton, {}, at);  // turns a, no game rule against it
    const Cells before = cells(a, b);
    QTest::mousePress(f().Picture1, Qt::LeftButton, {}, at);
    QVERIFY(platform::dragInProgress());
    QTest::mouseMove(f().Picture1, to);
    if (!otherHeldFirst) QTest::mousePress(f().Picture1, Qt::RightButton, {}, to);
    QTest::mouseRelease(f().Picture1, Qt::RightButton, {}, otherHeldFirst ? at : to);
    QVERIFY2(platform::dragInProgress(), "the other button's release ended the drag");
    QCOMPARE(g().Map[b.x()][b.y()], before.mapB);
    QCOMPARE(g().RMap[b.x()][b.y()], before.rmapB);
    QTest::mouseRelease(f().Picture1, Qt::LeftButton, {}, to);
    QVERIFY(!platform::dragInProgress());
    checkExchanged(a, b, before);
  }

  // The view dragged with the left button stays put through a right press and
  // release, and lands where the left button lets it go.
  void secondButtonDuringAViewDrag_data() {
    QTest::addColumn<bool>("clickToPickUp");
    QTest::newRow("click to pick up off") << false;
    QTest::newRow("on: the view is never lifted") << true;
  }
  void secondButtonDuringAViewDrag() {
    QFETCH(bool, clickToPickUp);
    platform::setClickToLift(clickToPickUp);
    g().HyoujiFlag = 1;
    f().ArrangeWindow();
    const QPoint start = f().Picture3->pos();
    QTest::mousePress(f().Image1, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mousePress(f().Image1, Qt::RightButton, {}, QPoint(20, 15));
    QTest::mouseRelease(f().Image1, Qt::RightButton, {}, QPoint(20, 15));
    QCOMPARE(f().Picture3->pos(), start);
    QVERIFY(platform::dragInProgress());
    QTest::mouseRelease(f().Image1, Qt::LeftButton, {}, QPoint(16, 13));
    QCOMPARE(f().Picture3->pos(), start + QPoint(6, 3));
  }

  // The finished-picture view moves with a finger as with the mouse, and a
  // tap on it lifts nothing.
  void viewMovesWithAFinger() {
    g().HyoujiFlag = 1;
    f().ArrangeWindow();
    static QPointingDevice* touch = QTest::createTouchDevice();
    const QPoint start = f().Picture3->pos();
    const QPoint at = f().Image1->mapTo(f().window(), QPoint(10, 10));
    QTest::touchEvent(f().window(), touch).press(0, at);
    QTest::touchEvent(f().window(), touch).move(0, at + QPoint(15, 8));
    QTest::touchEvent(f().window(), touch).release(0, at + QPoint(30, 16));
    QVERIFY(!platform::dragInProgress());
    QCOMPARE(f().Picture3->pos(), start + QPoint(30, 16));
    QTest::touchEvent(f().window(), touch).press(0, at + QPoint(30, 16));
    QTest::touchEvent(f().window(), touch).release(0, at + QPoint(30, 16));
    QVERIFY2(!platform::dragInProgress(), "a tap lifted the view");
    QCOMPARE(f().Picture3->pos(), start + QPoint(30, 16));
  }

  void keysDuringAPieceDrag_data() {
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("space") << Qt::Key_Space << Qt::KeyboardModifiers();
    QTest::newRow("enter") << Qt::Key_Return << Qt::KeyboardModifiers();
    QTest::newRow("R") << Qt::Key_R << Qt::KeyboardModifiers();
    QTest::newRow("arrow") << Qt::Key_Right << Qt::KeyboardModifiers();
    QTest::newRow("undo") << Qt::Key_Z << Qt::KeyboardModifiers(Qt::ControlModifier);
  }

  // A play key struck while the pointer drags a piece picks up or turns no
  // other piece, moves no focus cell and takes no move back: the release
  // exchanges the dragged piece, nothing else moved.
  void keysDuringAPieceDrag() {
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    const QPoint a(3, 2), b(2, 4);
    QTest::mouseClick(f().Picture1, Qt::RightButton, {}, w_->cellCentre(1, 1));  // a move to take back
    const GameState before = g();
    const QPoint focus(f().keys->focusColumn(), f().keys->focusRow());
    const QPoint to = w_->cellCentre(b.x(), b.y());
    QTest::mousePress(f().Picture1, Qt::LeftButton, {}, w_->cellCentre(a.x(), a.y()));
    QTest::keyClick(f().Picture1, key, modifiers);
    QCOMPARE(QPoint(f().keys->focusColumn(), f().keys->focusRow()), focus);
    QTest::mouseMove(f().Picture1, to);
    QTest::mouseRelease(f().Picture1, Qt::LeftButton, {}, to);
    checkExchanged(
        a, b,
        {before.Map[a.x()][a.y()], before.Map[b.x()][b.y()], before.RMap[a.x()][a.y()], before.RMap[b.x()][b.y()]});
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col)
        if (QPoint(col, row) != a && QPoint(col, row) != b) {
          QCOMPARE(g().Map[col][row], before.Map[col][row]);
          QCOMPARE(g().RMap[col][row], before.RMap[col][row]);
        }
  }

  // Click to pick up, as rows of steps on cells a and b: P press, R release,
  // M move (left button held or not), C right click, E Escape, T a tap on a
  // touch screen, L a long press there. With the toggle off nothing of the
  // design's drag changes; with it on a click lifts, the next press drops,
  // and Escape, a right click (which turns nothing) or a press on the piece's
  // own cell put it back. On a touch screen a tap lifts whatever the toggle
  // says, and a long press turns the piece held.
  void clickToPickUp_data() {
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("on: click, click another cell") << true << "Pa Ra Mb Pb Rb"
                                                   << "exchanged";
    QTest::newRow("on: click, Escape") << true << "Pa Ra Mb E"
                                       << "unchanged";
    QTest::newRow("on: click, right click") << true << "Pa Ra Mb Cb"
                                            << "unchanged";
    QTest::newRow("on: click, click its own cell") << true << "Pa Ra Pa Ra"
                                                   << "unchanged";
    QTest::newRow("on: a drag is a drag") << true << "Pa Mb Rb"
                                          << "exchanged";
    QTest::newRow("off: a drag is a drag") << false << "Pa Mb Rb"
                                           << "exchanged";
    QTest::newRow("off: a click drops where it took") << false << "Pa Ra Mb Pb Rb"
                                                      << "unchanged";
    QTest::newRow("off: tap, tap another cell") << false << "Ta Tb"
                                                << "exchanged";
    QTest::newRow("off: long press") << false << "La"
                                     << "turned";
    QTest::newRow("on: long press") << true << "La"
                                    << "turned";
  }
  void clickToPickUp() {
    QFETCH(bool, toggle);
    QFETCH(QString, steps);
    QFETCH(QString, outcome);
    f().ClickToPickUp->setChecked(toggle);
    f().ClickToPickUp_Click();
    const QPoint a(2, 2), b(3, 4);
    const Cells before = cells(a, b);
    const GameState start = g();
    static QPointingDevice* touch = QTest::createTouchDevice();
    const QStringList list = steps.split(' ');
    for (qsizetype i = 0; i < list.size(); ++i) {
      const QString& step = list[i];
      const QPoint cell = step.endsWith('a') ? a : b;
      const QPoint at = w_->cellCentre(cell.x(), cell.y());
      switch (step.at(0).toLatin1()) {
        case 'P':
          QTest::mousePress(f().Picture1, Qt::LeftButton, {}, at);
          break;
        case 'R':
          QTest::mouseRelease(f().Picture1, Qt::LeftButton, {}, at);
          break;
        case 'M':
          QTest::mouseMove(f().Picture1, at);
          break;
        case 'C':
          QTest::mouseClick(f().Picture1, Qt::RightButton, {}, at);
          break;
        case 'E':
          QTest::keyClick(f().Picture1, Qt::Key_Escape);
          break;
        case 'T':
        case 'L': {
          const QPoint inWindow = f().Picture1->mapTo(f().window(), at);
          QTest::touchEvent(f().window(), touch).press(0, inWindow);
          if (step.at(0) == 'L') QTest::qWait(QGuiApplication::styleHints()->mousePressAndHoldInterval() + 200);
          QTest::touchEvent(f().window(), touch).release(0, inWindow);
          break;
        }
      }
      // Between the click that lifts and the press that drops, the piece is
      // lifted: a drag in progress that no release ends.
      if (toggle && i == 1 && steps.startsWith(QLatin1String("Pa Ra"))) {
        QVERIFY2(platform::pieceLifted(), "a click did not lift the piece");
        QCOMPARE(f().Picture1->accessibleDescription(), QStringLiteral(u"列 2、行 2 のピースを持ち上げ中"));
      }
    }
    QVERIFY2(!platform::dragInProgress(), "the piece is still in hand");
    if (outcome == QLatin1String("exchanged")) {
      checkExchanged(a, b, before);
    } else if (outcome == QLatin1String("turned")) {
      QCOMPARE(g().Map, start.Map);
      QCOMPARE(g().RMap[a.x()][a.y()], int16_t(1 - start.RMap[a.x()][a.y()]));
      QCOMPARE(windowBoardProblem(f()), QString());
    } else {
      QCOMPARE(g().Map, start.Map);
      QCOMPARE(g().RMap, start.RMap);  // the right click put the piece back and turned nothing
      QCOMPARE(windowBoardProblem(f()), QString());
    }
    QCOMPARE(readPlayOptions().clickToPickUp, toggle);
    // The next window starts with the choice as the player left it.
    platform::setClickToLift(!toggle);
    Form1 next;
    QCOMPARE(next.ClickToPickUp->isChecked(), toggle);
    QCOMPARE(platform::clickToLift(), toggle);
  }

  void lostReleaseEndsAtTheNextPress_data() {
    QTest::addColumn<Qt::MouseButton>("next");
    QTest::newRow("left press and drag") << Qt::LeftButton;
    QTest::newRow("right click") << Qt::RightButton;
  }

  // A drag whose release went to another program ends, without a drop, at the
  // next press, and that press plays as usual: a left press picks up its cell,
  // a right click turns its piece.
  void lostReleaseEndsAtTheNextPress() {
    QFETCH(Qt::MouseButton, next);
    const QPoint a(2, 1), b(4, 3), c(1, 4);
    QTest::mousePress(f().Picture1, Qt::LeftButton, {}, w_->cellCentre(a.x(), a.y()));
    QVERIFY(platform::dragInProgress());
    // The left button came up outside the program: no release reached it.
    QTestPrivate::qtestMouseButtons = Qt::NoButton;
    const GameState before = g();
    QTest::mousePress(f().Picture1, next, {}, w_->cellCentre(b.x(), b.y()));
    if (next == Qt::LeftButton) {
      QCOMPARE(f().Picture2->pos(), QPoint(f().vars().PieceWidth * 3, f().vars().PieceHeight * 2));
      QTest::mouseRelease(f().Picture1, next, {}, w_->cellCentre(c.x(), c.y()));
      checkExchanged(
          b, c,
          {before.Map[b.x()][b.y()], before.Map[c.x()][c.y()], before.RMap[b.x()][b.y()], before.RMap[c.x()][c.y()]});
    } else {
      QTest::mouseRelease(f().Picture1, next, {}, w_->cellCentre(b.x(), b.y()));
      QVERIFY(!platform::dragInProgress());
      QCOMPARE(g().RMap[b.x()][b.y()], int16_t(1 - before.RMap[b.x()][b.y()]));
      QCOMPARE(g().Map, before.Map);
      QCOMPARE(windowBoardProblem(f()), QString());
    }
  }
};

QTEST_MAIN(PointerPlayTest)
#include "tst_pointerplay.moc"
