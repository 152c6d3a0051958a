// The game in play: the clock, the pause, the kept game, and what is told
// after a completed game or when the records or the kept game are in trouble.
#include "shell/GameInPlay.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QStringList>
#include <QTimer>
#include <QtConcurrent>

#include "core/GameFlow.h"
#include "persistence/KeptGame.h"
#include "persistence/PictureKey.h"
#include "platform/Clock.h"
#include "platform/ManualDrag.h"
#include "platform/TextFigures.h"
#include "shell/RecordsDialog.h"

namespace quavinto {
namespace {

// The longest the window waits for another copy's change to the records.
constexpr int kWindowLockWaitMs = 200;

QString bestText(const Record& r, int place) {
  const QStringList figures{QString::number(r.xn), QString::number(r.yn), QString::number(place),
                            platform::ordinal(place)};
  //: %1×%2: the board; %3: the place as a number, %4: as an ordinal (1st, 2nd…).
  const QString best = QCoreApplication::translate("PlayControls", "自己ベスト！ %1×%2 で %3 位");
  //: %1×%2: the board; %3: the place as a number, %4: as an ordinal (1st, 2nd…).
  const QString kept = QCoreApplication::translate("PlayControls", "記録に入りました！ %1×%2 で %3 位");
  return platform::withFigures(place == 1 ? best : kept, figures);
}
QString fewestNotice() { return QCoreApplication::translate("PlayControls", "最少手数で完成！"); }
QString recordsSetAsideText(const QString& file) {
  return QCoreApplication::translate("PlayControls",
                                     "記録のファイルが壊れていたため、%1 として残し、新しく記録を始めます。")
      .arg(file);
}
QString recordsUnreadableText(const QString& file) {
  return QCoreApplication::translate("PlayControls", "記録のファイルを読み込めません。\r\nファイル: %1").arg(file);
}
QString recordsUnwritableText(const QString& folder) {
  return QCoreApplication::translate("PlayControls",
                                     "記録を保存できません。\r\nフォルダー: %1\r\nゲームはこのまま続けられます。")
      .arg(folder);
}
QString keptUnwritableText(const QString& folder) {
  return QCoreApplication::translate(
             "KeptGameOffer", "ゲームを自動で保存できません。\r\nフォルダー: %1\r\nゲームはこのまま続けられます。")
      .arg(folder);
}

// The same as clockFigures with the fewest moves that solve the game.
QString clockFiguresWithFewest(int32_t seconds, int moves, int fewest) {
  //: %1: the time played; %n: the moves made; %2: the fewest moves that solve the game.
  return QCoreApplication::translate("PlayControls", "%1  手数 %n / 最少 %2", nullptr, moves)
      .arg(playTimeText(seconds))
      .arg(fewest);
}

}  // namespace

QString clockFigures(int32_t seconds, int moves) {
  //: %1: the time played; %n: the moves made.
  return QCoreApplication::translate("PlayControls", "%1  手数 %n", nullptr, moves).arg(playTimeText(seconds));
}

QString completedGameNotice(const Record& record, int place, bool inFewest) {
  QStringList lines;
  if (place >= 1 && place <= kRecordsKept) lines << bestText(record, place);
  if (inFewest) lines << fewestNotice();
  return lines.join(QStringLiteral("\r\n"));
}

GameInPlay::GameInPlay(GameHost& host, GameKeeper& keeper, PictureKeys& keys, Window window, QObject* parent)
    : QObject(parent),
      recordsPath(recordsFolder()),
      host_(host),
      keeper_(keeper),
      keys_(keys),
      window_(std::move(window)) {
  keeper_.onWriteFailed = [this](const QString& folder) { tellKeptGameUnwritable(folder); };
  ticks_ = new QTimer(this);
  ticks_->setInterval(1000);
  connect(ticks_, &QTimer::timeout, this, &GameInPlay::tickClock);
  // The game pauses by itself when another program takes the focus; the
  // program's own boxes and dialogs keep the application active.
  if (qGuiApp)
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
      if (state != Qt::ApplicationActive) pauseGame(host_);
    });
}

void GameInPlay::playEvent(PlayEvent event) {
  keeper_.playEvent(event);
  switch (event) {
    case PlayEvent::Began:
      ticks_->start();
      break;
    case PlayEvent::Moved:
    case PlayEvent::Hinted:
      break;
    case PlayEvent::Completed:
      ticks_->stop();
      tickClock();
      window_.tell(completionText(host_.play().finalSeconds), 0);
      break;
    case PlayEvent::Ended:
      ticks_->stop();
      window_.showPause(false);
      if (host_.play().lastEnd == GameEnd::Completed) recordCompletedGame();
      break;
    case PlayEvent::Paused:
      ticks_->stop();
      window_.showPause(true);
      break;
    case PlayEvent::Resumed:
      window_.showPause(false);
      ticks_->start();
      break;
  }
  tickClock();
}

