// The player's moves on the board: a left press picks a piece up into the
// floating piece and drags it, a drop on another cell exchanges the two pieces
// with their looks, a right press turns a piece. Handlers translate the event
// and call the core's operations; the board is never redrawn whole here.
#pragma once

#include "core/GameHost.h"

#include <QString>

#include <cstdint>

namespace quavinto {

// Tags by which drop handlers recognise what is dragged.
QString floatingTag();  // "Pic2", the floating piece
QString viewTag();      // "Pic3", the finished-picture view

// 1 <= x <= Xn * PieceWidth - 1 and 1 <= y <= Yn * PieceHeight - 1.
bool insideGrid(const GameState& g, const MainVars& v, int32_t x, int32_t y);

// Button codes: 1 left, 2 right; others do nothing.
void Picture1_MouseDown(GameHost& h, int button, int32_t x, int32_t y);
void Picture2_MouseDown(GameHost& h, int button, int32_t x, int32_t y);
// The piece part of a drop on the board (after any view placement); runs the
// completion check as the drop rules say.
void Picture1_DragDrop(GameHost& h, const QString& draggedTag, int32_t x, int32_t y);

// Turning the piece of cell (col, row) drawn at board point (x, y).
void turnPiece(GameHost& h, int col, int row);
// Picks up the piece of the cell with origin (cx, cy): the floating piece goes
// there and shows it, and the cell it covered is brought up to date.
void pickUp(GameHost& h, int32_t cx, int32_t cy);
// Drops the floating piece on the cell containing (x, y): the exchange.
// Returns false when the point is outside the grid (nothing changes).
bool dropOnCell(GameHost& h, int32_t x, int32_t y);

}  // namespace quavinto
