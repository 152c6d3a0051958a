// Keyboard play on the board, and the focus cell's outline.
#include "interaction/KeyboardPlay.h"

#include "core/GameHost.h"
#include "core/PlayMoves.h"
#include "interaction/BoardMoves.h"
#include "platform/ManualDrag.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

namespace quavinto {
namespace {

// Draws the focus cell (and the held piece's cell) as outlines that show on
// any picture: a dark band with a bright band inside it.
class FocusOutline : public QWidget {
public:
  FocusOutline(QWidget* parent, KeyboardPlay& keys, GameHost& host) : QWidget(parent), keys_(keys), host_(host) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
  }

  // The cells whose frames are to be drawn now, none while hidden.
  QRegion frames() const {
    QRegion region;
    if (!keys_.outlineShown()) return region;
    if (keys_.holding()) region += cellOf(host_.floatingPos());
    const MainVars& v = host_.vars();
    region += cellOf(QPoint((keys_.focusColumn() - 1) * v.PieceWidth, (keys_.focusRow() - 1) * v.PieceHeight));
    return region;
  }
  // Repaints only the frames that change: the outline lies over the whole
  // board, so repainting all of it would repaint the board too.
  void updateFrames() {
    const QRegion now = frames();
    if (now != drawn_) update(now + drawn_);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    drawn_ = frames();
    if (drawn_.isEmpty()) return;
    QPainter painter(this);
    const auto frame = [&](const QRect& cell, const QColor& inner) {
      painter.setPen(QPen(Qt::black, 3));
      painter.drawRect(cell.adjusted(1, 1, -2, -2));
      painter.setPen(QPen(inner, 1));
      painter.drawRect(cell.adjusted(1, 1, -2, -2));
    };
    const MainVars& v = host_.vars();
    if (keys_.holding()) frame(cellOf(host_.floatingPos()), QColor(255, 0, 255));
    frame(cellOf(QPoint((keys_.focusColumn() - 1) * v.PieceWidth, (keys_.focusRow() - 1) * v.PieceHeight)),
          QColor(255, 255, 0));
  }

private:
  QRect cellOf(const QPoint& at) const {
    const MainVars& v = host_.vars();
    const int w = std::max(1, v.PieceWidth), h = std::max(1, v.PieceHeight);
    return QRect(at.x() / w * w, at.y() / h * h, w, h);
  }
  KeyboardPlay& keys_;
  GameHost& host_;
  QRegion drawn_;
};

}  // namespace

KeyboardPlay::KeyboardPlay(GameHost& host, QWidget* board, QWidget* floating)
    : QObject(board), host_(host), board_(board), floating_(floating) {
  board->setFocusPolicy(Qt::StrongFocus);
  board->setAccessibleName(tr("パズルの盤"));
  board->setAccessibleDescription(tr("矢印キーでセルを選び、スペースかEnterで持ち上げて交換、Rで回転、Escで取り消し"));
  outline_ = new FocusOutline(board, *this, host);
  outline_->resize(board->size());
  outline_->show();
  board->installEventFilter(this);
  floating->installEventFilter(this);
}

QString KeyboardPlay::focusDescription() const {
  const GameState& g = host_.state();
  const bool reversed = col_ >= 1 && row_ >= 1 && col_ <= kMaxCells && row_ <= kMaxCells && g.RMap[col_][row_] == 1;
  QString text = tr("列 %1、行 %2、%3").arg(col_).arg(row_).arg(reversed ? tr("裏返し") : tr("正しい向き"));
  if (holding_) text += tr("、ピースを持ち上げ中");
  return text;
}

bool KeyboardPlay::outlineShown() const {
  return keyboardInUse_ && board_ && board_->hasFocus() && host_.state().GameRunning == 1;
}

void KeyboardPlay::playStarted() {
  col_ = row_ = 1;
  holding_ = false;
  if (board_) board_->setFocus(Qt::OtherFocusReason);
  refresh();
  announce();
}

void KeyboardPlay::refresh() {
  if (!outline_ || !board_) return;
  outline_->resize(board_->size());
  outline_->raise();
  static_cast<FocusOutline*>(outline_)->updateFrames();
}

void KeyboardPlay::announce() {
  if (!board_) return;
  // A new description announces itself; an unchanged one (a key pressed
  // against the board's edge) is announced again here, so a screen reader
  // answers every key exactly once.
  const QString text = focusDescription();
  if (board_->accessibleDescription() != text) {
    board_->setAccessibleDescription(text);
    return;
  }
  QAccessibleEvent event(board_.data(), QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&event);
}

void KeyboardPlay::moveFocus(int dc, int dr) {
  const GameState& g = host_.state();
  col_ = std::clamp(col_ + dc, 1, int(g.Xn));
  row_ = std::clamp(row_ + dr, 1, int(g.Yn));
  refresh();
  announce();
}

void KeyboardPlay::select() {
  const QPoint floating = host_.floatingPos();
  const MainVars& v = host_.vars();
  const Cell focus{col_, row_};
  const bool underFloating = floating == QPoint((col_ - 1) * v.PieceWidth, (row_ - 1) * v.PieceHeight);
  // A piece put out of sight meanwhile (a game read) is no longer held.
  if (floating.x() < 0 || floating.y() < 0) holding_ = false;
  if (!holding_) {
    // What a left press does, without the pointer's drag: on the floating
    // piece nothing more is needed; on the board the piece is picked up.
    if (!underFloating) pickUp(host_, (col_ - 1) * v.PieceWidth, (row_ - 1) * v.PieceHeight);
    holding_ = true;
  } else {
    holding_ = false;
    // The drop: on its own cell nothing happens, as with the mouse.
    if (!underFloating) {
      const Cell held{floating.x() / std::max(1, v.PieceWidth) + 1, floating.y() / std::max(1, v.PieceHeight) + 1};
      playMove(host_, Move::exchange(held, focus));
    }
  }
  refresh();
  announce();
}

void KeyboardPlay::turn() {
  turnPiece(host_, col_, row_);
  refresh();
  announce();
}

void KeyboardPlay::letGo() {
  holding_ = false;
  refresh();
}

bool KeyboardPlay::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize && watched == board_) refresh();
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) refresh();
  if (event->type() == QEvent::MouseButtonPress) {
    // The mouse takes over: the outline hides, and with it any piece the keys
    // were holding, so the next Space picks up rather than exchanges.
    holding_ = false;
    if (keyboardInUse_) {
      keyboardInUse_ = false;
      refresh();
    }
  }
  if (event->type() != QEvent::KeyPress || watched != board_) return false;
  if (host_.state().GameRunning != 1 || host_.preparing() || host_.play().paused) return false;
  if (!keyboardInUse_) {
    keyboardInUse_ = true;
    refresh();
  }
  const auto* key = static_cast<QKeyEvent*>(event);
  // While the pointer drags a piece, the piece in hand is the pointer's: no
  // key moves the focus cell, picks up, exchanges or turns another under it.
  const bool pointerDrags = platform::dragInProgress();
  switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (!pointerDrags) moveFocus(key->key() == Qt::Key_Left ? -1 : key->key() == Qt::Key_Right ? 1 : 0,
                                   key->key() == Qt::Key_Up ? -1 : key->key() == Qt::Key_Down ? 1 : 0);
      return true;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!pointerDrags) select();
      return true;
    case Qt::Key_Escape:
      holding_ = false;
      refresh();
      announce();
      return true;
    case Qt::Key_R:
      if (!pointerDrags) turn();
      return true;
    default: return false;
  }
}

}  // namespace quavinto
