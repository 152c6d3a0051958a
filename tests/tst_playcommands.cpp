// Undo and redo, hints, the clock over the menu bar, the pause cover and the
// records dialog, played in the window as the player would: each step checks
// what the player sees. The rules of the clock, the pause and the notices
// themselves are tested without a window in tst_gameinplay.
#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTreeWidget>
#include <QtTest>

#include "core/FewestMoves.h"
#include "core/GameFlow.h"
#include "core/PlayMoves.h"
#include "interaction/HintMarks.h"
#include "interaction/KeyboardPlay.h"
#include "persistence/KeptGame.h"
#include "persistence/PictureKey.h"
#include "platform/ManualDrag.h"
#include "platform/PictureBox.h"
#include "shell/Form2.h"
#include "shell/GameInPlay.h"
#include "shell/RecordsDialog.h"
#include "support/PlayedWindow.h"

using namespace quavinto;
using testsupport::windowBoardProblem;

namespace {
// Everything undo must give back exactly.
struct Snapshot {
  Grid map, rmap;
  QImage board, floating;
  QPoint floatingAt;
  bool operator==(const Snapshot& o) const {
    return map == o.map && rmap == o.rmap && board == o.board && floating == o.floating && floatingAt == o.floatingAt;
  }
};

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
  explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};
}  // namespace

class PlayCommandsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PlayedWindow> w_;
  Form1& f() { return w_->form(); }
  GameState& g() { return w_->state(); }

  Snapshot snap() {
    return {g().Map, g().RMap, f().Picture1->retained().copy(), f().Picture2->retained().copy(), f().Picture2->pos()};
  }
  void drag(int c0, int r0, int c1, int r1) {
    const QPoint to = w_->cellCentre(c1, r1);
    QTest::mousePress(f().Picture1, Qt::LeftButton, {}, w_->cellCentre(c0, r0));
    QTest::mouseMove(f().Picture1, to);
    QTest::mouseRelease(f().Picture1, Qt::LeftButton, {}, to);
  }
  // A cell pair whose pieces differ, so the exchange is a move.
  void exchangeSomething() {
    QVERIFY(g().Map[1][1] != g().Map[2][1]);
    drag(1, 1, 2, 1);
  }