QString GameInPlay::clockText() const {
  const PlayState& p = host_.play();
  if (p.finished) return clockFigures(p.finalSeconds, p.finalMoves);
  // The time is read as the core reads it: a pause in progress is left out.
  if (host_.state().GameRunning == 1)
    return clockFigures(playedSeconds(host_, platform::secondsSinceMidnight()), p.moves());
  return QString();
}

QString GameInPlay::clockTextWithFewest() const {
  const PlayState& p = host_.play();
  if (p.fewest < 0 || (!p.finished && host_.state().GameRunning != 1)) return clockText();
  if (p.finished) return clockFiguresWithFewest(p.finalSeconds, p.finalMoves, p.fewest);
  return clockFiguresWithFewest(playedSeconds(host_, platform::secondsSinceMidnight()), p.moves(), p.fewest);
}

QString GameInPlay::clockDescription() const {
  const int fewest = host_.play().fewest;
  return fewest >= 0 && !clockText().isEmpty()
             ? QCoreApplication::translate("PlayControls", "経過時間と手数、最少 %1 手").arg(fewest)
             : QCoreApplication::translate("PlayControls", "経過時間と手数");
}

void GameInPlay::tickClock() {
  const QString shortText = clockText(), full = clockTextWithFewest(), description = clockDescription();
  if (shortText == shown_ && full == shownFull_ && description == shownDescription_) return;
  shown_ = shortText;
  shownFull_ = full;
  shownDescription_ = description;
  window_.showClock();
}

bool GameInPlay::clockRunning() const { return ticks_->isActive(); }

void GameInPlay::preparePictureKey() { keys_.prepare(host_.vars().PictureFile, *host_.boardPicture()); }

void GameInPlay::recordCompletedGame() {
  const PlayState& p = host_.play();
  Record record;
  record.xn = host_.state().Xn;
  record.yn = host_.state().Yn;
  record.seconds = p.finalSeconds;
  record.moves = p.finalMoves;
  record.when = QDateTime::currentDateTime();
  record.when = record.when.addMSecs(-record.when.time().msec());
  record.resumed = host_.state().ResumeFlag == 1;
  record.fewest = p.fewest;
  record.hints = p.finalHints;
  const bool inFewest = p.fewest >= 0 && p.finalMoves == p.fewest;
  // The picture's key was begun on a worker as the picture arrived; the
  // record waits for it in the rare game finished before a photo's hash.
  preparePictureKey();  // begun already, unless the board's picture came another way
  keys_.whenReady([this, record, inFewest](const QString& key) mutable {
    record.picture = key;
    RecordStore store(recordsPath);
    store.setLockWait(kWindowLockWaitMs);
    const RecordStore::Outcome outcome = store.add(record);
    if (!outcome.busy) {
      recorded(record, inFewest, outcome);
      return;
    }
    // Another copy is changing the records: the record waits for it on a
    // worker, and its place is told when it is in.
    auto* waiting = new QFutureWatcher<RecordStore::Outcome>(this);
    connect(waiting, &QFutureWatcherBase::finished, this, [this, waiting, record, inFewest] {
      recorded(record, inFewest, waiting->result());
      waiting->deleteLater();
    });
    waiting->setFuture(QtConcurrent::run([folder = recordsPath, record] { return RecordStore(folder).add(record); }));
  });
}

void GameInPlay::recorded(const Record& record, bool inFewest, const RecordStore::Outcome& outcome) {
  tellRecordsProblem(outcome);
  // One notice after the congratulation, whatever it has to say.
  const QString notice = completedGameNotice(record, outcome.place, inFewest);
  if (!notice.isEmpty()) window_.tell(notice, 0);
}

void GameInPlay::tellRecordsProblem(const RecordStore::Outcome& outcome) {
  if (outcome.setAside && !toldRecordsSetAside_) {
    toldRecordsSetAside_ = true;
    window_.tell(recordsSetAsideText(RecordStore(recordsPath).filePath() + QStringLiteral(".bad")), 48);
  }
  if (!outcome.ok && !toldRecordsUnwritable_) {
    toldRecordsUnwritable_ = true;
    window_.tell(outcome.unreadable ? recordsUnreadableText(outcome.problem) : recordsUnwritableText(outcome.problem),
                 48);
  }
}

void GameInPlay::tellKeptGameUnwritable(const QString& folder) {
  // Not under a piece being dragged: the next failed write tells instead.
  if (toldKeptUnwritable_ || platform::dragInProgress()) return;
  toldKeptUnwritable_ = true;
  window_.tell(keptUnwritableText(folder), 48);
}

}  // namespace quavinto
