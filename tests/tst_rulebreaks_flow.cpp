// The game's state after each command the player can give, played through the
// real main window: what a restored game leaves behind once the settings
// change, and the menus and board after the commands around a game.
#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "shell/Form1.h"
#include "shell/Form2.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace quavinto;

class RuleBreaksFlowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;
  std::unique_ptr<testsupport::FakeClock> clock_;
  std::unique_ptr<testsupport::ScriptedFileDialog> dialog_;
  std::unique_ptr<QTemporaryDir> tmp_;
  std::unique_ptr<Form1> f_;

  GameState& g() { return f_->state(); }
  MainVars& v() { return f_->vars(); }

  void openWindow(int xn, int yn) {
    f_ = std::make_unique<Form1>();
    g().Xn = int16_t(xn);
    g().Yn = int16_t(yn);
    f_->ResetView();
    f_->show();
    QVERIFY(QTest::qWaitForWindowExposed(f_.get()));
  }

  void start(bool yes) {
    boxes_->answer(yes ? platform::vbYes : platform::vbNo);
    f_->GStart->trigger();
  }

  QString gamePath() const { return QDir(tmp_->path()).filePath(QStringLiteral("flow.QVD")); }

  // Acts on the settings dialog once it is open.
  static void whenDialogOpens(std::function<void(Form2&)> act) {
    QTimer::singleShot(0, [act] {
      auto* dialog = qobject_cast<Form2*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      act(*dialog);
    });
  }

  QPoint cellCentre(int col, int row) {
    return QPoint((col - 1) * v().PieceWidth + v().PieceWidth / 2, (row - 1) * v().PieceHeight + v().PieceHeight / 2);
  }

  // Solves the board with the mouse: each piece fetched home by a drag, then
  // every reversed piece turned with the right button.
  void solveByMouse() {
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col) {
        const int want = homePiece(g().Xn, col, row);
        if (g().Map[col][row] == want) continue;
        QPoint from;
        for (int r = 1; r <= g().Yn; ++r)
          for (int c = 1; c <= g().Xn; ++c)
            if (g().Map[c][r] == want) from = cellCentre(c, r);
        const QPoint to = cellCentre(col, row);
        QTest::mousePress(f_->Picture1, Qt::LeftButton, {}, from);
        QTest::mouseMove(f_->Picture1, to);
        QTest::mouseRelease(f_->Picture1, Qt::LeftButton, {}, to);
      }
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col)
        if (g().RMap[col][row] == 1) QTest::mouseClick(f_->Picture1, Qt::RightButton, {}, cellCentre(col, row));
  }

