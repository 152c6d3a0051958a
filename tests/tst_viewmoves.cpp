// Moving the finished-picture view with the mouse: drops on its own image, on
// the window's background, on the board and on the floating piece.
#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "interaction/ViewMoves.h"
#include "shell/Form1.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QtTest>

using namespace quavinto;

class ViewMovesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;
  std::unique_ptr<Form1> f_;

  // Presses on the view's image at `grab` (image pixels) and releases over
  // `target` at `at` (target pixels), moving the pointer there first.
  void dragView(QPoint grab, QWidget* target, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(f_->Image1, button, {}, grab);
    QTest::mouseMove(target, at);
    QTest::mouseRelease(target, button, {}, at);
  }

  void checkCaption() {
    const QRect view = f_->Picture3->geometry();
    const QRect caption = f_->Label1_0->geometry();
    QCOMPARE(caption.bottom() + 1, view.top());
    QVERIFY(std::abs((caption.left() + caption.width() / 2.0) - (view.left() + view.width() / 2.0)) <= 1.0);
  }

private slots:
  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
    f_ = std::make_unique<Form1>();
    f_->state().HyoujiFlag = 1;
    f_->ResetView();
    f_->XX4_Click();  // a quarter: 190 x 128, small enough to drop wholly on the board
    f_->show();
    QVERIFY(QTest::qWaitForWindowExposed(f_.get()));
  }
  void cleanup() {
    f_.reset();
    boxes_.reset();
    settings_.reset();
  }

  void pressAndReleaseInPlace() {
    const QPoint before = f_->Picture3->pos();
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
      dragView(QPoint(30, 20), f_->Image1, QPoint(30, 20), button);
      QCOMPARE(f_->Picture3->pos(), before);
    }
    checkCaption();
  }

  void everyButtonDragsTheView_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
  }

  void everyButtonDragsTheView() {
    // Whichever button presses the image, the view follows the pointer: once
    // across its own image, once onto the window's background.
    QFETCH(Qt::MouseButton, button);
    const QPoint before = f_->Picture3->pos();
    dragView(QPoint(30, 20), f_->Image1, QPoint(45, 31), button);
    QCOMPARE(f_->Picture3->pos(), before + QPoint(15, 11));
    const QPoint at = f_->Picture1->pos() + QPoint(500, 300);
    QVERIFY(!f_->Client->childAt(at));
    dragView(QPoint(10, 8), f_->Client, at, button);
    QCOMPARE(f_->Picture3->pos(), at - QPoint(10, 8));
    checkCaption();
  }

  void dropOnOwnImageShiftsByTravel() {
    const QPoint before = f_->Picture3->pos();
    dragView(QPoint(30, 20), f_->Image1, QPoint(50, 27));
    QCOMPARE(f_->Picture3->pos(), before + QPoint(20, 7));
    QCOMPARE(int(f_->vars().GrabX), 30);
    QCOMPARE(int(f_->vars().GrabY), 20);
    checkCaption();
  }

  void dropOnBackground_data() {
    QTest::addColumn<QPoint>("drop");  // relative to the board's top-left corner
    QTest::addColumn<QPoint>("shift");
    QTest::newRow("corner, 4 px") << QPoint(-4, -4) << QPoint(10, 10);
    QTest::newRow("5 px across") << QPoint(-5, -2) << QPoint(0, 0);
    QTest::newRow("5 px down") << QPoint(-2, -5) << QPoint(0, 0);
    QTest::newRow("far") << QPoint(500, 300) << QPoint(0, 0);
  }

  void dropOnBackground() {
    QFETCH(QPoint, drop);
    QFETCH(QPoint, shift);
    const QPoint at = f_->Picture1->pos() + drop;
    QVERIFY(!f_->Client->childAt(at));
    dragView(QPoint(10, 8), f_->Client, at);
    QCOMPARE(f_->Picture3->pos(), at + shift - QPoint(10, 8));
    checkCaption();
  }

  void dropOnBoard_data() {
    QTest::addColumn<QPoint>("offset");  // proposed view position relative to the board
    QTest::addColumn<bool>("pushed");
    const QSize board(380, 255), view(190, 128);
    QTest::newRow("inside") << QPoint(40, 40) << true;
    QTest::newRow("9 px out left") << QPoint(-9, 40) << true;
    QTest::newRow("10 px out left") << QPoint(-10, 40) << false;
    QTest::newRow("9 px out top") << QPoint(40, -9) << true;
    QTest::newRow("10 px out top") << QPoint(40, -10) << false;
    QTest::newRow("9 px out right") << QPoint(board.width() - view.width() + 9, 20) << true;
    QTest::newRow("10 px out right") << QPoint(board.width() - view.width() + 10, 20) << false;
    QTest::newRow("9 px out bottom") << QPoint(20, board.height() - view.height() + 9) << true;
    QTest::newRow("10 px out bottom") << QPoint(20, board.height() - view.height() + 10) << false;
  }

  void dropOnBoard() {
    QFETCH(QPoint, offset);
    QFETCH(bool, pushed);
    QCOMPARE(f_->Picture3->size(), QSize(190, 128));
    const QPoint grab(20, 30);
    const QRect board = f_->Picture1->geometry();
    dragView(grab, f_->Picture1, offset + grab);
    if (pushed)
      QCOMPARE(f_->Picture3->geometry().bottomRight() + QPoint(1, 1), board.bottomRight() + QPoint(11, 11));
    else
      QCOMPARE(f_->Picture3->pos(), board.topLeft() + offset);
    checkCaption();
  }

  void dropOnBoardDuringGameChecksCompletionOnce() {
    f_->state().Xn = 2;
    f_->state().Yn = 1;
    f_->ResetView();
    boxes_->answer(platform::vbYes);
    f_->GStart->trigger();
    InitMap(f_->state());
    f_->state().RMap = Grid{};  // solved, but only a check announces it
    boxes_->shown.clear();
    dragView(QPoint(5, 5), f_->Picture1, QPoint(300, 10));
    QCOMPARE(boxes_->shown.size(), 2);  // the congratulation and the new record
    QVERIFY(boxes_->shown.first().text.startsWith(QStringLiteral(u"おめでとうございます。")));
  }

  void dropOnFloatingPieceNeverChecks() {
    f_->state().Xn = 2;
    f_->state().Yn = 1;
    f_->ResetView();
    boxes_->answer(platform::vbYes);
    f_->GStart->trigger();
    InitMap(f_->state());
    f_->state().RMap = Grid{};  // solved, but nothing checks until a piece moves
    boxes_->shown.clear();
    const QPoint onFloating(10, 10);
    const QPoint floating = f_->Picture2->pos();
    dragView(QPoint(5, 5), f_->Picture2, onFloating);
    QVERIFY(boxes_->shown.isEmpty());
    QCOMPARE(f_->state().GameRunning, int16_t(1));
    // Placed by the board rule at the same board point.
    const QPoint boardPoint = floating + onFloating;
    const QRect board = f_->Picture1->geometry();
    const QSize view = f_->Picture3->size();
    const int l = boardPoint.x() - 5, t = boardPoint.y() - 5;
    const bool inside = l > -10 && t > -10 && l + view.width() < board.width() + 10 && t + view.height() < board.height() + 10;
    QCOMPARE(f_->Picture3->pos(), inside ? board.topLeft() + QPoint(board.width() - view.width() + 10, board.height() - view.height() + 10)
                                         : board.topLeft() + QPoint(l, t));
  }

  void dropsElsewhereIgnored() {
    const QPoint before = f_->Picture3->pos();
    // Released over the caption, and outside the window.
    dragView(QPoint(5, 5), f_->Label1_0, QPoint(3, 3));
    QCOMPARE(f_->Picture3->pos(), before);
    dragView(QPoint(5, 5), f_->Client, QPoint(-50, -50));
    QCOMPARE(f_->Picture3->pos(), before);
  }
};

QTEST_MAIN(ViewMovesTest)
#include "tst_viewmoves.moc"
