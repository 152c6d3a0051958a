// Cell lookup, the exchange of two cells' pieces, and the solved arrangement.
#include "core/Geometry.h"

#include <algorithm>
#include <cmath>

#include "platform/Numeric.h"

namespace quavinto {

QPoint cellOrigin(const MainVars& v, int32_t x, int32_t y) {
  if (v.PieceWidth <= 0 || v.PieceHeight <= 0) return QPoint(0, 0);
  return QPoint((x / v.PieceWidth) * v.PieceWidth, (y / v.PieceHeight) * v.PieceHeight);
}

int cellColumn(const MainVars& v, int32_t x) { return v.PieceWidth > 0 ? x / v.PieceWidth + 1 : 0; }
int cellRow(const MainVars& v, int32_t y) { return v.PieceHeight > 0 ? y / v.PieceHeight + 1 : 0; }

bool inGridIndexRange(int col, int row) { return col >= 0 && col < kGridSize && row >= 0 && row < kGridSize; }

SourceOrigin GetPieceOrigin(const GameState& g, const MainVars& v, int32_t x, int32_t y) {
  if (v.PieceWidth <= 0 || v.PieceHeight <= 0 || g.Xn <= 0) return {};
  // Integer division truncates toward zero, so -1 still lands in column 1 as
  // the design's arithmetic has it; anything past the grid is refused.
  const int col = x / v.PieceWidth + 1;
  const int row = y / v.PieceHeight + 1;
  if (!inGridIndexRange(col, row)) return {};
  const int k = g.Map[col][row];
  if (k == 0) {
    SourceOrigin empty;
    empty.emptyCell = true;
    return empty;
  }
  SourceOrigin origin;
  origin.x = ((k - 1) % g.Xn) * v.PieceWidth;
  origin.y = ((k - 1) / g.Xn) * v.PieceHeight;
  origin.ok = true;
  return origin;
}

bool cellOfOrigin(const MainVars& v, int32_t x, int32_t y, int& col, int& row) {
  if (v.PieceWidth <= 0 || v.PieceHeight <= 0) return false;
  const double c = platform::roundHalfEven(double(x) / v.PieceWidth + 1);
  const double r = platform::roundHalfEven(double(y) / v.PieceHeight + 1);
  if (c < 0 || c >= kGridSize || r < 0 || r >= kGridSize) return false;
  col = int(c);
  row = int(r);
  return true;
}

bool exchangeCells(Grid& grid, const MainVars& v, int32_t x, int32_t y) {
  int tc = 0, tr = 0, sc = 0, sr = 0;
  if (!cellOfOrigin(v, x, y, tc, tr) || !cellOfOrigin(v, v.DragFromX, v.DragFromY, sc, sr)) return false;
  const int16_t held = grid[tc][tr];
  grid[tc][tr] = grid[sc][sr];
  grid[sc][sr] = held;
  return true;
}

bool SwapMap(GameState& g, const MainVars& v, int32_t x, int32_t y) { return exchangeCells(g.Map, v, x, y); }

void InitMap(GameState& g) {
  // Row 0 and column 0 are cleared too: a piece left there would turn a click
  // beside the board into a piece instead of the stop on an empty cell.
  for (auto& column : g.Map) column.fill(0);
  const int xn = std::min<int>(g.Xn, kMaxCells);
  const int yn = std::min<int>(g.Yn, kMaxCells);
  for (int row = 1; row <= yn; ++row)
    for (int col = 1; col <= xn; ++col) g.Map[col][row] = int16_t(homePiece(g.Xn, col, row));
}

}  // namespace quavinto
