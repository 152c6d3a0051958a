// A whole game through the player's entry points: start, exchange pieces with
// real mouse presses, moves and releases, turn pieces with the right button,
// and the congratulation with the true time; the board checked after every step.
#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "shell/Form1.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QtTest>

using namespace quavinto;
using testsupport::checkBoard;

class GameTest : public QObject {
  Q_OBJECT

private:
  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;
  std::unique_ptr<testsupport::FakeClock> clock_;
  std::unique_ptr<Form1> form_;

  Form1& form() { return *form_; }
  GameState& g() { return form_->state(); }
  MainVars& v() { return form_->vars(); }

  void openWindow(int xn, int yn) {
    form_ = std::make_unique<Form1>();
    if (xn != g().Xn || yn != g().Yn) {
      g().Xn = int16_t(xn);
      g().Yn = int16_t(yn);
      form_->ResetView();
    }
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  QPoint cellCentre(int col, int row) const {
    return QPoint((col - 1) * form_->vars().PieceWidth + form_->vars().PieceWidth / 2,
                  (row - 1) * form_->vars().PieceHeight + form_->vars().PieceHeight / 2);
  }

  // The board as the player sees it must match Map and RMap, except the cell
  // hidden under the floating piece after a drop.
  QString boardProblem() {
    const QPoint at = form_->Picture2->pos();
    int skipCol = 0, skipRow = 0;
    if (at.x() >= 0 && at.y() >= 0 && g().GameRunning == 1) {
      skipCol = at.x() / v().PieceWidth + 1;
      skipRow = at.y() / v().PieceHeight + 1;
      // The floating piece itself shows the piece of the cell it covers.
      const QImage want = testsupport::pieceImage(form_->Picture1->picture(), g(), v(), g().Map[skipCol][skipRow],
                                                  g().RMap[skipCol][skipRow] == 1);
      const QImage shown = form_->Picture2->retained().copy(0, 0, v().PieceWidth, v().PieceHeight);
      if (want != shown) return QStringLiteral("the floating piece does not show its cell's piece");
    }
    return checkBoard(form_->Picture1->retained(), form_->Picture1->picture(), g(), v(), skipCol, skipRow);
  }

  void drag(int fromCol, int fromRow, int toCol, int toRow) {
    const QPoint from = cellCentre(fromCol, fromRow);
    const QPoint to = cellCentre(toCol, toRow);
    QTest::mousePress(form_->Picture1, Qt::LeftButton, {}, from);
    QTest::mouseMove(form_->Picture1, (from + to) / 2);
    QTest::mouseMove(form_->Picture1, to);
    QTest::mouseRelease(form_->Picture1, Qt::LeftButton, {}, to);
  }

  void turn(int col, int row) { QTest::mouseClick(form_->Picture1, Qt::RightButton, {}, cellCentre(col, row)); }

  void startGame(bool yes) {
    boxes_->answer(yes ? platform::vbYes : platform::vbNo);
    form_->GStart->trigger();
  }

  // Solves the board the way a player would: fetch each cell's piece by a drag,
  // then turn every reversed piece upright.
  void solveByMouse() {
    for (int row = 1; row <= g().Yn; ++row) {
      for (int col = 1; col <= g().Xn; ++col) {
        const int want = homePiece(g().Xn, col, row);
        if (g().Map[col][row] == want) continue;
        int fromCol = 0, fromRow = 0;
        for (int r = 1; r <= g().Yn; ++r)
          for (int c = 1; c <= g().Xn; ++c)
            if (g().Map[c][r] == want) fromCol = c, fromRow = r;
        drag(fromCol, fromRow, col, row);
        QCOMPARE(int(g().Map[col][row]), want);
        QCOMPARE(boardProblem(), QString());
      }
    }
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col)
        if (g().RMap[col][row] == 1 && g().GameRunning == 1) {
          const QPoint at = form_->Picture2->pos();
          if (at == QPoint((col - 1) * v().PieceWidth, (row - 1) * v().PieceHeight))
            QTest::mouseClick(form_->Picture2, Qt::RightButton, {}, QPoint(2, 2));
          else
            turn(col, row);
          if (g().GameRunning == 1) QCOMPARE(boardProblem(), QString());
        }
  }

private slots:
  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
    clock_ = std::make_unique<testsupport::FakeClock>(36000.0);
  }

  void cleanup() {
    form_.reset();
    clock_.reset();
    boxes_.reset();
    settings_.reset();
  }

  void wholeGameByMouse_data() {
    QTest::addColumn<int>("xn");
    QTest::addColumn<int>("yn");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("end");
    QTest::addColumn<QString>("lastLine");
    QTest::newRow("5x5, 1 h 2 min 5 s") << 5 << 5 << 36000.0 << 39725.0 << QStringLiteral(u"01時間02分05秒です。");
    QTest::newRow("3x2 across midnight") << 3 << 2 << 86390.0 << 15.0 << QStringLiteral(u"00時間00分25秒です。");
    QTest::newRow("2x2, ten hours") << 2 << 2 << 100.0 << 36100.0 << QStringLiteral(u"10時間00分00秒です。");
    QTest::newRow("1x4 column") << 1 << 4 << 50.4 << 53.0 << QStringLiteral(u"00時間00分03秒です。");
    QTest::newRow("6x1 row") << 6 << 1 << 0.0 << 59.5 << QStringLiteral(u"00時間01分00秒です。");
  }

  void wholeGameByMouse() {
    QFETCH(int, xn);
    QFETCH(int, yn);
    QFETCH(double, start);
    QFETCH(double, end);
    QFETCH(QString, lastLine);
    openWindow(xn, yn);
    clock_->now = start;
    startGame(true);
    QCOMPARE(boxes_->shown.last().text, QStringLiteral(u"ゲームを開始します"));
    QCOMPARE(boxes_->shown.last().style, 4);
    QCOMPARE(g().GameRunning, int16_t(1));
    QCOMPARE(boardProblem(), QString());
    // The last step's parity decides the bottom-right cell's look.
    QCOMPARE(int(g().RMap[xn][yn]), (xn * yn) % 2 == 0 ? 1 : 0);

    clock_->now = end;
    boxes_->shown.clear();
    solveByMouse();
    QCOMPARE(g().GameRunning, int16_t(0));
    // The congratulation, then one notice: the first record of this picture
    // and grid, and (each move brought a piece home) the fewest moves.
    QCOMPARE(boxes_->shown.size(), 2);
    QCOMPARE(boxes_->shown.last().text,
             QStringLiteral(u"自己ベスト！ %1×%2 で 1 位\r\n最少手数で完成！").arg(xn).arg(yn));
    const testsupport::ShownBox box = boxes_->shown.first();
    QCOMPARE(box.style, 0);
    QCOMPARE(box.title, QStringLiteral("QUAVINTO"));
    QCOMPARE(box.text, QStringLiteral(u"おめでとうございます。\r\n      完成です。\r\n時間は\r\n") + lastLine);
    // The picture is shown intact and the floating piece is out of sight.
    const QImage board = form_->Picture1->retained().convertToFormat(QImage::Format_RGB32);
    const QImage intact = form_->Picture1->picture().copy(form_->Picture1->rect()).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(board, intact);
    QCOMPARE(form_->Picture2->pos(), QPoint(-v().PieceWidth, -v().PieceHeight));
    QVERIFY(form_->GStart->isEnabled());
    QVERIFY(!form_->GStop->isEnabled());
    QVERIFY(!form_->SaveData->isEnabled());
    // No game is in play any more: a saved game can be read.
    QVERIFY(form_->ReadData->isEnabled());
  }

  // The Japanese writes every figure with two digits; the English leaves out
  // the units a game did not reach and the leading figure's zero.
  void completionTextTable_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("english");
    QTest::newRow("zero") << 0 << QStringLiteral(u"00時間00分00秒です。") << QStringLiteral("in 0 s.");
    QTest::newRow("3725") << 3725 << QStringLiteral(u"01時間02分05秒です。") << QStringLiteral("in 1 h 02 min 05 s.");
    QTest::newRow("36000") << 36000 << QStringLiteral(u"10時間00分00秒です。")
                           << QStringLiteral("in 10 h 00 min 00 s.");
    QTest::newRow("123 hours") << 123 * 3600 + 7 << QStringLiteral(u"123時間00分07秒です。")
                               << QStringLiteral("in 123 h 00 min 07 s.");
    QTest::newRow("32-bit top") << 2147483647 << QStringLiteral(u"596523時間14分07秒です。")
                                << QStringLiteral("in 596523 h 14 min 07 s.");
    QTest::newRow("205") << 205 << QStringLiteral(u"00時間03分25秒です。") << QStringLiteral("in 3 min 25 s.");
    QTest::newRow("3599") << 3599 << QStringLiteral(u"00時間59分59秒です。") << QStringLiteral("in 59 min 59 s.");
    QTest::newRow("3600") << 3600 << QStringLiteral(u"01時間00分00秒です。") << QStringLiteral("in 1 h 00 min 00 s.");
    QTest::newRow("65") << 65 << QStringLiteral(u"00時間01分05秒です。") << QStringLiteral("in 1 min 05 s.");
    QTest::newRow("42") << 42 << QStringLiteral(u"00時間00分42秒です。") << QStringLiteral("in 42 s.");
  }

  void completionTextTable() {
    QFETCH(int, seconds);
    QFETCH(QString, line);
    QFETCH(QString, english);
    QVERIFY(completionText(seconds).endsWith(QStringLiteral(u"時間は\r\n") + line));
    testsupport::EnglishUi inEnglish;
    QCOMPARE(completionText(seconds), QStringLiteral("Congratulations!\r\nYou finished the puzzle ") + english);
  }

  void elapsedRule() {
    GameState state;
    MainVars vars;
    vars.StartTime = 86390;
    QCOMPARE(elapsedSeconds(state, vars, 15.0), 25);
    vars.StartTime = 100;
    QCOMPARE(elapsedSeconds(state, vars, 100.5), 0);  // half to even
    QCOMPARE(elapsedSeconds(state, vars, 101.5), 2);
    // Pauses come off to the fraction before the rounding, across midnight too.
    QCOMPARE(elapsedSeconds(state, vars, 120.0, 20 * 0.56), 9);
    vars.StartTime = 86000;
    QCOMPARE(elapsedSeconds(state, vars, 520.0, 800.0), 120);
    QCOMPARE(elapsedSeconds(state, vars, 86100.0, 86000.0), 500);
    vars.StartTime = 100;
    state.ResumeFlag = 1;
    vars.SavedSeconds = 100;
    QCOMPARE(elapsedSeconds(state, vars, 120.0), 120);
    vars.SavedSeconds = 2147483600;
    QCOMPARE(elapsedSeconds(state, vars, 200.0), 2147483647);  // never wraps negative
  }

  void declinedStartLeavesShuffledBoard() {
    openWindow(4, 3);
    startGame(false);
    QCOMPARE(g().GameRunning, int16_t(0));
    QVERIFY(form_->GStart->isEnabled());
    QVERIFY(!form_->GStop->isEnabled());
    QVERIFY(!form_->SaveData->isEnabled());
    QVERIFY(form_->ReadData->isEnabled());
    QCOMPARE(checkBoard(form_->Picture1->retained(), form_->Picture1->picture(), g(), v()), QString());
    // Presses do nothing while no game runs.
    const Grid before = g().Map;
    const Grid flags = g().RMap;
    drag(2, 2, 3, 3);
    turn(2, 2);
    QVERIFY(g().Map == before);
    QVERIFY(g().RMap == flags);
  }

  void stopKeepsBoardAndAnnouncesNothing() {
    openWindow(2, 1);
    startGame(true);
    const Grid before = g().Map;
    form_->GStop->trigger();
    QCOMPARE(g().GameRunning, int16_t(0));
    QVERIFY(g().Map == before);
    QVERIFY(!form_->SaveData->isEnabled());
    QVERIFY(form_->ReadData->isEnabled());
    QVERIFY(form_->GStart->isEnabled());
    QVERIFY(!form_->GStop->isEnabled());
    QCOMPARE(form_->Picture2->pos(), QPoint(-v().PieceWidth, -v().PieceHeight));
    boxes_->shown.clear();
    InitMap(g());
    g().RMap = Grid{};
    CheckComplete(form());
    QVERIFY(boxes_->shown.isEmpty());
  }

  // After a drop the board under the floating piece still shows the target's
  // former piece; once the game stops the floating piece goes away, so that
  // cell must show its own piece again: no piece twice on the stopped board.
  void stopAfterDropShowsEveryCell() {
    openWindow(4, 3);
    startGame(true);
    drag(1, 1, 3, 2);
    drag(3, 2, 2, 3);
    form_->GStop->trigger();
    QCOMPARE(form_->Picture2->pos(), QPoint(-v().PieceWidth, -v().PieceHeight));
    QCOMPARE(checkBoard(form_->Picture1->retained(), form_->Picture1->picture(), g(), v()), QString());
    QCOMPARE(testsupport::windowBoardProblem(form()), QString());
  }

  // A press and release delivered to the board itself at exactly `p`, even
  // outside its rectangle (QTest takes a point of (0, 0) for the centre).
  void clickBoardAt(Qt::MouseButton button, QPoint p) {
    const QPointF local(p), global(form_->Picture1->mapToGlobal(p));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(form_->Picture1, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form_->Picture1, &release);
  }

  void pressesOutsideTheGridDoNothing() {
    openWindow(5, 5);
    startGame(true);
    // The floating piece is moved off the board's edges first, so every point
    // below reaches the board itself and nothing hides a wrong pick-up.
    QTest::mouseClick(form_->Picture1, Qt::LeftButton, {}, cellCentre(3, 3));
    const QPoint floating(2 * v().PieceWidth, 2 * v().PieceHeight);
    QCOMPARE(form_->Picture2->pos(), floating);
    const Grid map = g().Map, flags = g().RMap;
    const QImage board = form_->Picture1->retained();
    boxes_->shown.clear();
    const int right = g().Xn * v().PieceWidth, bottom = g().Yn * v().PieceHeight;
    // The leftmost pixel column and topmost pixel row of the board, and the
    // first points right of and below the grid.
    const QPoint outside[] = {QPoint(0, 0),      QPoint(0, 30),           QPoint(0, bottom - 1), QPoint(30, 0),
                              QPoint(right - 1, 0), QPoint(right, 30),    QPoint(right, bottom - 1),
                              QPoint(30, bottom), QPoint(right - 1, bottom), QPoint(right, bottom)};
    for (const QPoint p : outside) {
      QVERIFY(!form_->Picture2->geometry().contains(p));
      const QString where = QStringLiteral("%1,%2").arg(p.x()).arg(p.y());
      clickBoardAt(Qt::LeftButton, p);
      QVERIFY2(form_->Picture2->pos() == floating, qPrintable(where + QStringLiteral(": a left press picked up a piece")));
      clickBoardAt(Qt::RightButton, p);
      QVERIFY2(g().RMap == flags, qPrintable(where + QStringLiteral(": a right press turned a piece")));
    }
    // The same through the window, as the player's pointer reaches the board's
    // left column and top row.
    for (const QPoint p : {QPoint(0, 40), QPoint(50, 0), QPoint(0, bottom - 2)}) {
      const QPoint inWindow = form_->Picture1->mapTo(form_.get(), p);
      QCOMPARE(form_->childAt(inWindow), static_cast<QWidget*>(form_->Picture1));
      QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, {}, inWindow);
      QTest::mouseClick(form_->windowHandle(), Qt::RightButton, {}, inWindow);
    }
    QCOMPARE(form_->Picture2->pos(), floating);
    QVERIFY(g().RMap == flags);
    QVERIFY(g().Map == map);
    QVERIFY(form_->Picture1->retained() == board);
    QVERIFY(boxes_->shown.isEmpty());
    // The first point inside the grid is live: pixel (1, 1) picks up cell (1, 1).
    clickBoardAt(Qt::LeftButton, QPoint(1, 1));
    QCOMPARE(form_->Picture2->pos(), QPoint(0, 0));
  }

  void dropBackOnOriginAndOutsideChangeNothing() {
    openWindow(5, 5);
    startGame(true);
    const Grid map = g().Map, flags = g().RMap;
    boxes_->shown.clear();
    // Released over the cell it came from: the floating piece itself.
    drag(3, 3, 3, 3);
    QVERIFY(g().Map == map);
    QCOMPARE(form_->Picture2->pos(), QPoint(2 * v().PieceWidth, 2 * v().PieceHeight));
    // Released over the window's background, left of the board.
    const QPoint from = cellCentre(2, 2);
    QTest::mousePress(form_->Picture1, Qt::LeftButton, {}, from);
    QTest::mouseMove(form_->Picture1, QPoint(-8, 10));
    QTest::mouseRelease(form_->Picture1, Qt::LeftButton, {}, QPoint(-8, 10));
    QVERIFY(g().Map == map);
    QVERIFY(g().RMap == flags);
    QCOMPARE(form_->Picture2->pos(), QPoint(v().PieceWidth, v().PieceHeight));
    QVERIFY(boxes_->shown.isEmpty());
    QCOMPARE(boardProblem(), QString());
  }

  void exchangeCarriesLooks() {
    openWindow(4, 4);
    startGame(true);
    // Make (1,2) reversed and (3,4) normal by turning as needed.
    if (g().RMap[1][2] == 0) turn(1, 2);
    if (g().RMap[3][4] == 1) turn(3, 4);
    const int16_t p = g().Map[1][2], t = g().Map[3][4];
    drag(1, 2, 3, 4);
    QCOMPARE(g().Map[3][4], p);
    QCOMPARE(g().Map[1][2], t);
    QCOMPARE(int(g().RMap[3][4]), 1);
    QCOMPARE(int(g().RMap[1][2]), 0);
    QCOMPARE(boardProblem(), QString());
    // The next press elsewhere repaints the target cell before the floating piece leaves.
    QTest::mousePress(form_->Picture1, Qt::LeftButton, {}, cellCentre(4, 1));
    QTest::mouseRelease(form_->Picture1, Qt::LeftButton, {}, cellCentre(4, 1));
    QCOMPARE(checkBoard(form_->Picture1->retained(), form_->Picture1->picture(), g(), v(), 4, 1), QString());
  }

  void rightPressOnFloatingPieceWithoutGame() {
    openWindow(3, 3);
    // After a start declined, the floating piece lies over cell (1, 1).
    startGame(false);
    const int16_t before = g().RMap[1][1];
    boxes_->shown.clear();
    QTest::mouseClick(form_->Picture2, Qt::RightButton, {}, QPoint(3, 3));
    QCOMPARE(g().RMap[1][1], int16_t(1 - before));
    QCOMPARE(checkBoard(form_->Picture1->retained(), form_->Picture1->picture(), g(), v()), QString());
    QVERIFY(boxes_->shown.isEmpty());
  }

  void largeBoards_data() {
    QTest::addColumn<int>("xn");
    QTest::addColumn<int>("yn");
    QTest::newRow("30x30") << 30 << 30;
    QTest::newRow("1x1") << 1 << 1;
    QTest::newRow("7x3 not dividing 384x256") << 7 << 3;
  }

  void largeBoards() {
    QFETCH(int, xn);
    QFETCH(int, yn);
    openWindow(xn, yn);
    QCOMPARE(v().PieceWidth, 384 / xn);
    QCOMPARE(v().PieceHeight, 256 / yn);
    QCOMPARE(form_->Picture1->size(), QSize(xn * (384 / xn), yn * (256 / yn)));
    startGame(true);
    QCOMPARE(boardProblem(), QString());
    if (xn * yn == 1) {
      QCOMPARE(int(g().Map[1][1]), 1);
      QCOMPARE(int(g().RMap[1][1]), 0);
    }
    // Every piece appears exactly once.
    QVector<int> seen(xn * yn + 1, 0);
    for (int r = 1; r <= yn; ++r)
      for (int c = 1; c <= xn; ++c) ++seen[g().Map[c][r]];
    for (int k = 1; k <= xn * yn; ++k) QCOMPARE(seen[k], 1);
  }

  void shuffleReplaysFromGenerator() {
    openWindow(3, 2);
    testsupport::FakeRandom random({0.99, 0.0, 0.5, 0.2, 0.7, 0.4});
    startGame(false);
    // Step 1 exchanges cell 1 with cell 6, step 2 cell 2 with cell 1, ...
    GameState expect;
    expect.Xn = 3;
    expect.Yn = 2;
    InitMap(expect);
    const double draws[] = {0.99, 0.0, 0.5, 0.2, 0.7, 0.4};
    for (int i = 1; i <= 6; ++i) {
      const int r = int(draws[i - 1] * 6) + 1;
      std::swap(expect.Map[homeColumn(3, i)][homeRow(3, i)], expect.Map[homeColumn(3, r)][homeRow(3, r)]);
      expect.RMap[homeColumn(3, i)][homeRow(3, i)] = int16_t(i % 2 == 0);
      expect.RMap[homeColumn(3, r)][homeRow(3, r)] = int16_t(i % 2 == 0);
    }
    QVERIFY(g().Map == expect.Map);
    QVERIFY(g().RMap == expect.RMap);
    QCOMPARE(checkBoard(form_->Picture1->retained(), form_->Picture1->picture(), g(), v()), QString());
  }
};

QTEST_MAIN(GameTest)
#include "tst_game.moc"
