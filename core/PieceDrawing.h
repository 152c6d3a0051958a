// Drawing pieces: the one copy every drawing of a piece goes through, the
// reversed image, and reverse flags that travel with exchanged pieces.
//
// A piece lying in a cell is drawn by one exact copy of PieceWidth x PieceHeight
// pixels from the source origin GetPieceOrigin gives: out of the reversed image
// when the piece is reversed, else out of MemDC with the board's picture
// selected for that copy only.
#pragma once

#include "core/GameHost.h"
#include "core/Geometry.h"

#include <cstdint>

namespace quavinto {

// GetPieceOrigin for drawing on the window's board: a cell without a piece
// is handed to the window, which ends the program.
SourceOrigin pieceOrigin(GameHost& h, int32_t x, int32_t y);
// Copies the piece found at board point (lookupX, lookupY) to (dx, dy) of `dst`,
// reversed when `reversed` is 1. Returns false when nothing was drawn.
bool copyPiece(GameHost& h, platform::Hdc dst, int32_t dx, int32_t dy, int32_t lookupX, int32_t lookupY,
               int16_t reversed);
// Builds the reversed image: every piece rotated by 180 degrees in its own
// rectangle, yielding to the window after each piece. False (and a warning
// message in the log) when a piece falls outside the reversed image or the
// picture: the reversed image must always cover the board.
bool DrawReverse(GameHost& h);
// The same without yielding, for a board just laid out: reversed pieces are
// then right even before the first game start.
bool buildReversedImage(GameHost& h);
// Builds the reversed image as DrawReverse does unless it already holds this
// picture's pieces for this grid: every board layout builds it, so a game start
// on an unchanged board finds it ready. Nothing written to the picture or the
// reversed image since escapes this: any write changes the image's cache key.
bool bringReversedUpToDate(GameHost& h);
// Rotates one w x h rectangle at (x0, y0) of `src` into the same place of
// `dst`. False, changing nothing, when the rectangle is empty or reaches
// outside either image.
bool reverseRect(QImage& dst, const QImage& src, int x0, int y0, int w, int h);
// Exchanges the reverse flags of the drop cell (origin x, y) and the cell the
// piece came from (DragFromX, DragFromY).
bool ChengeRMap(GameHost& h, int32_t x, int32_t y);
// Draws every board cell's piece as Map and RMap say, in reading order; the
// board is refreshed by the caller.
void drawAllCells(GameHost& h);
// Copies the whole intact picture onto the board (the board's size from 0, 0).
void drawIntactBoard(GameHost& h);
// Moves the floating piece out of sight. The board cell it covered is drawn
// first: after a drop that cell still shows the target's former piece, which
// must not become visible once the floating piece is gone.
void hideFloatingPiece(GameHost& h);
// Puts the floating piece just outside the board's top-left corner, where no
// drop or press can reach it; the board is left as it is.
void moveFloatingOutOfSight(GameHost& h);

}  // namespace quavinto
