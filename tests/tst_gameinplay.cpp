// The game in play without a window: what the clock reads while playing,
// paused and finished, the pause when another program takes the focus, the
// kept game following play, the one notice after a completed game, and each
// trouble with the records or the kept game told once per run. A small board
// of plain images stands in for the window; the core plays on it as on the
// real board.
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLockFile>
#include <QtTest>

#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "core/PlayMoves.h"
#include "persistence/KeptGame.h"
#include "persistence/PictureKey.h"
#include "platform/DeviceContext.h"
#include "shell/GameInPlay.h"
#include "support/TestSupport.h"

using namespace quavinto;

namespace {

constexpr int kPiece = 8;

// An xn x 1 board of plain images with its first two pieces exchanged, so
// that one exchange solves it; the game in play hears what the core reports.
class PlainBoard : public GameHost {
 public:
  explicit PlainBoard(int xn, int yn = 1) {
    g_.Xn = int16_t(xn);
    g_.Yn = int16_t(yn);
    v_.PieceWidth = kPiece;
    v_.PieceHeight = kPiece;
    picture_ = QImage(xn * kPiece, yn * kPiece, QImage::Format_RGB32);
    picture_.fill(Qt::darkCyan);
    board_ = picture_;
    reversed_ = picture_.mirrored(true, true);
    floating_ = QImage(kPiece, kPiece, QImage::Format_RGB32);
    g_.MemDC = platform::CreateCompatibleDC(&boardDc_);
    scramble();
  }
  ~PlainBoard() override { platform::DeleteDC(g_.MemDC); }
  void scramble() {
    InitMap(g_);
    std::swap(g_.Map[1][1], g_.Map[2][1]);
  }

  GameInPlay* game = nullptr;
  GameState& state() override { return g_; }
  MainVars& vars() override { return v_; }
  PlayState& play() override { return play_; }
  void playEvent(PlayEvent event) override { game->playEvent(event); }
  // The design stops on an empty cell; no such cell is ever reached here.
  void emptyCellReached(int32_t, int32_t) override { QFAIL("a cell without its piece was drawn"); }
  QImage* boardPicture() override { return &picture_; }
  platform::Hdc boardDc() override { return &boardDc_; }
  platform::Hdc floatingDc() override { return &floatingDc_; }
  platform::Hdc reversedDc() override { return &reversedDc_; }
  QSize boardSize() override { return board_.size(); }
  void refreshBoard() override {}
  void repaintBoardNow() override {}
  void refreshFloating() override {}
  void refreshReversed() override {}
  QPoint floatingPos() override { return floatingAt_; }
  void moveFloating(int left, int top) override { floatingAt_ = {left, top}; }
  void showWaitNotice(bool, bool) override {}
  void startFloatingDrag() override {}
  void setPreparing(bool) override {}
  bool preparing() const override { return false; }
  void setMenuEnabled(Menu, bool) override {}
  void processEvents() override {}

 private:
  GameState g_;
  MainVars v_;
  PlayState play_;
  QImage picture_, board_, floating_, reversed_;
  platform::DeviceContext boardDc_{&board_}, floatingDc_{&floating_}, reversedDc_{&reversed_};
  QPoint floatingAt_{-kPiece, -kPiece};
};

}  // namespace

class GameInPlayTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::FakeClock> clock_;
  std::unique_ptr<PlainBoard> board_;
  std::unique_ptr<PictureKeys> keys_;
  std::unique_ptr<GameKeeper> keeper_;
  std::unique_ptr<GameInPlay> game_;
  QList<testsupport::ShownBox> told_;
  std::function<void(const QString&)> onTell_;
  QList<bool> covers_;  // each showing (true) and hiding of the pause cover
  int clockShown_ = 0;

  GameInPlay& game() { return *game_; }
  PlayState& play() { return board_->play(); }
  double& now() { return clock_->now; }

  // A fresh game in play, begun at `at`.
  void begin(double at) {
    board_->scramble();
    now() = at;
    BeginPlay(*board_);
    QCOMPARE(board_->state().GameRunning, int16_t(1));
  }
  // Solves the board in the fewest moves.
  void solve() {
    QVERIFY(playMove(*board_, Move::exchange({1, 1}, {2, 1})));
    QCOMPARE(board_->state().GameRunning, int16_t(0));
  }
  // A fresh xn x yn board, no game in play.
  void open(int xn, int yn) {
    cleanup();
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    clock_ = std::make_unique<testsupport::FakeClock>(36000.0);
    board_ = std::make_unique<PlainBoard>(xn, yn);
    keys_ = std::make_unique<PictureKeys>();
    keeper_ = std::make_unique<GameKeeper>(*board_, [this] { return keys_->future(); }, nullptr);
    GameInPlay::Window window;
    window.showClock = [this] { ++clockShown_; };
    window.showPause = [this](bool paused) { covers_ << paused; };
    window.tell = [this](const QString& text, int style) {
      told_.append({text, style, QString()});
      if (onTell_) onTell_(text);
    };
    game_ = std::make_unique<GameInPlay>(*board_, *keeper_, *keys_, window);
    board_->game = game_.get();
    game_->preparePictureKey();
  }
  int toldWith(const QString& start) const {
    int n = 0;
    for (const auto& box : told_) n += box.text.startsWith(start) ? 1 : 0;
    return n;
  }

 private slots:
  void init() { open(2, 1); }
  void cleanup() {
    keeper_.reset();  // first: its writes done, it tells nobody any more
    game_.reset();
    keys_.reset();
    board_.reset();
    clock_.reset();
    settings_.reset();
    told_.clear();
    covers_.clear();
  }
  // The clock reads H:MM:SS and the moves while playing, with the fewest
  // moves beside them and always in its description; its figures reach the
  // window as they change; from the completion (the congratulation still
  // open) they are the final ones, and with no game it is empty.
  void clockFollowsTheGame() {
    QCOMPARE(game().clockText(), QString());
    QCOMPARE(game().clockDescription(), QStringLiteral(u"経過時間と手数"));
    QVERIFY(!game().clockRunning());
    begin(36000.0);
    QVERIFY(game().clockRunning());
    QCOMPARE(game().clockText(), QStringLiteral(u"0:00:00  手数 0"));
    {
      testsupport::EnglishUi inEnglish;
      QCOMPARE(game().clockText(), QStringLiteral("0:00:00  0 moves"));
    }
    const int fewest = play().fewest;
    QCOMPARE(fewest, 1);
    QCOMPARE(game().clockDescription(), QStringLiteral(u"経過時間と手数、最少 %1 手").arg(fewest));
    QCOMPARE(game().shownFiguresWithFewest(), QStringLiteral(u"0:00:00  手数 0 / 最少 1"));
    const int shownBefore = clockShown_;
    game().tickClock();
    QCOMPARE(clockShown_, shownBefore);  // nothing changed, nothing shown
    for (int tick = 1; tick <= 10; ++tick) {
      now() += 373.5;
      game().tickClock();
    }
    QCOMPARE(clockShown_, shownBefore + 10);
    QCOMPARE(game().shownFigures(), QStringLiteral(u"1:02:15  手数 0"));
    QCOMPARE(game().shownFiguresWithFewest(), QStringLiteral(u"1:02:15  手数 0 / 最少 1"));
    QVERIFY(playMove(*board_, Move::turn({2, 1})));
    {
      testsupport::EnglishUi inEnglish;
      QCOMPARE(game().clockText(), QStringLiteral("1:02:15  1 move"));
    }
    QVERIFY(playMove(*board_, Move::turn({2, 1})));
    QString duringBox;
    // The box stays open for seconds; the clock ticks meanwhile.
    onTell_ = [&](const QString& text) {
      if (!text.startsWith(QStringLiteral(u"おめでとう"))) return;
      now() += 5;
      game().tickClock();
      duringBox = game().shownFiguresWithFewest();
    };
    now() += 0.6;  // the box opens a little later than the last move
    solve();
    onTell_ = nullptr;
    now() -= 5;
    const QString final = game().clockText();
    QCOMPARE(duringBox, game().clockTextWithFewest());
    QCOMPARE(final, QStringLiteral(u"1:02:16  手数 3"));
    QVERIFY(!game().clockRunning());
    now() += 100;
    game().tickClock();
    QCOMPARE(game().clockText(), final);
    board_->scramble();
    endGame(*board_, GameEnd::Declined);  // the next start answered No
    QCOMPARE(game().clockText(), QString());
    QCOMPARE(game().shownFigures(), QString());
  }

  // A pause covers the board and stops the clock; a pause across midnight is
  // left out of the time; short pauses cannot freeze the clock, which never
  // steps back; the congratulation tells the time without the pauses.
  void pauseStopsTheClock() {
    begin(86000.0);
    now() += 100;
    QVERIFY(pauseGame(*board_));
    QCOMPARE(covers_, QList<bool>{true});
    QVERIFY(!game().clockRunning());
    QVERIFY(game().clockText().startsWith(QStringLiteral(u"0:01:40")));
    now() = 500;  // past midnight
    game().tickClock();
    QVERIFY(game().clockText().startsWith(QStringLiteral(u"0:01:40")));
    QVERIFY(resumeGame(*board_));
    QCOMPARE(covers_, (QList<bool>{true, false}));
    QVERIFY(game().clockRunning());
    now() += 20;
    QVERIFY(game().clockText().startsWith(QStringLiteral("0:02:00")));
    // Twenty pauses of 0.56 s between 0.44 s of play count 8.8 s.
    QString last = game().clockText();
    for (int i = 0; i < 20; ++i) {
      now() += 0.44;
      QVERIFY(pauseGame(*board_));
      game().tickClock();
      QVERIFY2(game().clockText() >= last, qPrintable(game().clockText() + QStringLiteral(" after ") + last));
      last = game().clockText();
      now() += 0.56;
      QVERIFY(resumeGame(*board_));
      game().tickClock();
      QCOMPARE(game().clockText(), last);
    }
    QVERIFY(game().clockText().startsWith(QStringLiteral("0:02:09")));
    told_.clear();
    solve();
    QVERIFY(told_.at(0).text.endsWith(QStringLiteral(u"00時間02分09秒です。")));
  }

  // Another program taking the focus pauses a game in play, and only one;
  // its end takes the cover away.
  void pausesWhenAnotherProgramTakesTheFocus() {
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    QVERIFY(!play().paused);  // no game, nothing to pause
    begin(36000.0);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    QVERIFY(!play().paused);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    QVERIFY(play().paused);
    QCOMPARE(covers_, QList<bool>{true});
    endGame(*board_, GameEnd::Stopped);  // a game ended while paused is uncovered
    QCOMPARE(covers_, (QList<bool>{true, false}));
  }

  // The kept game hears the game's events: a move waits for the timer, a
  // pause writes it, and the end removes it.
  void keptGameFollowsPlay() {
    begin(36000.0);
    QVERIFY(playMove(*board_, Move::turn({2, 1})));
    QVERIFY(keeper_->pending());
    QVERIFY(pauseGame(*board_));
    keeper_->finishWrites();
    QCOMPARE(keeper_->writes(), 1);
    const KeptGame kept = keeper_->current();
    QVERIFY(kept.exists());
    QVERIFY(resumeGame(*board_));
    QVERIFY(playMove(*board_, Move::turn({2, 1})));
    solve();
    keeper_->finishWrites();
    QVERIFY(!kept.exists());
  }

  // After a completed game one notice says both: its place when it entered
  // the best ten (the best of all said so) and that it took the fewest moves.
  void completedGameNotice_data() {
    QTest::addColumn<int>("place");
    QTest::addColumn<bool>("inFewest");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("notice");
    QTest::newRow("best, fewest") << 1 << true << false << QStringLiteral(u"自己ベスト！ 2×2 で 1 位\r\n最少手数で完成！");
    QTest::newRow("tenth") << 10 << false << false << QStringLiteral(u"記録に入りました！ 2×2 で 10 位");
    QTest::newRow("out of the ten, fewest") << 11 << true << false << QStringLiteral(u"最少手数で完成！");
    QTest::newRow("not placed") << 0 << false << false << QString();
    QTest::newRow("English, best") << 1 << false << true << QStringLiteral(u"New personal best on 2×2!");
  }
  void completedGameNotice() {
    QFETCH(int, place);
    QFETCH(bool, inFewest);
    QFETCH(bool, english);
    QFETCH(QString, notice);
    std::unique_ptr<testsupport::EnglishUi> inEnglish;
    if (english) inEnglish = std::make_unique<testsupport::EnglishUi>();
    Record record;
    record.xn = 2;
    record.yn = 2;
    QCOMPARE(quavinto::completedGameNotice(record, place, inFewest), notice);
  }

  // Every completion is kept for its picture and grid, and its place told in
  // the one notice after the congratulation; while another copy holds the
  // records the game does not wait, and the place is told once it is in.
  void bestTimesAreTold() {
    open(2, 2);
    for (int32_t t : {50, 30, 40}) {
      begin(36000.0);
      now() += t;
      told_.clear();
      solve();
    }
    // 40 s came second, after 30 s.
    QCOMPARE(told_.size(), 2);
    QCOMPARE(told_.last().text, QStringLiteral(u"記録に入りました！ 2×2 で 2 位\r\n最少手数で完成！"));
    QCOMPARE(told_.last().style, 0);
    {
      QLockFile other(RecordStore(game().recordsPath).filePath() + QStringLiteral(".lock"));
      QVERIFY(other.tryLock(0));
      begin(36000.0);
      now() += 60;
      told_.clear();
      QElapsedTimer waited;
      waited.start();
      solve();
      QVERIFY2(waited.elapsed() < 1000, qPrintable(QString::number(waited.elapsed())));
      QCOMPARE(told_.size(), 1);  // the congratulation only, so far
      other.unlock();
      QTRY_COMPARE(told_.last().text, QStringLiteral(u"記録に入りました！ 2×2 で 4 位\r\n最少手数で完成！"));
    }
    {
      testsupport::EnglishUi inEnglish;
      begin(36000.0);
      now() += 45;
      solve();
      QCOMPARE(told_.last().text, QStringLiteral(u"You placed 3rd on 2×2!\r\nSolved in the fewest moves!"));
    }
    QList<Record> kept;
    RecordStore(game().recordsPath).read(keys_->waitForKey(), &kept);
    QCOMPARE(kept.size(), 5);
    QCOMPARE(kept.first().seconds, 30);
    QCOMPARE(kept.first().fewest, 1);
  }

  // Records that cannot be kept are told once per run, however many games
  // end: a damaged file set aside (kept as .bad), a file that cannot be read
  // (left as it is, no place told) and a folder that cannot be written.
  void recordsTroubleIsToldOnce_data() {
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QString>("told");
    QTest::newRow("damaged") << "damaged" << QStringLiteral(u"記録のファイルが壊れていたため、%1.bad として残し");
    QTest::newRow("unreadable") << "unreadable" << QStringLiteral(u"記録のファイルを読み込めません。\r\nファイル: %1");
    QTest::newRow("unwritable") << "unwritable" << QStringLiteral(u"記録を保存できません。\r\nフォルダー: ");
  }
  void recordsTroubleIsToldOnce() {
    QFETCH(QString, trouble);
    QFETCH(QString, told);
    QTemporaryDir dir;
    game().recordsPath = dir.filePath(QStringLiteral("records"));
    const QString file = RecordStore(game().recordsPath).filePath();
    // Made again before each game: a file damaged twice is told of once.
    const auto makeTrouble = [&] {
      if (trouble == QLatin1String("damaged")) {
        QVERIFY(QDir().mkpath(game().recordsPath));
        QFile damaged(file);
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("not a records file\n") > 0);
      } else if (trouble == QLatin1String("unreadable")) {
        QVERIFY(QDir().mkpath(file));
      } else {
        QFile blocker(game().recordsPath);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
      }
    };
    for (int n = 0; n < 2; ++n) {
      makeTrouble();
      begin(36000.0);
      solve();
    }
    told.replace(QLatin1String("%1"), file);
    QCOMPARE(toldWith(told), 1);
    for (const auto& box : told_)
      if (box.text.startsWith(told)) QCOMPARE(box.style, 48);
    // Only a list begun afresh has places to tell.
    QCOMPARE(toldWith(QStringLiteral(u"自己ベスト")), trouble == QLatin1String("damaged") ? 2 : 0);
    if (trouble == QLatin1String("damaged")) QVERIFY(QFile::exists(file + QStringLiteral(".bad")));
    if (trouble == QLatin1String("unreadable")) QVERIFY(QFileInfo(file).isDir());
  }

  // A kept game that cannot be written is told once, naming its folder, and
  // the game goes on to its end.
  void keptGameTroubleIsToldOnce() {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("a-file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString folder = blocker.fileName() + QStringLiteral("/quavinto");
    keeper_->setFolder(folder);
    begin(36000.0);
    for (int pause = 0; pause < 2; ++pause) {
      QVERIFY(playMove(*board_, Move::turn({2, 1})));
      QVERIFY(pauseGame(*board_));
      QVERIFY(resumeGame(*board_));
    }
    keeper_->writePending();
    QCOMPARE(toldWith(QStringLiteral(u"ゲームを自動で保存できません。\r\nフォルダー: ") + folder), 1);
    QCOMPARE(board_->state().GameRunning, int16_t(1));
    solve();
  }
};

QTEST_MAIN(GameInPlayTest)
#include "tst_gameinplay.moc"