private slots:
  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
    clock_ = std::make_unique<testsupport::FakeClock>(30000.0);
    dialog_ = std::make_unique<testsupport::ScriptedFileDialog>();
    tmp_ = std::make_unique<QTemporaryDir>();
  }

  void cleanup() {
    f_.reset();
    tmp_.reset();
    dialog_.reset();
    clock_.reset();
    boxes_.reset();
    settings_.reset();
  }

  void settingsForgetARestoredGame_data() {
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK") << true;
    QTest::newRow("CANCEL") << false;
  }

  void settingsForgetARestoredGame() {
    // A game read from a file and resumed: the settings command ends it, and
    // nothing of it (its saved time, its arrangement) outlives the dialog.
    QFETCH(bool, confirm);
    openWindow(3, 2);
    start(true);
    clock_->now += 100;
    dialog_->script = {gamePath()};
    f_->SaveData->trigger();
    dialog_->script = {gamePath()};
    boxes_->answer(platform::vbYes);
    f_->ReadData->trigger();
    QCOMPARE(g().ResumeFlag, int16_t(1));
    QCOMPARE(g().GameRunning, int16_t(1));
    boxes_->answer(platform::vbYes);  // change the settings during the game
    whenDialogOpens([confirm](Form2& d) { d.Command1[confirm ? 0 : 1]->click(); });
    f_->SetData1->trigger();
    QCOMPARE(g().GameRunning, int16_t(0));
    QCOMPARE(g().ResumeFlag, int16_t(0));
    QVERIFY(f_->GStart->isEnabled());
    QVERIFY(!f_->GStop->isEnabled());
    QVERIFY(!f_->SaveData->isEnabled());
    QVERIFY(f_->ReadData->isEnabled());
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col) QCOMPARE(int(g().Map[col][row]), homePiece(g().Xn, col, row));
  }

  void declinedStartAfterACompletedGame() {
    // Completion leaves reading as the game left it (off); a start declined
    // afterwards leaves no game, so reading a saved game is offered again.
    openWindow(3, 2);
    start(true);
    boxes_->shown.clear();
    solveByMouse();
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(g().GameRunning, int16_t(0));
    QVERIFY(!f_->ReadData->isEnabled());
    QVERIFY(!f_->SaveData->isEnabled());
    start(false);
    QCOMPARE(g().GameRunning, int16_t(0));
    QVERIFY(f_->ReadData->isEnabled());
    QVERIFY(!f_->SaveData->isEnabled());
    QVERIFY(f_->GStart->isEnabled());
    QVERIFY(!f_->GStop->isEnabled());
  }

  void playTimeCountsFromTheNearestWholeSecond() {
    // Play began at 8:20:01.7, taken as 8:20:02; solved at 8:20:21.7, which is
    // 19.7 s later and announced as 20 s.
    openWindow(3, 2);
    clock_->now = 30001.7;
    start(true);
    QCOMPARE(v().StartTime, 30002);
    clock_->now = 30021.7;
    boxes_->shown.clear();
    solveByMouse();
    QCOMPARE(boxes_->shown.size(), 1);
    QVERIFY2(boxes_->shown.first().text.endsWith(QStringLiteral(u"00時間00分20秒です。")),
             qPrintable(boxes_->shown.first().text));
  }

  void stopKeepsTheBoardAsPlayed() {
    // Stopping abandons the game quietly: the arrangement, the looks, the
    // board as drawn and the clock stay as they were.
    openWindow(4, 3);
    clock_->now = 30000.0;
    start(true);
    QTest::mousePress(f_->Picture1, Qt::LeftButton, {}, cellCentre(2, 2));
    QTest::mouseMove(f_->Picture1, cellCentre(4, 3));
    QTest::mouseRelease(f_->Picture1, Qt::LeftButton, {}, cellCentre(4, 3));
    QTest::mouseClick(f_->Picture1, Qt::RightButton, {}, cellCentre(1, 3));
    const Grid map = g().Map, flags = g().RMap;
    const QImage board = f_->Picture1->retained();
    const int32_t started = v().StartTime;
    boxes_->shown.clear();
    f_->GStop->trigger();
    QVERIFY(boxes_->shown.isEmpty());
    QCOMPARE(g().GameRunning, int16_t(0));
    QVERIFY(g().Map == map);
    QVERIFY(g().RMap == flags);
    QCOMPARE(v().StartTime, started);
    QVERIFY(f_->Picture2->x() < 0 && f_->Picture2->y() < 0);
    // Only the cell hidden under the floating piece may have been brought up
    // to date; every other cell shows what it showed.
    const QRect hidden(3 * v().PieceWidth, 2 * v().PieceHeight, v().PieceWidth, v().PieceHeight);
    const QImage after = f_->Picture1->retained();
    for (int y = 0; y < board.height(); y += 3)
      for (int x = 0; x < board.width(); x += 3)
        if (!hidden.contains(x, y) && after.pixel(x, y) != board.pixel(x, y))
          QFAIL(qPrintable(QStringLiteral("the board changed at %1,%2").arg(x).arg(y)));
  }

  void completionByTheLastExchange() {
    // Every piece turned upright first, so the drag that brings the last
    // piece home is what completes the puzzle.
    testsupport::FakeRandom random({0.99});
    openWindow(3, 2);
    start(true);
    bool misplaced = false;
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col) misplaced |= g().Map[col][row] != homePiece(g().Xn, col, row);
    QVERIFY(misplaced);
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col)
        if (g().RMap[col][row] == 1) QTest::mouseClick(f_->Picture1, Qt::RightButton, {}, cellCentre(col, row));
    boxes_->shown.clear();
    solveByMouse();
    QCOMPARE(boxes_->shown.size(), 1);
    QVERIFY(boxes_->shown.first().text.startsWith(QStringLiteral(u"おめでとうございます。")));
    QCOMPARE(g().GameRunning, int16_t(0));
  }

  void reversedPiecesRightOnALargerPicture() {
    // A picture larger than the default one: after a start every cell, the
    // reversed ones at the right and bottom included, shows its true piece.
    QImage picture(500, 340, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * 7 + y * 3) % 256));
    const QString path = QDir(tmp_->path()).filePath(QStringLiteral("large.bmp"));
    QVERIFY(picture.save(path, "BMP"));
    openWindow(4, 4);
    dialog_->script = {path};
    f_->LoadPictureEx->trigger();
    QCOMPARE(v().PictureFile, path);
    QCOMPARE(f_->Picture1->size(), QSize(500, 340));
    start(true);
    QCOMPARE(g().GameRunning, int16_t(1));
    QCOMPARE(testsupport::checkBoard(f_->Picture1->retained(), f_->Picture1->picture(), g(), v()), QString());
  }

  void dropsOnTheBoardEdgeChangeNothing() {
    // A piece released over the board's leftmost pixel column or topmost
    // pixel row lies outside the grid: no exchange, no check, and the
    // floating piece stays over the cell it was picked up from.
    openWindow(5, 5);
    start(true);
    for (const QPoint edge : {QPoint(0, 30), QPoint(40, 0), QPoint(0, 4 * 51 + 10)}) {
      const Grid map = g().Map, flags = g().RMap;
      boxes_->shown.clear();
      QTest::mousePress(f_->Picture1, Qt::LeftButton, {}, cellCentre(3, 3));
      QTest::mouseMove(f_->Picture1, edge);
      QTest::mouseRelease(f_->Picture1, Qt::LeftButton, {}, edge);
      QVERIFY2(g().Map == map, qPrintable(QStringLiteral("drop at %1,%2 exchanged pieces").arg(edge.x()).arg(edge.y())));
      QVERIFY(g().RMap == flags);
      QCOMPARE(f_->Picture2->pos(), QPoint(2 * v().PieceWidth, 2 * v().PieceHeight));
      QVERIFY(boxes_->shown.isEmpty());
    }
  }
};

QTEST_MAIN(RuleBreaksFlowTest)
#include "tst_rulebreaks_flow.moc"
