// Playing by keyboard: a whole game by keys alone, the same results as the
// mouse, keys ignored without a game, Escape, and the announced focus cell.
#include "core/GameFlow.h"
#include "interaction/KeyboardPlay.h"
#include "shell/Form1.h"
#include "support/TestSupport.h"

#include <QAccessible>
#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

using namespace quavinto;

class KeyboardTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;
  std::unique_ptr<testsupport::FakeClock> clock_;

  std::unique_ptr<Form1> open(int xn, int yn) {
    auto f = std::make_unique<Form1>();
    f->state().Xn = int16_t(xn);
    f->state().Yn = int16_t(yn);
    f->ResetView();
    f->show();
    f->activateWindow();
    if (!QTest::qWaitForWindowExposed(f.get())) return nullptr;
    return f;
  }

  static void key(Form1& f, Qt::Key k) { QTest::keyClick(f.Picture1, k); }

  static void goTo(Form1& f, int col, int row) {
    while (f.keys->focusColumn() > col) key(f, Qt::Key_Left);
    while (f.keys->focusColumn() < col) key(f, Qt::Key_Right);
    while (f.keys->focusRow() > row) key(f, Qt::Key_Up);
    while (f.keys->focusRow() < row) key(f, Qt::Key_Down);
  }

  static QString board(Form1& f) {
    const GameState& g = f.state();
    const MainVars& v = f.vars();
    const QPoint at = f.Picture2->pos();
    const int skipCol = g.GameRunning == 1 && at.x() >= 0 ? at.x() / v.PieceWidth + 1 : 0;
    const int skipRow = g.GameRunning == 1 && at.y() >= 0 ? at.y() / v.PieceHeight + 1 : 0;
    return testsupport::checkBoard(f.Picture1->retained(), f.Picture1->picture(), g, v, skipCol, skipRow);
  }

  void start(Form1& f, const std::vector<double>& draws) {
    testsupport::FakeRandom random(draws);
    boxes_->answer(platform::vbYes);
    f.GStart->trigger();
  }

