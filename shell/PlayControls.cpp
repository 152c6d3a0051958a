// The main window's commands beyond the design's: undo and redo, pause, the
// records, and the clock with the move count at the right end of the menu bar.
// The core reports the game's events here; the game in play answers them and
// this file shows what it says.
#include <QAccessible>
#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include "core/GameFlow.h"
#include "core/PlayMoves.h"
#include "interaction/BoardMoves.h"
#include "interaction/HintMarks.h"
#include "interaction/KeyboardPlay.h"
#include "persistence/PictureKey.h"
#include "persistence/PlayOptions.h"
#include "platform/ManualDrag.h"
#include "platform/UiSetup.h"
#include "shell/Form1.h"
#include "shell/GameInPlay.h"
#include "shell/RecordsDialog.h"

namespace quavinto {
namespace {

QString pausedNotice() { return QCoreApplication::translate("PlayControls", "一時停止中 — クリックかキーで再開"); }

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
  clockLabel->setAccessibleDescription(inPlay_->clockDescription());
  // While paused the figures stand still; the cover says why, to the eye and
  // to screen readers.
  clockLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

  pauseCover = new PauseCover(Client, [this] { resumeGame(*this); });
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

void Form1::placeClock() {
  if (!clockLabel) return;
  // The fewest moves are always said to screen readers; they are shown only
  // where the bar has room for them beside the time and moves.
  const QString description = inPlay_->clockDescription();
  if (clockLabel->accessibleDescription() != description) clockLabel->setAccessibleDescription(description);
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
  int left = leftFor(inPlay_->shownFiguresWithFewest());
  if (left <= firstFree) left = leftFor(inPlay_->shownFigures());
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
  if (event == PlayEvent::Moved || event == PlayEvent::Ended) hintMarks->clear();
  inPlay_->playEvent(event);
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

void Form1::Records_Click() {
  inPlay_->preparePictureKey();
  pictureKeys->whenReady([this](const QString& key) { showRecords(key); });
}

void Form1::showRecords(const QString& pictureKey) {
  RecordsDialog dialog(inPlay_->recordsPath, pictureKey, v_.PictureFile, this);
  inPlay_->tellRecordsProblem(dialog.outcome());
  dialog.exec();
  inPlay_->tellRecordsProblem(dialog.outcome());
}

}  // namespace quavinto
