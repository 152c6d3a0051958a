// Moves played, drawn, kept and taken back.
#include "core/PlayMoves.h"

#include "core/GameFlow.h"
#include "core/PieceDrawing.h"

namespace quavinto {
namespace {

QPoint cellPoint(const MainVars& v, const Cell& c) {
  return QPoint((c.col - 1) * v.PieceWidth, (c.row - 1) * v.PieceHeight);
}

// Draws the changed cells on the board and keeps the floating piece true: an
// exchange leaves it on the cell the piece was carried to, showing that piece;
// a turn redraws it when it lies on the turned cell.
void showMove(GameHost& h, const Move& m, const std::vector<Cell>& changed) {
  const GameState& g = h.state();
  const MainVars& v = h.vars();
  for (const Cell& c : changed) {
    const QPoint at = cellPoint(v, c);
    copyPiece(h, h.boardDc(), at.x(), at.y(), at.x(), at.y(), g.RMap[c.col][c.row]);
  }
  const QPoint to = cellPoint(v, m.to);
  if (m.kind == Move::Kind::Exchange) h.moveFloating(to.x(), to.y());
  if (h.floatingPos() == to) {
    copyPiece(h, h.floatingDc(), 0, 0, to.x(), to.y(), g.RMap[m.to.col][m.to.row]);
    h.refreshFloating();
  }
  h.refreshBoard();
}

bool inPlay(GameHost& h) { return h.state().GameRunning == 1 && !h.preparing() && !h.play().paused; }

// Applies the move and shows it; a kept move is reported to the window. Any
// move may complete the puzzle. False when the move changed nothing.
bool apply(GameHost& h, const Move& m, bool kept) {
  const std::vector<Cell> changed = applyMove(h.state(), m);
  if (changed.empty()) return false;
  showMove(h, m, changed);
  if (kept) h.playEvent(PlayEvent::Moved);
  CheckComplete(h);
  return true;
}

}  // namespace

bool applyUnrecorded(GameHost& h, const Move& m) {
  return !h.preparing() && !h.play().paused && apply(h, m, false);
}

bool playMove(GameHost& h, const Move& m) {
  // Only a move that changes the board is kept: one on the board, and no
  // exchange of a cell with itself.
  if (!inPlay(h) || !onBoard(h.state(), m) || (m.kind == Move::Kind::Exchange && m.from == m.to)) return false;
  h.play().history.record(m);
  return apply(h, m, true);
}

bool canUndo(GameHost& h) { return inPlay(h) && h.play().history.canUndo(); }
bool canRedo(GameHost& h) { return inPlay(h) && h.play().history.canRedo(); }

bool undoMove(GameHost& h) { return canUndo(h) && apply(h, h.play().history.takeBack(), true); }
bool redoMove(GameHost& h) { return canRedo(h) && apply(h, h.play().history.playAgain(), true); }

}  // namespace quavinto
