// Cells and piece images: which picture rectangle shows the piece at a board
// point, exchanging two cells' pieces, and putting every piece home.
#pragma once

#include "core/GameState.h"

#include <QPoint>

#include <cstdint>

namespace quavinto {

struct SourceOrigin {
  int32_t x = 0;
  int32_t y = 0;
  bool ok = false;  // false for a point outside the 31 x 31 grid, or an empty cell
  // A board cell without a piece: the program cannot go on (see GetPieceOrigin).
  bool emptyCell = false;
};

// Column and row of a board point (whole part of x / PieceWidth, plus 1).
// Both are 0 when the piece size is 0.
int cellColumn(const MainVars& v, int32_t x);
int cellRow(const MainVars& v, int32_t y);
bool inGridIndexRange(int col, int row);
// The origin of the cell containing board point (x, y): each coordinate cut
// down to a whole number of pieces. (0, 0) when the piece size is 0.
QPoint cellOrigin(const MainVars& v, int32_t x, int32_t y);

// The source origin of the piece lying in the cell containing (x, y). A board
// cell without a piece comes back as emptyCell: whoever draws with it hands
// that to the window, which tells the player and ends the program at once.
// Points outside the grid's 31 x 31 cells are refused (ok false) without
// reading outside the grid.
SourceOrigin GetPieceOrigin(const GameState& g, const MainVars& v, int32_t x, int32_t y);
// Exchanges Map of the cell with origin (x, y) and of the cell with origin
// (DragFromX, DragFromY). Returns false, changing nothing, for a cell outside
// the grid.
// The cell whose origin is (x, y), found by real division rounded half to
// even as both grids' exchange finds it; false outside the 31 x 31 grid.
bool cellOfOrigin(const MainVars& v, int32_t x, int32_t y, int& col, int& row);
bool SwapMap(GameState& g, const MainVars& v, int32_t x, int32_t y);
// The exchange both grids use: the cell with origin (x, y) against the cell
// with origin (DragFromX, DragFromY), each found by real division rounded half
// to even.
bool exchangeCells(Grid& grid, const MainVars& v, int32_t x, int32_t y);
// The solved arrangement for the current Xn and Yn; 0 elsewhere. RMap untouched.
void InitMap(GameState& g);

}  // namespace quavinto
