// Drag and drops of the finished-picture view.
#include "interaction/ViewMoves.h"

#include "platform/ManualDrag.h"
#include "platform/Numeric.h"
#include "shell/Form1.h"

namespace quavinto {

void applyCaptionRule(Form1& f) {
  QLabel* caption = f.Label1_0;
  const double left = f.Picture3->x() + f.Picture3->width() * 0.5 - caption->width() * 0.5;
  caption->move(int(platform::roundHalfEven(left)), f.Picture3->y() - caption->height());
}

void Image1_MouseDown(Form1& f, int x, int y) {
  platform::startDrag(f.Picture3, f.Image1->mapToGlobal(QPoint(x, y)));
  MainVars& v = f.vars();
  // The image reports pixels, so the twips conversions are identities here.
  v.GrabX = platform::clampToInt16(x);
  v.GrabY = platform::clampToInt16(y);
  v.PanelLeft0 = platform::clampToInt16(f.Picture3->x());
  v.PanelTop0 = platform::clampToInt16(f.Picture3->y());
}

void Image1_DragDrop(Form1& f, int x, int y) {
  const MainVars& v = f.vars();
  f.Picture3->move(x - v.GrabX + v.PanelLeft0, y - v.GrabY + v.PanelTop0);
  applyCaptionRule(f);
}

void Form_DragDrop(Form1& f, int x, int y) {
  const MainVars& v = f.vars();
  if (std::abs(x - f.Picture1->x()) < 5 && std::abs(y - f.Picture1->y()) < 5) {
    x += 10;
    y += 10;
  }
  f.Picture3->move(x - v.GrabX, y - v.GrabY);
  applyCaptionRule(f);
}

void placeViewOnBoard(Form1& f, int x, int y) {
  const MainVars& v = f.vars();
  const float l = float(x - v.GrabX);
  const float t = float(y - v.GrabY);
  const QRect board = f.Picture1->geometry();
  const QSize view = f.Picture3->size();
  if (l > -10 && t > -10 && l + view.width() < board.width() + 10 && t + view.height() < board.height() + 10) {
    f.Picture3->move(board.x() + board.width() - view.width() + 10, board.y() + board.height() - view.height() + 10);
  } else {
    f.Picture3->move(board.x() + int(l), board.y() + int(t));
  }
  applyCaptionRule(f);
}

}  // namespace quavinto
