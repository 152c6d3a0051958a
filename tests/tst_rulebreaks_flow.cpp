// The game's state after each command the player can give, played through the
// real main window: what a restored game leaves behind once the settings
// change, and the menus and board after the commands around a game.
#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "shell/Form1.h"
#include "shell/Form2.h"
#include "support/PlayedWindow.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace quavinto;

class RuleBreaksFlowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PlayedWindow> w_;

  Form1& f() { return w_->form(); }
  GameState& g() { return w_->state(); }
  MainVars& v() { return w_->vars(); }
  QString gamePath() const { return w_->path(QStringLiteral("flow.QVD")); }

private slots:
  void init() { w_ = std::make_unique<testsupport::PlayedWindow>(30000.0); }

  void cleanup() { w_.reset(); }

  void settingsForgetARestoredGame_data() {
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK") << true;
    QTest::newRow("CANCEL") << false;
  }

  void settingsForgetARestoredGame() {
    // A game read from a file and resumed: the settings command ends it, and
    // nothing of it (its saved time, its arrangement) outlives the dialog.
    QFETCH(bool, confirm);
    w_->open(3, 2);
    w_->start(true);
    w_->clock().now += 100;
    w_->files().script = {gamePath()};
    f().SaveData->trigger();
    w_->files().script = {gamePath()};
    w_->boxes().answer(platform::vbYes);
    f().ReadData->trigger();
    QCOMPARE(g().ResumeFlag, int16_t(1));
    QCOMPARE(g().GameRunning, int16_t(1));
    w_->boxes().answer(platform::vbYes);  // change the settings during the game
    testsupport::whenSettingsDialogOpens([confirm](Form2& d) { d.Command1[confirm ? 0 : 1]->click(); });
    f().SetData1->trigger();
    QCOMPARE(g().GameRunning, int16_t(0));
    QCOMPARE(g().ResumeFlag, int16_t(0));
    QVERIFY(f().GStart->isEnabled());
    QVERIFY(!f().GStop->isEnabled());
    QVERIFY(!f().SaveData->isEnabled());
    QVERIFY(f().ReadData->isEnabled());
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col) QCOMPARE(int(g().Map[col][row]), homePiece(g().Xn, col, row));
  }

  void declinedStartAfterACompletedGame() {
    // Completion leaves no game in play, so reading a saved game is offered at
    // once, not only after a start declined afterwards; the decline keeps it.
    w_->open(3, 2);
    w_->start(true);
    w_->boxes().shown.clear();
    w_->solveByMouse();
    QCOMPARE(w_->boxes().shown.size(), 2);  // the congratulation and the new record
    QCOMPARE(g().GameRunning, int16_t(0));
    QVERIFY(f().ReadData->isEnabled());
    QVERIFY(!f().SaveData->isEnabled());
    w_->start(false);
    QCOMPARE(g().GameRunning, int16_t(0));
    QVERIFY(f().ReadData->isEnabled());
    QVERIFY(!f().SaveData->isEnabled());
    QVERIFY(f().GStart->isEnabled());
    QVERIFY(!f().GStop->isEnabled());
  }

  void playTimeCountsFromTheNearestWholeSecond() {
    // Play began at 8:20:01.7, taken as 8:20:02; solved at 8:20:21.7, which is
    // 19.7 s later and announced as 20 s.
    w_->open(3, 2);
    w_->clock().now = 30001.7;
    w_->start(true);
    QCOMPARE(v().StartTime, 30002);
    w_->clock().now = 30021.7;
    w_->boxes().shown.clear();
    w_->solveByMouse();
    QCOMPARE(w_->boxes().shown.size(), 2);  // the congratulation and the new record
    QVERIFY2(w_->boxes().shown.first().text.endsWith(QStringLiteral(u"00時間00分20秒です。")),
             qPrintable(w_->boxes().shown.first().text));
  }

  void stopKeepsTheBoardAsPlayed() {
    // Stopping abandons the game quietly: the arrangement, the looks, the
    // board as drawn and the clock stay as they were.
    w_->open(4, 3);
    w_->clock().now = 30000.0;
    w_->start(true);
    QTest::mousePress(f().Picture1, Qt::LeftButton, {}, w_->cellCentre(2, 2));
    QTest::mouseMove(f().Picture1, w_->cellCentre(4, 3));
    QTest::mouseRelease(f().Picture1, Qt::LeftButton, {}, w_->cellCentre(4, 3));
    QTest::mouseClick(f().Picture1, Qt::RightButton, {}, w_->cellCentre(1, 3));
    const Grid map = g().Map, flags = g().RMap;
    const QImage board = f().Picture1->retained();
    const int32_t started = v().StartTime;
    w_->boxes().shown.clear();
    f().GStop->trigger();
    QVERIFY(w_->boxes().shown.isEmpty());
    QCOMPARE(g().GameRunning, int16_t(0));
    QVERIFY(g().Map == map);
    QVERIFY(g().RMap == flags);
    QCOMPARE(v().StartTime, started);
    QVERIFY(f().Picture2->x() < 0 && f().Picture2->y() < 0);
    // Only the cell hidden under the floating piece may have been brought up
    // to date; every other cell shows what it showed.
    const QRect hidden(3 * v().PieceWidth, 2 * v().PieceHeight, v().PieceWidth, v().PieceHeight);
    const QImage after = f().Picture1->retained();
    for (int y = 0; y < board.height(); y += 3)
      for (int x = 0; x < board.width(); x += 3)
        if (!hidden.contains(x, y) && after.pixel(x, y) != board.pixel(x, y))
          QFAIL(qPrintable(QStringLiteral("the board changed at %1,%2").arg(x).arg(y)));
  }

  void completionByTheLastExchange() {
    // Every piece turned upright first, so the drag that brings the last
    // piece home is what completes the puzzle.
    testsupport::FakeRandom random({0.99});
    w_->open(3, 2);
    w_->start(true);
    bool misplaced = false;
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col) misplaced |= g().Map[col][row] != homePiece(g().Xn, col, row);
    QVERIFY(misplaced);
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col)
        if (g().RMap[col][row] == 1) QTest::mouseClick(f().Picture1, Qt::RightButton, {}, w_->cellCentre(col, row));
    w_->boxes().shown.clear();
    w_->solveByMouse();
    QCOMPARE(w_->boxes().shown.size(), 2);  // the congratulation and the new record
    QVERIFY(w_->boxes().shown.first().text.startsWith(QStringLiteral(u"おめでとうございます。")));
    QCOMPARE(g().GameRunning, int16_t(0));
  }

  void reversedPiecesRightOnALargerPicture() {
    // A picture larger than the default one: after a start every cell, the
    // reversed ones at the right and bottom included, shows its true piece.
    QImage picture(500, 340, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * 7 + y * 3) % 256));
    const QString path = w_->path(QStringLiteral("large.bmp"));
    QVERIFY(picture.save(path, "BMP"));
    w_->open(4, 4);
    w_->files().script = {path};
    f().LoadPictureEx->trigger();
    QCOMPARE(v().PictureFile, path);
    QCOMPARE(f().Picture1->size(), QSize(500, 340));
    w_->start(true);
    QCOMPARE(g().GameRunning, int16_t(1));
    QCOMPARE(testsupport::checkBoard(f().Picture1->retained(), f().Picture1->picture(), g(), v()), QString());
  }

  void dropsOnTheBoardEdgeChangeNothing() {
    // A piece released over the board's leftmost pixel column or topmost
    // pixel row lies outside the grid: no exchange, no check, and the
    // floating piece stays over the cell it was picked up from.
    w_->open(5, 5);
    w_->start(true);
    for (const QPoint edge : {QPoint(0, 30), QPoint(40, 0), QPoint(0, 4 * 51 + 10)}) {
      const Grid map = g().Map, flags = g().RMap;
      w_->boxes().shown.clear();
      QTest::mousePress(f().Picture1, Qt::LeftButton, {}, w_->cellCentre(3, 3));
      QTest::mouseMove(f().Picture1, edge);
      QTest::mouseRelease(f().Picture1, Qt::LeftButton, {}, edge);
      QVERIFY2(g().Map == map, qPrintable(QStringLiteral("drop at %1,%2 exchanged pieces").arg(edge.x()).arg(edge.y())));
      QVERIFY(g().RMap == flags);
      QCOMPARE(f().Picture2->pos(), QPoint(2 * v().PieceWidth, 2 * v().PieceHeight));
      QVERIFY(w_->boxes().shown.isEmpty());
    }
  }
};

QTEST_MAIN(RuleBreaksFlowTest)
#include "tst_rulebreaks_flow.moc"
