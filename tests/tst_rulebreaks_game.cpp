// Game rules a player would notice at once if they broke, played through the
// real main window: the clock of a new game after a restored one, the look of
// the floating piece after a read, and the menus and board around a start.
#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "shell/Form1.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QtTest>

using namespace quavinto;

class RuleBreaksGameTest : public QObject {
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

  QString gamePath() const { return QDir(tmp_->path()).filePath(QStringLiteral("play.QVD")); }

  void save() {
    dialog_->script = {gamePath()};
    f_->SaveData->trigger();
    QVERIFY(QFile::exists(gamePath()));
  }

  void read(int resumeAnswer) {
    dialog_->script = {gamePath()};
    boxes_->answer(resumeAnswer);
    f_->ReadData->trigger();
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
        QCOMPARE(int(g().Map[col][row]), want);
      }
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col)
        if (g().RMap[col][row] == 1) QTest::mouseClick(f_->Picture1, Qt::RightButton, {}, cellCentre(col, row));
  }

  QImage floatingImage() { return f_->Picture2->retained().copy(0, 0, v().PieceWidth, v().PieceHeight); }

private slots:
  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
    clock_ = std::make_unique<testsupport::FakeClock>(40000.0);
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

  void newGameAfterRestoredOneCountsOnlyItsOwnTime() {
    // A game saved after 100 s and read back: the time played then belongs to
    // that game only. A new game started afterwards reports its own time.
    openWindow(3, 2);
    start(true);
    clock_->now += 100;
    save();
    read(platform::vbNo);
    QCOMPARE(g().ResumeFlag, int16_t(1));
    QCOMPARE(v().SavedSeconds, 100);
    start(true);
    QCOMPARE(g().ResumeFlag, int16_t(0));
    clock_->now += 20;
    boxes_->shown.clear();
    solveByMouse();
    QCOMPARE(boxes_->shown.size(), 1);
    QVERIFY2(boxes_->shown.first().text.endsWith(QStringLiteral(u"00時間00分20秒です。")),
             qPrintable(boxes_->shown.first().text));
  }

  void resumedGameCountsBothTimes() {
    // The counterpart: resuming the read game carries its 100 s over.
    openWindow(3, 2);
    start(true);
    clock_->now += 100;
    save();
    read(platform::vbYes);
    QCOMPARE(g().GameRunning, int16_t(1));
    clock_->now += 20;
    boxes_->shown.clear();
    solveByMouse();
    QCOMPARE(boxes_->shown.size(), 1);
    QVERIFY2(boxes_->shown.first().text.endsWith(QStringLiteral(u"00時間02分00秒です。")),
             qPrintable(boxes_->shown.first().text));
  }

  void floatingPieceAfterReadShowsItsCell_data() {
    QTest::addColumn<int>("flag");
    QTest::newRow("normal piece in cell (1, 1)") << 0;
    QTest::newRow("reversed piece in cell (1, 1)") << 1;
  }

  void floatingPieceAfterReadShowsItsCell() {
    // After a read the floating piece lies over cell (1, 1) and must show
    // exactly what the board shows there, in the look RMap gives it.
    QFETCH(int, flag);
    openWindow(4, 3);
    start(true);
    // A piece whose two looks differ, in cell (1, 1).
    const int16_t wanted = int16_t(homePiece(g().Xn, 2, 2)), former = g().Map[1][1];
    for (int c = 1; c <= g().Xn; ++c)
      for (int r = 1; r <= g().Yn; ++r)
        if (g().Map[c][r] == wanted) g().Map[c][r] = former;
    g().Map[1][1] = wanted;
    g().RMap[1][1] = int16_t(flag);
    save();
    read(platform::vbNo);
    QCOMPARE(f_->Picture2->pos(), QPoint(0, 0));
    QCOMPARE(int(g().RMap[1][1]), flag);
    const QImage source = f_->Picture1->picture();
    const QImage want = testsupport::pieceImage(source, g(), v(), g().Map[1][1], flag == 1);
    const QImage other = testsupport::pieceImage(source, g(), v(), g().Map[1][1], flag != 1);
    QVERIFY(want != other);
    QVERIFY(floatingImage() == want);
    QCOMPARE(testsupport::checkBoard(f_->Picture1->retained(), source, g(), v()), QString());
  }

  void declinedStartKeepsReadingOpen() {
    // Declining the start leaves a shuffled board with no game: nothing to
    // save, a game file can be read, and a later start is offered again.
    openWindow(4, 3);
    start(false);
    QCOMPARE(g().GameRunning, int16_t(0));
    QVERIFY(!f_->SaveData->isEnabled());
    QVERIFY(f_->ReadData->isEnabled());
    QVERIFY(f_->GStart->isEnabled());
    QVERIFY(!f_->GStop->isEnabled());
    // Board presses do nothing while no game runs.
    const Grid map = g().Map, flags = g().RMap;
    QTest::mouseClick(f_->Picture1, Qt::RightButton, {}, cellCentre(2, 2));
    QTest::mousePress(f_->Picture1, Qt::LeftButton, {}, cellCentre(2, 2));
    QTest::mouseMove(f_->Picture1, cellCentre(3, 3));
    QTest::mouseRelease(f_->Picture1, Qt::LeftButton, {}, cellCentre(3, 3));
    QVERIFY(g().Map == map);
    QVERIFY(g().RMap == flags);
  }
};

QTEST_MAIN(RuleBreaksGameTest)
#include "tst_rulebreaks_game.moc"
