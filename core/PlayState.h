// What the game in play keeps beyond the design's record: the moves for undo
// and redo, the pause, and the figures of a finished game, with the events the
// core reports to the window as they change.
#pragma once

#include <cstdint>

#include "core/Move.h"

namespace quavinto {

// Why a game came to an end (or why none is in play).
enum class GameEnd {
  NewGame,    // a start is being prepared
  Declined,   // the start or resume question was answered No
  Stopped,    // the stop command
  Completed,  // every piece home and upright
  Picture,    // another picture reached (or is chosen for) the board
  Settings,   // the settings command rebuilt the board
  Read,       // a saved game replaced the board
};

// What the core reports to the window.
enum class PlayEvent {
  Began,      // play started: the clock runs, the history is empty
  Moved,      // a move was made, taken back or played again
  Completed,  // the puzzle is solved: the window congratulates (finalSeconds)
  Ended,      // the game ended (lastEnd says why); after Completed, once the board is whole
  Paused,
  Resumed,
  Hinted,  // a hint was taken: the clock has its price
};

// What a hint costs: this many seconds on the clock.
constexpr int kHintSeconds = 30;

struct PlayState {
  MoveHistory history;
  bool paused = false;
  double pausedAt = 0;       // seconds since midnight when the pause began
  double pausedSeconds = 0;  // the pauses over since play began, exactly
  bool finished = false;     // the puzzle was solved: its figures stay shown until the next game
  int32_t finalSeconds = 0;  // time of the completed game
  int finalMoves = 0;        // moves of the completed game
  int finalHints = 0;        // hints the completed game used
  int movesBefore = 0;       // moves a resumed game had made before it was kept
  int carriedMoves = 0;      // what the next play to begin takes as movesBefore
  int fewest = -1;           // the fewest moves that solve the game from its start; -1 while none is known
  int carriedFewest = -1;    // a resumed game's own figure, taken by the next play to begin
  int hintsBefore = 0;       // hints a resumed game had used before it was kept
  int carriedHints = 0;      // what the next play to begin takes as hintsBefore
  int hintsNow = 0;          // hints used since play began; each adds kHintSeconds to the time
  // Moves made in the game in play and not taken back.
  int moves() const { return movesBefore + history.count(); }
  // Hints used in the whole game.
  int hints() const { return hintsBefore + hintsNow; }
  GameEnd lastEnd = GameEnd::Stopped;
};

}  // namespace quavinto
