// The main window's commands beyond the design's: undo and redo, pause, the
// records, and the clock with the move count at the right end of the menu bar.
// The core reports the game's events here; this file answers them.
#include <QAccessible>
#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent>

#include "core/GameFlow.h"
#include "core/PlayMoves.h"
#include "interaction/BoardMoves.h"
#include "interaction/HintMarks.h"
#include "interaction/KeyboardPlay.h"
#include "persistence/KeptGame.h"
#include "persistence/PictureKey.h"
#include "persistence/PlayOptions.h"
#include "platform/Clock.h"
#include "platform/ManualDrag.h"
#include "platform/MsgBox.h"
#include "platform/TextFigures.h"
#include "platform/UiSetup.h"
#include "shell/Form1.h"
#include "shell/RecordsDialog.h"

namespace quavinto {
namespace {

// The longest the window waits for another copy's change to the records.
constexpr int kWindowLockWaitMs = 200;

QString pausedNotice() { return QCoreApplication::translate("PlayControls", "一時停止中 — クリックかキーで再開"); }
QString bestText(const Record& r, int place) {
  const QStringList figures{QString::number(r.xn), QString::number(r.yn), QString::number(place),
                            platform::ordinal(place)};
  //: %1×%2: the board; %3: the place as a number, %4: as an ordinal (1st, 2nd…).
  const QString best = QCoreApplication::translate("PlayControls", "自己ベスト！ %1×%2 で %3 位");
  //: %1×%2: the board; %3: the place as a number, %4: as an ordinal (1st, 2nd…).
  const QString kept = QCoreApplication::translate("PlayControls", "記録に入りました！ %1×%2 で %3 位");
  return platform::withFigures(place == 1 ? best : kept, figures);
}
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

// Covers the board and the finished picture while the game is paused: no
// piece can be seen. A click or any key resumes.
class PauseCover : public QWidget {
 public:
  PauseCover(QWidget* parent, std::function<void()> resume) : QWidget(parent), resume_(std::move(resume)) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(pausedNotice());
    // The notice is a label of its own, wrapped to the cover's width, so it is
    // measured like every other text of the window.
    auto* notice = new QLabel(pausedNotice(), this);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignCenter);
    notice->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont big = notice->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    notice->setFont(big);
    QPalette palette = notice->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    notice->setPalette(palette);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);  // wrapped to the cover's whole width
    layout->addWidget(notice);
    parent->installEventFilter(this);
    hide();
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(48, 48, 48)); }
  void mousePressEvent(QMouseEvent*) override { resume_(); }
  void keyPressEvent(QKeyEvent* event) override {
    // Modifier keys alone (the start of a shortcut) do not resume.
    if (event->key() == Qt::Key_Shift || event->key() == Qt::Key_Control || event->key() == Qt::Key_Alt ||
        event->key() == Qt::Key_Meta)
      return;
    resume_();
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return false;
  }

 private:
  std::function<void()> resume_;
};

QString clockFigures(int32_t seconds, int moves) {
  //: %1: the time played; %n: the moves made.
  return QCoreApplication::translate("PlayControls", "%1  手数 %n", nullptr, moves).arg(playTimeText(seconds));
}
// The same with the fewest moves that solve the game, where the bar has room.
QString clockFiguresWithFewest(int32_t seconds, int moves, int fewest) {
  //: %1: the time played; %n: the moves made; %2: the fewest moves that solve the game.
  return QCoreApplication::translate("PlayControls", "%1  手数 %n / 最少 %2", nullptr, moves)
      .arg(playTimeText(seconds))
      .arg(fewest);
}
QString fewestNotice() { return QCoreApplication::translate("PlayControls", "最少手数で完成！"); }

// Between the clock and the bar's last item, and the clock and the bar's end.
constexpr int kClockMargin = 8;

}  // namespace

