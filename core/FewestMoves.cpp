// The fewest moves of a position and the hint drawn from them.
#include "core/FewestMoves.h"

#include <vector>

namespace quavinto {
namespace {

// The cell piece k belongs in.
Cell homeOf(const GameState& g, int k) { return {homeColumn(g.Xn, k), homeRow(g.Xn, k)}; }

bool atHome(const GameState& g, int col, int row) { return g.Map[col][row] == homePiece(g.Xn, col, row); }

}  // namespace

int fewestMoves(const GameState& g) {
  const int n = g.Xn * g.Yn;
  std::vector<char> seen(size_t(n) + 1, 0);
  int away = 0, cycles = 0, reversed = 0;
  for (int row = 1; row <= g.Yn; ++row) {
    for (int col = 1; col <= g.Xn; ++col) {
      if (g.RMap[col][row] != 0) ++reversed;
      if (atHome(g, col, row)) continue;
      ++away;
      const int start = homePiece(g.Xn, col, row);
      if (seen[size_t(start)]) continue;
      // Follows the cycle through this cell: the piece here belongs in the
      // next cell, whose piece belongs in the one after, back to this one. A
      // piece number off the board (never in a sound game) ends the walk.
      ++cycles;
      int cell = start;
      while (cell >= 1 && cell <= n && !seen[size_t(cell)]) {
        seen[size_t(cell)] = 1;
        const Cell at = homeOf(g, cell);
        cell = g.Map[at.col][at.row];
      }
    }
  }
  return away - cycles + reversed;
}

std::optional<Move> hintMove(const GameState& g) {
  const int n = g.Xn * g.Yn;
  std::optional<Move> bringsOne;
  for (int row = 1; row <= g.Yn; ++row) {
    for (int col = 1; col <= g.Xn; ++col) {
      if (atHome(g, col, row)) continue;
      const int k = g.Map[col][row];
      if (k < 1 || k > n) continue;
      const Cell home = homeOf(g, k);
      const Move m = Move::exchange({col, row}, home);
      // The piece at k's home belongs here: the exchange brings both home.
      if (g.Map[home.col][home.row] == homePiece(g.Xn, col, row)) return m;
      if (!bringsOne) bringsOne = m;
    }
  }
  if (bringsOne) return bringsOne;
  for (int row = 1; row <= g.Yn; ++row)
    for (int col = 1; col <= g.Xn; ++col)
      if (g.RMap[col][row] != 0) return Move::turn({col, row});
  return std::nullopt;
}

}  // namespace quavinto
