// Playing a move on the board: the one place a move changes the game, is drawn,
// counted and kept for undo, and may complete the puzzle.
#pragma once

#include "core/GameHost.h"
#include "core/Move.h"

namespace quavinto {

// Plays the move during a game that is in play and not paused: Map and RMap
// change, only the changed cells are drawn, the move is kept for undo (any
// moves taken back are then gone) and counted, and completion is checked.
// False, changing nothing, when no game is in play or the move changes nothing.
bool playMove(GameHost& h, const Move& m);
// The same on the board alone, neither kept nor counted: the floating piece
// turns its cell also while no game is in play.
bool applyUnrecorded(GameHost& h, const Move& m);
// Takes the last move back, or plays the last move taken back again, exactly
// as it was: board, Map, RMap and the floating piece. The clock runs on.
bool undoMove(GameHost& h);
bool redoMove(GameHost& h);
bool canUndo(GameHost& h);
bool canRedo(GameHost& h);

}  // namespace quavinto