private slots:
  void init() { w_ = std::make_unique<testsupport::PlayedWindow>(36000.0); }
  void cleanup() {
    platform::cancelDrag();
    w_.reset();
  }

  // Undo takes back exchanges and turns exactly, in any order, by menu and by
  // key: the board's pixels, Map, RMap, and the floating piece back on the
  // cell the exchanged piece was lifted from; redo plays them again; a new
  // move forgets what was taken back. The clock never goes back, and the
  // count follows.
  void undoAndRedoGiveBackExactly() {
    w_->open(4, 3);
    w_->start(true);
    QVERIFY(!f().Undo->isEnabled() && !f().Redo->isEnabled());
    const int32_t started = w_->vars().StartTime;
    // Each move: from and to cells; a turn has no `to`.
    const std::vector<std::pair<QPoint, QPoint>> moves{
        {{1, 1}, {3, 2}}, {{3, 2}, {}}, {{4, 3}, {}}, {{4, 3}, {2, 2}}};
    std::vector<Snapshot> states;
    for (const auto& [from, to] : moves) {
      states.push_back(snap());
      if (to.isNull()) QTest::mouseClick(f().Picture1, Qt::RightButton, {}, w_->cellCentre(from.x(), from.y()));
      else drag(from.x(), from.y(), to.x(), to.y());
    }
    states.push_back(snap());
    QVERIFY(f().inPlay().clockText().endsWith(QStringLiteral(u"手数 4")));
    QVERIFY(f().Undo->isEnabled());

    w_->clock().now += 30;
    for (int i = 3; i >= 0; --i) {
      QCoreApplication::processEvents();
      platform::PictureBox::resetPaintedPixels();
      if (i % 2) f().Undo->trigger();
      else QTest::keyClick(f().Picture1, Qt::Key_Z, Qt::ControlModifier);
      QCoreApplication::processEvents();
      // Only the cells the move changed are painted again; by key, the focus
      // frame over one of them adds that cell's floating piece once more.
      const qint64 piece = qint64(w_->vars().PieceWidth) * w_->vars().PieceHeight;
      QVERIFY2(platform::PictureBox::paintedPixels() <= (i % 2 ? 2 : 3) * piece,
               qPrintable(QStringLiteral("undo %1: %2 pieces").arg(i).arg(double(platform::PictureBox::paintedPixels()) / piece)));
      const Snapshot now = snap(), want = states[size_t(i)];
      QVERIFY2(now.map == want.map && now.rmap == want.rmap && now.board == want.board,
               qPrintable(QStringLiteral("after undoing to step %1").arg(i)));
      const auto& [from, to] = moves[size_t(i)];
      if (!to.isNull())
        QCOMPARE(f().Picture2->pos(), QPoint((from.x() - 1) * w_->vars().PieceWidth,
                                             (from.y() - 1) * w_->vars().PieceHeight));
      QCOMPARE(windowBoardProblem(f()), QString());
      QVERIFY(f().inPlay().clockText().endsWith(QStringLiteral(u"手数 %1").arg(i)));
    }
    QVERIFY(!f().Undo->isEnabled() && f().Redo->isEnabled());
    QCOMPARE(w_->vars().StartTime, started);
    QVERIFY(f().inPlay().clockText().startsWith(QStringLiteral("0:00:30")));

    f().Redo->trigger();
    QVERIFY(snap() == states[1]);
    QTest::keyClick(f().Picture1, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(snap() == states[2]);
    QTest::keyClick(f().Picture1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(snap() == states[3]);
    QCOMPARE(windowBoardProblem(f()), QString());
    // A new move forgets the move still to be played again.
    QTest::mouseClick(f().Picture1, Qt::RightButton, {}, w_->cellCentre(1, 3));
    QVERIFY(!f().Redo->isEnabled());
    QVERIFY(f().inPlay().clockText().endsWith(QStringLiteral(u"手数 4")));
  }

  // A piece the keys hold is let go by an undo that moved the floating piece;
  // the keys' moves are taken back like the pointer's.
  void undoAfterKeyboardMoves() {
    w_->open(3, 3);
    w_->start(true);
    const Snapshot before = snap();
    QTest::keyClick(f().Picture1, Qt::Key_Space);  // pick up (1, 1)
    QTest::keyClick(f().Picture1, Qt::Key_Right);
    QTest::keyClick(f().Picture1, Qt::Key_Space);  // exchange with (2, 1)
    QTest::keyClick(f().Picture1, Qt::Key_Space);  // pick (2, 1) up again
    QVERIFY(f().keys->holding());
    QTest::keyClick(f().Picture1, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!f().keys->holding());
    QCOMPARE(g().Map, before.map);
    QCOMPARE(g().RMap, before.rmap);
    QCOMPARE(windowBoardProblem(f()), QString());
  }

  void everyEndOfAGameForgetsTheMoves_data() {
    QTest::addColumn<QString>("end");
    QTest::newRow("stop") << QStringLiteral("stop");
    QTest::newRow("picture") << QStringLiteral("picture");
    QTest::newRow("settings") << QStringLiteral("settings");
  }

  void everyEndOfAGameForgetsTheMoves() {
    QFETCH(QString, end);
    w_->open(3, 2);
    w_->start(true);
    exchangeSomething();
    f().Undo->trigger();
    QVERIFY(f().Redo->isEnabled());
    exchangeSomething();
    if (end == QLatin1String("stop")) {
      f().GStop->trigger();
    } else if (end == QLatin1String("picture")) {
      w_->files().script.push_back(qEnvironmentVariable("QUAVINTO_TEST_DATA") +
                                   QStringLiteral("/pictures/good/bmp-16bit-70x46.bmp"));
      f().LoadPictureEx->trigger();
      QCOMPARE(w_->vars().PictureFile.isEmpty(), false);
    } else {
      testsupport::whenSettingsDialogOpens([](Form2& d) { d.reject(); });
      w_->boxes().answer(platform::vbYes);
      f().SetData1->trigger();
    }
    QVERIFY(!f().Undo->isEnabled() && !f().Redo->isEnabled());
    QCOMPARE(f().inPlay().clockText(), QString());
    QCOMPARE(g().GameRunning, int16_t(0));
  }

  // The clock over the menu bar: it ticks without repainting the board, sits
  // right of the last menu inside the bar, shows the fewest moves only where
  // the bar has room for them, says them to screen readers, and is hidden
  // with no game.
  void clockOverTheMenuBar() {
    w_->open(3, 2);
    w_->start(true);
    QVERIFY(f().clockLabel->isVisible());
    // The fewest moves are always said; shown where the bar has room.
    const int fewest = f().play().fewest;
    QVERIFY(fewest >= 1);
    QCOMPARE(f().clockLabel->accessibleDescription(), QStringLiteral(u"経過時間と手数、最少 %1 手").arg(fewest));
    QCoreApplication::processEvents();
    PaintCounter board(f().Picture1), floating(f().Picture2);
    for (int tick = 1; tick <= 10; ++tick) {
      w_->clock().now += 373.5;
      f().inPlay().tickClock();
      QCoreApplication::processEvents();
    }
    QCOMPARE(board.paints + floating.paints, 0);
    // A window with room for the time and moves but not the fewest moves
    // shows the time and moves, and is not widened for the fewest.
    const QSize designSize = f().size();
    QCOMPARE(f().clockLabel->text(), QStringLiteral(u"1:02:15  手数 0 / 最少 %1").arg(fewest));
    const QFontMetrics metrics = f().clockLabel->fontMetrics();
    int itemsRight = 0;
    for (QAction* item : f().menuBar()->actions())
      itemsRight = std::max(itemsRight, f().menuBar()->actionGeometry(item).right());
    const int shortWidth = metrics.horizontalAdvance(f().inPlay().clockText());
    const int fullWidth = metrics.horizontalAdvance(f().inPlay().clockTextWithFewest());
    f().resize(designSize.width() - f().menuBar()->width() + itemsRight + 24 + (shortWidth + fullWidth) / 2,
               designSize.height());
    QCOMPARE(f().clockLabel->text(), QStringLiteral(u"1:02:15  手数 0"));
    QVERIFY(f().clockLabel->isVisible());
    f().resize(designSize);
    QCOMPARE(f().clockLabel->text(), QStringLiteral(u"1:02:15  手数 0 / 最少 %1").arg(fewest));
    // The label sits right of the last menu, inside the bar.
    QVERIFY(f().clockLabel->geometry().right() <= f().menuBar()->geometry().right());
    f().GStop->trigger();
    QVERIFY(!f().clockLabel->isVisible());
  }

  // Pause: the board and the view are covered and nothing plays; a save made
  // while paused across midnight leaves the pause out; a key resumes, as does
  // a click.
  void pauseHidesTheBoard() {
    w_->clock().now = 86000;
    w_->open(3, 2);
    g().HyoujiFlag = 1;
    f().ResetView();
    QVERIFY(f().Picture3->isVisible());
    w_->start(true);
    w_->clock().now += 100;
    QTest::keyClick(f().Picture1, Qt::Key_P);
    QVERIFY(w_->form().play().paused);
    QVERIFY(f().pauseCover->isVisible());
    const QRect cover(f().pauseCover->mapTo(&f(), QPoint()), f().pauseCover->size());
    for (QWidget* hidden : {static_cast<QWidget*>(f().Picture1), static_cast<QWidget*>(f().Picture3)})
      QVERIFY(cover.contains(QRect(hidden->mapTo(&f(), QPoint()), hidden->size())));
    const Grid map = g().Map;
    QTest::mouseClick(f().Picture1, Qt::RightButton, {}, w_->cellCentre(1, 1));
    QCOMPARE(g().Map, map);
    QVERIFY(!f().Undo->isEnabled());

    w_->clock().now = 500;  // past midnight
    w_->files().script.push_back(w_->path(QStringLiteral("paused.QVD")));
    f().SaveData->trigger();
    QFile saved(w_->path(QStringLiteral("paused.QVD")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().endsWith(" 100 \r\n"));

    QTest::keyClick(f().pauseCover, Qt::Key_A);
    QVERIFY(!w_->form().play().paused && !f().pauseCover->isVisible());
    f().Pause->trigger();
    QTest::mouseClick(f().pauseCover, Qt::LeftButton);
    QVERIFY(!w_->form().play().paused);
  }

  // A hint costs 30 seconds, outlines its cells for about two seconds and
  // says them to screen readers; none while paused. Following hints alone
  // solves the game in exactly the fewest moves, and the notice says so.
  void hintsShowAShortestWayAtAPrice() {
    w_->open(3, 2);
    QVERIFY(!f().Hint->isEnabled());
    w_->start(true);
    const int fewest = f().play().fewest;
    QVERIFY(f().Hint->isEnabled());
    const QString before = f().inPlay().clockText();
    f().Hint->trigger();
    QVERIFY(f().hintMarks->shown());
    QCOMPARE(f().play().hints(), 1);
    QVERIFY2(f().inPlay().clockText().startsWith(QStringLiteral("0:00:30")),
             qPrintable(before + " / " + f().inPlay().clockText()));
    QVERIFY(f().Picture1->accessibleDescription().startsWith(QStringLiteral(u"ヒント: ")));
    QVERIFY(!f().hintMarks->marked().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!f().hintMarks->shown(), HintMarks::kShownMs + 1000);
    f().Pause->trigger();
    QVERIFY(!f().Hint->isEnabled());
    f().Pause->trigger();
    w_->boxes().shown.clear();
    int hints = 0;
    while (g().GameRunning == 1 && hints < 20) {
      const std::optional<Move> hint = hintMove(g());
      QVERIFY(hint);
      f().Hint->trigger();
      ++hints;
      QVERIFY(playMove(f(), *hint));
      CheckComplete(f());
    }
    QCOMPARE(f().play().finalMoves, fewest);
    QVERIFY2(w_->boxes().shown.last().text.endsWith(QStringLiteral(u"最少手数で完成！")),
             qPrintable(w_->boxes().shown.last().text));
    QList<Record> kept;
    RecordStore(f().inPlay().recordsPath).read(f().pictureKeys->waitForKey(), &kept);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept.first().hints, hints + 1);
    QCOMPARE(kept.first().fewest, fewest);
  }

  // A game left behind a minimised window pauses; with no game there is
  // nothing to pause.
  void pausesWhenTheWindowIsMinimised() {
    w_->open(3, 2);
    f().showMinimized();
    QVERIFY(!w_->form().play().paused);
    f().showNormal();
    w_->start(true);
    f().showMinimized();
    QVERIFY(w_->form().play().paused);
  }

  // The records dialog lists the picture's records best first, its places as
  // ordinals and its dates as the locale writes them in English, without
  // scrolling sideways, and clears them after asking.
  void recordsAreShownAndCleared() {
    w_->open(2, 2);
    const QString folder = f().inPlay().recordsPath, key = f().pictureKeys->waitForKey();
    const auto keep = [&](int32_t seconds) {
      Record record;
      record.picture = key;
      record.xn = 2;
      record.yn = 2;
      record.seconds = seconds;
      record.moves = 1;
      record.fewest = 1;
      record.when = QDateTime(QDate(2026, 12, 8), QTime(10, 0)).addSecs(seconds);
      QVERIFY(RecordStore(folder).add(record).ok);
    };
    for (int32_t t : {50, 30, 40, 60}) keep(t);
    RecordsDialog dialog(folder, key, QString(), &f());
    QCOMPARE(dialog.list()->topLevelItemCount(), 4);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_VERIFY2(!dialog.list()->horizontalScrollBar()->isVisible(), "the records need scrolling sideways");
    QStringList order;
    for (int i = 0; i < 3; ++i) order << dialog.list()->topLevelItem(i)->text(2);
    QCOMPARE(order, (QStringList{QStringLiteral("0:00:30"), QStringLiteral("0:00:40"), QStringLiteral("0:00:50")}));
    QCOMPARE(dialog.list()->topLevelItem(0)->text(1), QStringLiteral("1"));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d$"))
                 .match(dialog.list()->topLevelItem(0)->text(6))
                 .hasMatch(),
             qPrintable(dialog.list()->topLevelItem(0)->text(6)));
    {
      // In English the places are ordinals and the dates as the locale writes them.
      testsupport::EnglishUi inEnglish;
      keep(45);
      RecordsDialog english(folder, key, QString(), &f());
      QStringList places;
      for (int i = 0; i < 4; ++i) places << english.list()->topLevelItem(i)->text(1);
      QCOMPARE(places, (QStringList{QStringLiteral("1st"), QStringLiteral("2nd"), QStringLiteral("3rd"),
                                    QStringLiteral("4th")}));
      QList<Record> kept;
      RecordStore(folder).read(key, &kept);
      QCOMPARE(english.list()->topLevelItem(0)->text(6),
               QLocale(QLocale::English, QLocale::UnitedStates).toString(kept.first().when, QLocale::ShortFormat));
    }
    w_->boxes().answer(platform::vbNo);
    dialog.clearButton()->click();
    QCOMPARE(dialog.list()->topLevelItemCount(), 4);
    w_->boxes().answer(platform::vbYes);
    dialog.clearButton()->click();
    QList<Record> left;
    RecordStore(folder).read(key, &left);
    QVERIFY(left.isEmpty());
  }

  // A records file that cannot be read is said so in the dialog, and left as
  // it is.
  void unreadableRecordsAreTold() {
    w_->open(2, 1);
    const QString file = RecordStore(f().inPlay().recordsPath).filePath();
    QVERIFY(QDir().mkpath(file));
    RecordsDialog dialog(f().inPlay().recordsPath, f().pictureKeys->waitForKey(), QString(), &f());
    QCOMPARE(dialog.list()->topLevelItem(0)->text(0), QStringLiteral(u"記録を読み込めません"));
    QVERIFY(QFileInfo(file).isDir());
  }
};

QTEST_MAIN(PlayCommandsTest)
#include "tst_playcommands.moc"