private slots:
  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
    clock_ = std::make_unique<testsupport::FakeClock>(1000.0);
  }
  void cleanup() {
    clock_.reset();
    boxes_.reset();
    settings_.reset();
  }

  void wholeGameByKeys() {
    auto f = open(3, 2);
    QVERIFY(f);
    start(*f, {0.9, 0.1, 0.6, 0.3, 0.5, 0.2});
    QVERIFY(f->Picture1->hasFocus());
    QCOMPARE(f->keys->focusColumn(), 1);
    GameState& g = f->state();
    clock_->now = 1042.0;
    for (int row = 1; row <= g.Yn; ++row) {
      for (int col = 1; col <= g.Xn; ++col) {
        const int want = homePiece(g.Xn, col, row);
        if (g.Map[col][row] == want) continue;
        for (int r = 1; r <= g.Yn; ++r)
          for (int c = 1; c <= g.Xn; ++c)
            if (g.Map[c][r] == want) {
              goTo(*f, c, r);
              key(*f, Qt::Key_Space);
              QVERIFY(f->keys->holding());
              goTo(*f, col, row);
              key(*f, Qt::Key_Return);
              QVERIFY(!f->keys->holding());
              QCOMPARE(board(*f), QString());
            }
        QCOMPARE(int(g.Map[col][row]), want);
      }
    }
    for (int row = 1; row <= g.Yn; ++row)
      for (int col = 1; col <= g.Xn; ++col)
        if (g.RMap[col][row] == 1) {
          goTo(*f, col, row);
          key(*f, Qt::Key_R);
          if (g.GameRunning == 1) QCOMPARE(board(*f), QString());
        }
    QCOMPARE(g.GameRunning, int16_t(0));
    QVERIFY(boxes_->shown.at(boxes_->shown.size() - 2).text.endsWith(QStringLiteral(u"\r\n00時間00分42秒です。")));
    QCOMPARE(f->Picture1->retained(), f->Picture1->picture().copy(f->Picture1->rect()));
  }

  void keyboardAndMouseExchangeAgree() {
    const std::vector<double> draws{0.7, 0.2, 0.95, 0.4, 0.1, 0.55, 0.3, 0.8, 0.05, 0.6, 0.45, 0.35};
    auto byKeys = open(4, 3);
    QVERIFY(byKeys);
    start(*byKeys, draws);
    goTo(*byKeys, 2, 1);
    key(*byKeys, Qt::Key_Space);
    goTo(*byKeys, 3, 3);
    key(*byKeys, Qt::Key_Enter);
    goTo(*byKeys, 4, 2);
    key(*byKeys, Qt::Key_R);

    auto byMouse = open(4, 3);
    QVERIFY(byMouse);
    start(*byMouse, draws);
    const MainVars& v = byMouse->vars();
    const QPoint from(v.PieceWidth + 5, 5), to(2 * v.PieceWidth + 5, 2 * v.PieceHeight + 5);
    QTest::mousePress(byMouse->Picture1, Qt::LeftButton, {}, from);
    QTest::mouseMove(byMouse->Picture1, to);
    QTest::mouseRelease(byMouse->Picture1, Qt::LeftButton, {}, to);
    QTest::mouseClick(byMouse->Picture1, Qt::RightButton, {}, QPoint(3 * v.PieceWidth + 5, v.PieceHeight + 5));

    QVERIFY(byKeys->state().Map == byMouse->state().Map);
    QVERIFY(byKeys->state().RMap == byMouse->state().RMap);
    QCOMPARE(byKeys->Picture1->retained(), byMouse->Picture1->retained());
    QCOMPARE(byKeys->Picture2->pos(), byMouse->Picture2->pos());
    QCOMPARE(byKeys->Picture2->retained(), byMouse->Picture2->retained());
  }

  void keysIgnoredWithoutGame() {
    auto f = open(3, 3);
    QVERIFY(f);
    boxes_->answer(platform::vbNo);
    f->GStart->trigger();
    f->Picture1->setFocus();
    const Grid map = f->state().Map, flags = f->state().RMap;
    const QImage before = f->Picture1->retained();
    for (Qt::Key k : {Qt::Key_Right, Qt::Key_Space, Qt::Key_Down, Qt::Key_Return, Qt::Key_R}) key(*f, k);
    QVERIFY(f->state().Map == map);
    QVERIFY(f->state().RMap == flags);
    QCOMPARE(f->Picture1->retained(), before);
    QCOMPARE(f->keys->focusColumn(), 1);
  }

  void escapeCancelsPickUp() {
    auto f = open(3, 3);
    QVERIFY(f);
    start(*f, {0.5, 0.9, 0.1});
    const Grid map = f->state().Map, flags = f->state().RMap;
    goTo(*f, 2, 2);
    key(*f, Qt::Key_Space);
    QVERIFY(f->keys->holding());
    key(*f, Qt::Key_Escape);
    QVERIFY(!f->keys->holding());
    goTo(*f, 3, 3);
    key(*f, Qt::Key_Space);  // a new pick-up, not a drop
    QVERIFY(f->keys->holding());
    QVERIFY(f->state().Map == map);
    QVERIFY(f->state().RMap == flags);
    QCOMPARE(board(*f), QString());
  }

  void focusStaysInsideTheGrid() {
    auto f = open(2, 2);
    QVERIFY(f);
    start(*f, {0.1});
    for (int i = 0; i < 4; ++i) key(*f, Qt::Key_Left);
    key(*f, Qt::Key_Up);
    QCOMPARE(f->keys->focusColumn(), 1);
    QCOMPARE(f->keys->focusRow(), 1);
    for (int i = 0; i < 4; ++i) key(*f, Qt::Key_Right), key(*f, Qt::Key_Down);
    QCOMPARE(f->keys->focusColumn(), 2);
    QCOMPARE(f->keys->focusRow(), 2);
  }

  // The outline is for keyboard players: not there when play starts, shown
  // at the first key, gone again at a mouse press. What the board shows on
  // screen is its drawing exactly while the outline is away.
  void outlineOnlyOnceAKeyIsUsed() {
    auto f = open(4, 4);
    QVERIFY(f);
    start(*f, {0.3, 0.6, 0.1, 0.9});
    QTRY_VERIFY(f->Picture1->hasFocus());
    const auto shown = [&f] { return f->Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    const auto drawing = [&f] { return f->Picture1->retained().convertToFormat(QImage::Format_RGB32); };
    QVERIFY(!f->keys->outlineShown());
    QCOMPARE(shown(), drawing());
    key(*f, Qt::Key_Right);
    QVERIFY(f->keys->outlineShown());
    QVERIFY(shown() != drawing());
    // A right press turns a piece and hides the outline.
    const QPoint cell((2 - 1) * f->vars().PieceWidth + 5, (3 - 1) * f->vars().PieceHeight + 5);
    QTest::mouseClick(f->Picture1, Qt::RightButton, {}, cell);
    QVERIFY(!f->keys->outlineShown());
    QCOMPARE(shown(), drawing());
    key(*f, Qt::Key_Down);
    QVERIFY(f->keys->outlineShown());
    QTest::mouseClick(f->Picture2, Qt::RightButton, {}, QPoint(2, 2));
    QVERIFY(!f->keys->outlineShown());
  }

  // A game read that fails during play puts the floating piece out of sight;
  // a piece held by keys before it is no longer held, and the next Space
  // picks up instead of exchanging with nothing.
  void heldPieceLetGoWhenPutAway() {
    auto f = open(3, 3);
    QVERIFY(f);
    start(*f, {0.3, 0.6, 0.1, 0.9, 0.5, 0.2, 0.7, 0.4, 0.8});
    QTemporaryDir dir;
    testsupport::ScriptedFileDialog files({dir.filePath(QStringLiteral("saved.QVD")),
                                           dir.filePath(QStringLiteral("missing.QVD"))});
    f->SaveData->trigger();
    key(*f, Qt::Key_Right);
    key(*f, Qt::Key_Space);
    QVERIFY(f->keys->holding());
    f->ReadData->trigger();
    QCOMPARE(f->state().GameRunning, int16_t(1));
    QVERIFY(f->Picture2->x() < 0);
    const Grid map = f->state().Map;
    key(*f, Qt::Key_Down);
    key(*f, Qt::Key_Space);
    QVERIFY(f->state().Map == map);
    QCOMPARE(f->Picture2->pos(), QPoint(f->vars().PieceWidth, f->vars().PieceHeight));
    QCOMPARE(testsupport::windowBoardProblem(*f), QString());
    // The next Space exchanges as usual.
    key(*f, Qt::Key_Left);
    key(*f, Qt::Key_Space);
    QCOMPARE(f->state().Map[1][2], map[2][2]);
    QCOMPARE(f->state().Map[2][2], map[1][2]);
  }

  // A piece picked up by keys is let go when the player turns to the mouse,
  // whose press hides the held outline: the next Space picks up the focus
  // cell's piece instead of exchanging it with the piece the mouse just moved.
  void mousePressLetsGoOfAPieceHeldByKeys() {
    auto f = open(4, 4);
    QVERIFY(f);
    start(*f, {0.3, 0.6, 0.1, 0.9, 0.5, 0.2, 0.7, 0.4, 0.8, 0.15, 0.65, 0.35, 0.05, 0.95, 0.45, 0.25});
    goTo(*f, 2, 1);
    key(*f, Qt::Key_Space);
    QVERIFY(f->keys->holding());
    const MainVars& v = f->vars();
    const auto centre = [&v](int col, int row) {
      return QPoint((col - 1) * v.PieceWidth + v.PieceWidth / 2, (row - 1) * v.PieceHeight + v.PieceHeight / 2);
    };
    QTest::mousePress(f->Picture1, Qt::LeftButton, {}, centre(3, 3));
    QTest::mouseMove(f->Picture1, centre(4, 4));
    QTest::mouseRelease(f->Picture1, Qt::LeftButton, {}, centre(4, 4));
    const Grid map = f->state().Map;
    goTo(*f, 1, 2);
    key(*f, Qt::Key_Space);
    QVERIFY(f->state().Map == map);
    QVERIFY(f->keys->holding());
    QCOMPARE(f->Picture2->pos(), QPoint(0, v.PieceHeight));
    QCOMPARE(testsupport::windowBoardProblem(*f), QString());
  }

  void focusCellIsAnnounced() {
    auto f = open(3, 2);
    QVERIFY(f);
    start(*f, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
    QAccessibleInterface* board = QAccessible::queryAccessibleInterface(f->Picture1);
    QVERIFY(board);
    QCOMPARE(board->text(QAccessible::Name), QStringLiteral(u"パズルの盤"));
    key(*f, Qt::Key_Right);
    const bool reversed = f->state().RMap[2][1] == 1;
    QCOMPARE(board->text(QAccessible::Description),
             QStringLiteral(u"列 2、行 1、") + (reversed ? QStringLiteral(u"裏返し") : QStringLiteral(u"正しい向き")));
    key(*f, Qt::Key_R);
    QCOMPARE(board->text(QAccessible::Description).contains(QStringLiteral(u"裏返し")), !reversed);
  }
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