void Form1::buildPlayCommands() {
  constexpr WhilePreparing runs = WhilePreparing::Runs, held = WhilePreparing::HeldBack;
  Game->addSeparator();
  Undo = addCommand(Game, QCoreApplication::translate("PlayControls", "元に戻す"), &Form1::Undo_Click, held);
  Undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  Redo = addCommand(Game, QCoreApplication::translate("PlayControls", "やり直し"), &Form1::Redo_Click, held);
  Redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  Pause = addCommand(Game, QCoreApplication::translate("PlayControls", "一時停止"), &Form1::Pause_Click, held);
  Pause->setShortcuts({QKeySequence(Qt::Key_P), QKeySequence(Qt::Key_Pause)});
  Pause->setCheckable(true);
  Records = addCommand(Game, QCoreApplication::translate("PlayControls", "記録…"), &Form1::Records_Click, runs);
  Records->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
  Hint = addCommand(Game, QCoreApplication::translate("PlayControls", "ヒント"), &Form1::Hint_Click, held);
  Hint->setShortcut(QKeySequence(Qt::Key_H));
  ClickToPickUp = addCommand(Game, QCoreApplication::translate("PlayControls", "クリックで持ち上げる"),
                             &Form1::ClickToPickUp_Click, runs);
  ClickToPickUp->setCheckable(true);
  ClickToPickUp->setChecked(readPlayOptions().clickToPickUp);
  platform::setClickToLift(ClickToPickUp->isChecked());
  // A long press on a touch screen turns the piece held, as a right click on
  // the floating piece does.
  // The lifted piece is announced as keyboard play announces its cells.
  platform::setLiftHandler([window = QPointer<Form1>(this)](bool lifted) {
    if (!window) return;
    const QPoint at = window->Picture2->pos();
    const int col = at.x() / std::max(1, window->vars().PieceWidth) + 1;
    const int row = at.y() / std::max(1, window->vars().PieceHeight) + 1;
    const QString text =
        lifted ? QCoreApplication::translate("PlayControls", "列 %1、行 %2 のピースを持ち上げ中").arg(col).arg(row)
               : QCoreApplication::translate("PlayControls", "ピースを置きました");
    window->Picture1->setAccessibleDescription(text);
  });
  platform::setLongPressHandler([window = QPointer<Form1>(this)](QPoint globalPos) {
    if (!window) return;
    const QPoint at = window->Picture2->mapFromGlobal(globalPos);
    Picture2_MouseDown(*window, 2, at.x(), at.y());
  });
  // The menu's shortcuts work wherever the window has the focus.
  for (QAction* action : {Undo, Redo, Pause, Records, Hint}) addAction(action);
  hintMarks = new HintMarks(*this, Picture1);

  clockLabel = new QLabel(this);
  clockLabel->setAccessibleDescription(QCoreApplication::translate("PlayControls", "経過時間と手数"));
  // While paused the figures stand still; the cover says why, to the eye and
  // to screen readers.
  clockLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
  clock_ = new QTimer(this);
  clock_->setInterval(1000);
  connect(clock_, &QTimer::timeout, this, &Form1::tickClock);

  pauseCover = new PauseCover(Client, [this] { resumeGame(*this); });

  // The game pauses by itself when another program takes the focus; the
  // program's own boxes and dialogs keep the application active.
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state != Qt::ApplicationActive) pauseGame(*this);
  });
  updatePlayCommands();
}

void Form1::updatePlayCommands() {
  if (!Undo) return;
  const bool dragging = platform::dragInProgress();
  Undo->setEnabled(canUndo(*this) && !dragging);
  Redo->setEnabled(canRedo(*this) && !dragging);
  Pause->setEnabled(gs_.GameRunning == 1 && !preparing_);
  Pause->setChecked(play_.paused);
  Hint->setEnabled(gs_.GameRunning == 1 && !preparing_ && !play_.paused && !dragging);
}

QString Form1::clockText() const {
  // From the moment the puzzle is solved the figures are the final ones, also
  // while the congratulation is open.
  if (play_.finished) return clockFigures(play_.finalSeconds, play_.finalMoves);
  if (gs_.GameRunning == 1) {
    // The time is read as the core reads it: a pause in progress is left out.
    auto* self = const_cast<Form1*>(this);
    return clockFigures(playedSeconds(*self, platform::secondsSinceMidnight()), play_.moves());
  }
  return QString();
}

