// Game rules a player would notice at once if they broke, played through the
// real main window: the clock of a new game after a restored one, the look of
// the floating piece after a read, and the menus and board around a start.
#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "shell/Form1.h"
#include "support/PlayedWindow.h"

#include <QAction>
#include <QtTest>

using namespace quavinto;

class RuleBreaksGameTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PlayedWindow> w_;

  Form1& f() { return w_->form(); }
  GameState& g() { return w_->state(); }
  MainVars& v() { return w_->vars(); }
  QString gamePath() const { return w_->path(QStringLiteral("play.QVD")); }

  void save() {
    w_->files().script = {gamePath()};
    f().SaveData->trigger();
    QVERIFY(QFile::exists(gamePath()));
  }

  void read(int resumeAnswer) {
    w_->files().script = {gamePath()};
    w_->boxes().answer(resumeAnswer);
    f().ReadData->trigger();
  }

  QImage floatingImage() { return f().Picture2->retained().copy(0, 0, v().PieceWidth, v().PieceHeight); }

private slots:
  void init() { w_ = std::make_unique<testsupport::PlayedWindow>(40000.0); }

  void cleanup() { w_.reset(); }

  void newGameAfterRestoredOneCountsOnlyItsOwnTime() {
    // A game saved after 100 s and read back: the time played then belongs to
    // that game only. A new game started afterwards reports its own time.
    w_->open(3, 2);
    w_->start(true);
    w_->clock().now += 100;
    save();
    read(platform::vbNo);
    QCOMPARE(g().ResumeFlag, int16_t(1));
    QCOMPARE(v().SavedSeconds, 100);
    w_->start(true);
    QCOMPARE(g().ResumeFlag, int16_t(0));
    w_->clock().now += 20;
    w_->boxes().shown.clear();
    w_->solveByMouse();
    QCOMPARE(w_->boxes().shown.size(), 2);  // the congratulation and the new record
    QVERIFY2(w_->boxes().shown.first().text.endsWith(QStringLiteral(u"00時間00分20秒です。")),
             qPrintable(w_->boxes().shown.first().text));
  }

  void resumedGameCountsBothTimes() {
    // The counterpart: resuming the read game carries its 100 s over.
    w_->open(3, 2);
    w_->start(true);
    w_->clock().now += 100;
    save();
    read(platform::vbYes);
    QCOMPARE(g().GameRunning, int16_t(1));
    w_->clock().now += 20;
    w_->boxes().shown.clear();
    w_->solveByMouse();
    QCOMPARE(w_->boxes().shown.size(), 2);  // the congratulation and the new record
    QVERIFY2(w_->boxes().shown.first().text.endsWith(QStringLiteral(u"00時間02分00秒です。")),
             qPrintable(w_->boxes().shown.first().text));
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
    w_->open(4, 3);
    w_->start(true);
    // A piece whose two looks differ, in cell (1, 1).
    const int16_t wanted = int16_t(homePiece(g().Xn, 2, 2)), former = g().Map[1][1];
    for (int c = 1; c <= g().Xn; ++c)
      for (int r = 1; r <= g().Yn; ++r)
        if (g().Map[c][r] == wanted) g().Map[c][r] = former;
    g().Map[1][1] = wanted;
    g().RMap[1][1] = int16_t(flag);
    save();
    read(platform::vbNo);
    QCOMPARE(f().Picture2->pos(), QPoint(0, 0));
    QCOMPARE(int(g().RMap[1][1]), flag);
    const QImage source = f().Picture1->picture();
    const QImage want = testsupport::pieceImage(source, g(), v(), g().Map[1][1], flag == 1);
    const QImage other = testsupport::pieceImage(source, g(), v(), g().Map[1][1], flag != 1);
    QVERIFY(want != other);
    QVERIFY(floatingImage() == want);
    QCOMPARE(testsupport::checkBoard(f().Picture1->retained(), source, g(), v()), QString());
  }

  void declinedStartKeepsReadingOpen() {
    // Declining the start leaves a shuffled board with no game: nothing to
    // save, a game file can be read, and a later start is offered again.
    w_->open(4, 3);
    w_->start(false);
    QCOMPARE(g().GameRunning, int16_t(0));
    QVERIFY(!f().SaveData->isEnabled());
    QVERIFY(f().ReadData->isEnabled());
    QVERIFY(f().GStart->isEnabled());
    QVERIFY(!f().GStop->isEnabled());
    // Board presses do nothing while no game runs.
    const Grid map = g().Map, flags = g().RMap;
    QTest::mouseClick(f().Picture1, Qt::RightButton, {}, w_->cellCentre(2, 2));
    QTest::mousePress(f().Picture1, Qt::LeftButton, {}, w_->cellCentre(2, 2));
    QTest::mouseMove(f().Picture1, w_->cellCentre(3, 3));
    QTest::mouseRelease(f().Picture1, Qt::LeftButton, {}, w_->cellCentre(3, 3));
    QVERIFY(g().Map == map);
    QVERIFY(g().RMap == flags);
  }
};

QTEST_MAIN(RuleBreaksGameTest)
#include "tst_rulebreaks_game.moc"
