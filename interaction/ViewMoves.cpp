// Drag and drops of the finished-picture view.
#include "interaction/ViewMoves.h"

#include "platform/ImageBox.h"
#include "platform/ManualDrag.h"
#include "platform/Numeric.h"
#include "platform/PictureBox.h"

#include <QLabel>

#include <cstdlib>

namespace quavinto {

void applyCaptionRule(BoardWindow& w) {
  QLabel* caption = w.viewCaption();
  const double left = w.viewBox()->x() + w.viewBox()->width() * 0.5 - caption->width() * 0.5;
  caption->move(int(platform::roundHalfEven(left)), w.viewBox()->y() - caption->height());
}

void Image1_MouseDown(BoardWindow& w, int button, int x, int y) {
  // Any button drags the view; the drop comes with that button's release.
  platform::startDrag(w.viewBox(), w.viewImage()->mapToGlobal(QPoint(x, y)), platform::mouseButton(button));
  MainVars& v = w.vars();
  // The image reports pixels, so the twips conversions are identities here.
  v.GrabX = platform::clampToInt16(x);
  v.GrabY = platform::clampToInt16(y);
  v.PanelLeft0 = platform::clampToInt16(w.viewBox()->x());
  v.PanelTop0 = platform::clampToInt16(w.viewBox()->y());
}

void Image1_DragDrop(BoardWindow& w, int x, int y) {
  const MainVars& v = w.vars();
  w.viewBox()->move(x - v.GrabX + v.PanelLeft0, y - v.GrabY + v.PanelTop0);
  applyCaptionRule(w);
}

void Form_DragDrop(BoardWindow& w, int x, int y) {
  const MainVars& v = w.vars();
  if (std::abs(x - w.boardBox()->x()) < 5 && std::abs(y - w.boardBox()->y()) < 5) {
    x += 10;
    y += 10;
  }
  w.viewBox()->move(x - v.GrabX, y - v.GrabY);
  applyCaptionRule(w);
}

void placeViewOnBoard(BoardWindow& w, int x, int y) {
  const MainVars& v = w.vars();
  const float l = float(x - v.GrabX);
  const float t = float(y - v.GrabY);
  const QRect board = w.boardBox()->geometry();
  const QSize view = w.viewBox()->size();
  if (l > -10 && t > -10 && l + view.width() < board.width() + 10 && t + view.height() < board.height() + 10) {
    w.viewBox()->move(board.x() + board.width() - view.width() + 10, board.y() + board.height() - view.height() + 10);
  } else {
    w.viewBox()->move(board.x() + int(l), board.y() + int(t));
  }
  applyCaptionRule(w);
}

}  // namespace quavinto