QString Form1::clockTextWithFewest() const {
  if (play_.fewest < 0 || (!play_.finished && gs_.GameRunning != 1)) return clockText();
  if (play_.finished) return clockFiguresWithFewest(play_.finalSeconds, play_.finalMoves, play_.fewest);
  auto* self = const_cast<Form1*>(this);
  return clockFiguresWithFewest(playedSeconds(*self, platform::secondsSinceMidnight()), play_.moves(), play_.fewest);
}

void Form1::tickClock() {
  const QString shortText = clockText();
  const QString full = clockTextWithFewest();
  // The fewest moves are always said to screen readers; they are shown only
  // where the bar has room for them beside the time and moves.
  const QString description =
      play_.fewest >= 0 && !shortText.isEmpty()
          ? QCoreApplication::translate("PlayControls", "経過時間と手数、最少 %1 手").arg(play_.fewest)
          : QCoreApplication::translate("PlayControls", "経過時間と手数");
  if (clockLabel->accessibleDescription() != description) clockLabel->setAccessibleDescription(description);
  if (shortText == clockShort_ && full == clockFull_) return;
  clockShort_ = shortText;
  clockFull_ = full;
  placeClock();
}

void Form1::placeClock() {
  if (!clockLabel) return;
  const QRect bar = menuBar()->geometry();
  // The design's menus keep their room: the clock shows where the bar has
  // space to the right of its last item, and stays hidden where it has none;
  // the fewest moves come with it only where they fit too.
  int itemsRight = 0;
  for (QAction* item : menuBar()->actions()) itemsRight = std::max(itemsRight, menuBar()->actionGeometry(item).right());
  const auto leftFor = [&](const QString& text) {
    clockLabel->setText(text);
    return bar.right() - kClockMargin - clockLabel->sizeHint().width();
  };
  const int firstFree = bar.left() + itemsRight + kClockMargin;
  int left = leftFor(clockFull_);
  if (left <= firstFree) left = leftFor(clockShort_);
  const int width = clockLabel->sizeHint().width();
  clockLabel->setGeometry(left, bar.top(), width, bar.height());
  clockLabel->setVisible(!clockLabel->text().isEmpty() && left > firstFree);
  clockLabel->raise();
}

int Form1::clockRoom() const {
  if (!clockLabel) return 0;
  // Nine hours and 999 moves: as wide as the clock reads in a game of a sitting.
  const QString widest = clockFigures(9 * 3600 + 59 * 60 + 59, 999);
  return 2 * kClockMargin + 2 + clockLabel->fontMetrics().horizontalAdvance(widest);
}

void Form1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  placeClock();
}

