// The hint's outline over the board.
#include "interaction/HintMarks.h"

#include <QAccessible>
#include <QEvent>
#include <QPainter>

#include "core/GameHost.h"

namespace quavinto {

HintMarks::HintMarks(GameHost& host, QWidget* board) : QWidget(board), host_(host) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  timer_.setSingleShot(true);
  timer_.setInterval(kShownMs);
  connect(&timer_, &QTimer::timeout, this, &HintMarks::clear);
  resize(board->size());
  board->installEventFilter(this);
  hide();
}

QString HintMarks::describeHint(const Move& hint) {
  if (hint.kind == Move::Kind::Turn)
    return tr("ヒント: 列 %1、行 %2 のピースを回転").arg(hint.from.col).arg(hint.from.row);
  return tr("ヒント: 列 %1、行 %2 と 列 %3、行 %4 のピースを交換")
      .arg(hint.from.col)
      .arg(hint.from.row)
      .arg(hint.to.col)
      .arg(hint.to.row);
}

void HintMarks::showHint(const Move& hint) {
  hint_ = hint;
  shown_ = true;
  resize(parentWidget()->size());
  show();
  raise();
  update();
  timer_.start();
  QWidget* board = parentWidget();
  const QString text = describeHint(hint);
  if (board->accessibleDescription() != text) {
    board->setAccessibleDescription(text);
  } else {
    QAccessibleEvent event(board, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
  }
}

void HintMarks::clear() {
  timer_.stop();
  if (!shown_) return;
  shown_ = false;
  hide();
}

QRect HintMarks::cellRect(const Cell& cell) const {
  const MainVars& v = host_.vars();
  return QRect((cell.col - 1) * v.PieceWidth, (cell.row - 1) * v.PieceHeight, v.PieceWidth, v.PieceHeight);
}

QRegion HintMarks::marked() const {
  if (!shown_) return QRegion();
  QRegion region(cellRect(hint_.from));
  if (hint_.kind == Move::Kind::Exchange) region += cellRect(hint_.to);
  return region;
}

void HintMarks::paintEvent(QPaintEvent*) {
  if (!shown_) return;
  QPainter painter(this);
  const auto frame = [&](const QRect& cell) {
    // A dark band with bright dashes on it, inside the cell: the dashes tell
    // it from the focus outline, the two tones make it show on any colour.
    const int band = std::clamp(std::min(cell.width(), cell.height()) / 8, 2, 5);
    const QRect inside = cell.adjusted(band / 2, band / 2, -(band + 1) / 2, -(band + 1) / 2);
    painter.setPen(QPen(Qt::black, band, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(inside);
    painter.setPen(QPen(Qt::white, band, Qt::DashLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawRect(inside);
  };
  frame(cellRect(hint_.from));
  if (hint_.kind == Move::Kind::Exchange) frame(cellRect(hint_.to));
}

bool HintMarks::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) resize(parentWidget()->size());
  return false;
}

}  // namespace quavinto
