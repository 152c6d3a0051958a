// Moves applied to Map and RMap, and the history undo and redo walk.
#include "core/Move.h"

#include <utility>

namespace quavinto {
namespace {
bool cellOnBoard(const GameState& g, const Cell& c) {
  return c.col >= 1 && c.row >= 1 && c.col <= g.Xn && c.row <= g.Yn && c.col <= kMaxCells && c.row <= kMaxCells;
}
QString cellText(const Cell& c) { return QStringLiteral("(%1,%2)").arg(c.col).arg(c.row); }
}  // namespace

QString describe(const Move& m) {
  if (m.kind == Move::Kind::Turn) return QStringLiteral("turn ") + cellText(m.from);
  return QStringLiteral("exchange ") + cellText(m.from) + QStringLiteral("->") + cellText(m.to);
}

char* toString(const Move& m) { return qstrdup(describe(m).toUtf8().constData()); }

Move inverse(const Move& m) { return m.kind == Move::Kind::Turn ? m : Move::exchange(m.to, m.from); }

bool onBoard(const GameState& g, const Move& m) { return cellOnBoard(g, m.from) && cellOnBoard(g, m.to); }

std::vector<Cell> applyMove(GameState& g, const Move& m) {
  if (!onBoard(g, m)) return {};
  if (m.kind == Move::Kind::Turn) {
    int16_t& flag = g.RMap[m.from.col][m.from.row];
    flag = flag == 0 ? 1 : 0;
    return {m.from};
  }
  if (m.from == m.to) return {};
  std::swap(g.Map[m.from.col][m.from.row], g.Map[m.to.col][m.to.row]);
  std::swap(g.RMap[m.from.col][m.from.row], g.RMap[m.to.col][m.to.row]);
  return {m.from, m.to};
}

bool isSolved(const GameState& g) {
  for (int row = 1; row <= g.Yn && row <= kMaxCells; ++row)
    for (int col = 1; col <= g.Xn && col <= kMaxCells; ++col)
      if (g.Map[col][row] != homePiece(g.Xn, col, row) || g.RMap[col][row] != 0) return false;
  return true;
}

void MoveHistory::clear() {
  moves_.clear();
  moves_.shrink_to_fit();
  done_ = 0;
}

void MoveHistory::record(const Move& m) {
  moves_.resize(done_);
  moves_.push_back(m);
  done_ = moves_.size();
}

Move MoveHistory::takeBack() { return inverse(moves_[--done_]); }

Move MoveHistory::playAgain() { return moves_[done_++]; }

}  // namespace quavinto
