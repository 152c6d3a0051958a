// Press, drop and turn on the board and on the floating piece.
#include "interaction/BoardMoves.h"

#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "core/PieceDrawing.h"
#include "core/PlayMoves.h"

namespace quavinto {

QString floatingTag() { return QStringLiteral("Pic2"); }
QString viewTag() { return QStringLiteral("Pic3"); }

bool insideGrid(const GameState& g, const MainVars& v, int32_t x, int32_t y) {
  const int64_t right = int64_t(g.Xn) * v.PieceWidth - 1;
  const int64_t bottom = int64_t(g.Yn) * v.PieceHeight - 1;
  return x >= 1 && x <= right && y >= 1 && y <= bottom;
}

namespace {
int16_t flagAt(const GameState& g, int col, int row) {
  return inGridIndexRange(col, row) ? g.RMap[col][row] : int16_t(0);
}
}  // namespace

void pickUp(GameHost& h, int32_t cx, int32_t cy) {
  const GameState& g = h.state();
  const MainVars& v = h.vars();
  const QPoint before = h.floatingPos();
  h.moveFloating(cx, cy);
  copyPiece(h, h.floatingDc(), 0, 0, cx, cy, flagAt(g, cellColumn(v, cx), cellRow(v, cy)));
  h.refreshFloating();
  // The cell the floating piece covered until now shows its true piece again.
  if (before.x() >= 0 && before.y() >= 0 && insideGrid(g, v, before.x() + 1, before.y() + 1)) {
    copyPiece(h, h.boardDc(), before.x(), before.y(), before.x(), before.y(),
              flagAt(g, cellColumn(v, before.x()), cellRow(v, before.y())));
    h.refreshBoard();
  }
}

void turnPiece(GameHost& h, int col, int row) {
  if (h.state().GameRunning == 1)
    playMove(h, Move::turn({col, row}));
  else
    applyUnrecorded(h, Move::turn({col, row}));
}

bool dropOnCell(GameHost& h, int32_t x, int32_t y) {
  const GameState& g = h.state();
  MainVars& v = h.vars();
  const QSize board = h.boardSize();
  if (!insideGrid(g, v, x, y) || x > board.width() || y > board.height()) return false;
  const QPoint from = h.floatingPos();
  // Out of sight the floating piece holds no piece to exchange (a game read
  // that failed during play moved it away); only a piece on a cell can drop.
  if (from.x() < 0 || from.y() < 0 || !insideGrid(g, v, from.x() + 1, from.y() + 1)) return false;
  v.DragFromX = from.x();
  v.DragFromY = from.y();
  const QPoint target = cellOrigin(v, x, y);
  Cell source, dropped;
  if (cellOfOrigin(v, v.DragFromX, v.DragFromY, source.col, source.row) &&
      cellOfOrigin(v, target.x(), target.y(), dropped.col, dropped.row))
    playMove(h, Move::exchange(source, dropped));
  return true;
}

void Picture1_MouseDown(GameHost& h, int button, int32_t x, int32_t y) {
  const GameState& g = h.state();
  const MainVars& v = h.vars();
  if (h.preparing() || g.GameRunning != 1 || h.play().paused || !insideGrid(g, v, x, y)) return;
  const QPoint cell = cellOrigin(v, x, y);
  const int32_t cx = cell.x(), cy = cell.y();
  if (button == 1) {
    pickUp(h, cx, cy);
    h.startFloatingDrag();
  } else if (button == 2) {
    // The floating piece covers its own cell, so this cell is never under it.
    turnPiece(h, cellColumn(v, cx), cellRow(v, cy));
  }
}

void Picture2_MouseDown(GameHost& h, int button, int32_t x, int32_t y) {
  const GameState& g = h.state();
  const MainVars& v = h.vars();
  if (h.preparing() || h.play().paused) return;
  if (button == 1) {
    if (g.GameRunning == 1) h.startFloatingDrag();
  } else if (button == 2) {
    const QPoint at = h.floatingPos();
    const int32_t bx = x + at.x(), by = y + at.y();
    turnPiece(h, cellColumn(v, bx), cellRow(v, by));
  }
}

void Picture1_DragDrop(GameHost& h, const QString& draggedTag, int32_t x, int32_t y) {
  if (h.state().GameRunning == 0 || h.preparing() || h.play().paused) return;
  if (draggedTag == floatingTag() && !dropOnCell(h, x, y)) return;
  // Any drop checks completion, so a game that began solved ends at the first.
  CheckComplete(h);
}

}  // namespace quavinto