void Form1::showPause(bool paused) {
  if (paused) {
    platform::cancelDrag();
    pauseCover->setGeometry(Client->rect());
    pauseCover->show();
    pauseCover->raise();
    pauseCover->setFocus(Qt::OtherFocusReason);
    QAccessibleEvent alert(pauseCover, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
  } else {
    const bool hadFocus = pauseCover->hasFocus();
    pauseCover->hide();
    if (hadFocus && gs_.GameRunning == 1) Picture1->setFocus(Qt::OtherFocusReason);
  }
}

void Form1::playEvent(PlayEvent event) {
  keeper->playEvent(event);
  switch (event) {
    case PlayEvent::Began:
      clock_->start();
      break;
    case PlayEvent::Moved:
      hintMarks->clear();
      break;
    case PlayEvent::Hinted:
      break;
    case PlayEvent::Completed:
      clock_->stop();
      tickClock();
      platform::MsgBox(completionText(play_.finalSeconds), 0);
      break;
    case PlayEvent::Ended:
      clock_->stop();
      hintMarks->clear();
      showPause(false);
      if (play_.lastEnd == GameEnd::Completed) recordCompletedGame();
      break;
    case PlayEvent::Paused:
      clock_->stop();
      showPause(true);
      break;
    case PlayEvent::Resumed:
      showPause(false);
      clock_->start();
      break;
  }
  tickClock();
  updatePlayCommands();
  keys->refresh();
}

void Form1::Undo_Click() {
  // The piece in the pointer's hand stays the pointer's until it is dropped.
  if (platform::dragInProgress()) return;
  if (undoMove(*this)) keys->letGo();
}

void Form1::Redo_Click() {
  if (platform::dragInProgress()) return;
  if (redoMove(*this)) keys->letGo();
}

void Form1::Pause_Click() {
  if (!play_.paused)
    pauseGame(*this);
  else
    resumeGame(*this);
  updatePlayCommands();
}

void Form1::Hint_Click() {
  // Not while a piece is in the pointer's hand: the hint may name its cell.
  if (platform::dragInProgress()) return;
  if (const std::optional<Move> hint = takeHint(*this)) hintMarks->showHint(*hint);
}

void Form1::ClickToPickUp_Click() {
  PlayOptions options = readPlayOptions();
  options.clickToPickUp = ClickToPickUp->isChecked();
  platform::setClickToLift(options.clickToPickUp);
  // Unwritten, the choice lasts for this run; nothing is lost by saying nothing.
  writePlayOptions(options);
}

void Form1::recordCompletedGame() {
  Record record;
  record.xn = gs_.Xn;
  record.yn = gs_.Yn;
  record.seconds = play_.finalSeconds;
  record.moves = play_.finalMoves;
  record.when = QDateTime::currentDateTime();
  record.when = record.when.addMSecs(-record.when.time().msec());
  record.resumed = gs_.ResumeFlag == 1;
  record.fewest = play_.fewest;
  record.hints = play_.finalHints;
  const bool inFewest = play_.fewest >= 0 && play_.finalMoves == play_.fewest;
  // The picture's key was begun on a worker as the picture arrived; the
  // record waits for it in the rare game finished before a photo's hash.
  preparePictureKey();  // begun already, unless the board's picture came another way
  pictureKeys->whenReady([this, record, inFewest](const QString& key) mutable {
    record.picture = key;
    // One notice after the congratulation, whatever it has to say.
    const auto told = [this, record, inFewest](const RecordStore::Outcome& outcome) {
      tellRecordsProblem(outcome);
      QStringList lines;
      if (outcome.place >= 1 && outcome.place <= kRecordsKept) lines << bestText(record, outcome.place);
      if (inFewest) lines << fewestNotice();
      if (!lines.isEmpty()) platform::MsgBox(lines.join(QStringLiteral("\r\n")), 0);
    };
    RecordStore store(recordsPath);
    store.setLockWait(kWindowLockWaitMs);
    const RecordStore::Outcome outcome = store.add(record);
    if (!outcome.busy) {
      told(outcome);
      return;
    }
    // Another copy is changing the records: the record waits for it on a
    // worker, and its place is told when it is in.
    auto* waiting = new QFutureWatcher<RecordStore::Outcome>(this);
    connect(waiting, &QFutureWatcherBase::finished, this, [waiting, told] {
      told(waiting->result());
      waiting->deleteLater();
    });
    waiting->setFuture(QtConcurrent::run([folder = recordsPath, record] { return RecordStore(folder).add(record); }));
  });
}

void Form1::tellRecordsProblem(const RecordStore::Outcome& outcome) {
  RecordStore store(recordsPath);
  if (outcome.setAside && !toldRecordsSetAside_) {
    toldRecordsSetAside_ = true;
    platform::MsgBox(recordsSetAsideText(store.filePath() + QStringLiteral(".bad")), 48);
  }
  if (!outcome.ok && !toldRecordsUnwritable_) {
    toldRecordsUnwritable_ = true;
    const QString text =
        outcome.unreadable ? recordsUnreadableText(outcome.problem) : recordsUnwritableText(outcome.problem);
    platform::MsgBox(text, 48);
  }
}

void Form1::Records_Click() {
  preparePictureKey();
  pictureKeys->whenReady([this](const QString& key) { showRecords(key); });
}

void Form1::showRecords(const QString& pictureKey) {
  RecordsDialog dialog(recordsPath, pictureKey, v_.PictureFile, this);
  tellRecordsProblem(dialog.outcome());
  dialog.exec();
  tellRecordsProblem(dialog.outcome());
}

}  // namespace quavinto
