// A move of the player's as a plain value: an exchange of two cells' pieces or
// the turn of one cell's piece. Moves are applied to the game state in one
// place, without drawing, so the rules, undo and redo and the tests share them.
#pragma once

#include <QString>
#include <vector>

#include "core/GameState.h"

namespace quavinto {

// A board cell, column and row from 1.
struct Cell {
  int col = 0;
  int row = 0;
  bool operator==(const Cell& o) const { return col == o.col && row == o.row; }
  bool operator!=(const Cell& o) const { return !(*this == o); }
};

struct Move {
  enum class Kind : char { Exchange, Turn };
  Kind kind = Kind::Turn;
  Cell from;  // an exchange: the cell the carried piece leaves; a turn: its cell
  Cell to;    // an exchange: the cell it is dropped on; a turn: the same cell

  static Move exchange(Cell from, Cell to) { return {Kind::Exchange, from, to}; }
  static Move turn(Cell cell) { return {Kind::Turn, cell, cell}; }
  bool operator==(const Move& o) const { return kind == o.kind && from == o.from && to == o.to; }
  bool operator!=(const Move& o) const { return !(*this == o); }
};

// "exchange (1,2)->(3,2)" or "turn (2,2)".
QString describe(const Move& m);
// For failed comparisons in tests (found by argument lookup); the caller frees it.
char* toString(const Move& m);

// The move that takes `m` back: an exchange carries the piece back to where it
// came from, a turn turns the piece again.
Move inverse(const Move& m);
// Whether both cells of the move lie on the Xn x Yn board.
bool onBoard(const GameState& g, const Move& m);
// Applies the move to Map and RMap, each piece keeping its look when exchanged.
// Returns the cells that changed: none for a move off the board or an exchange
// of a cell with itself.
std::vector<Cell> applyMove(GameState& g, const Move& m);
// Every piece of the board home and upright.
bool isSolved(const GameState& g);

// The moves of one game, for undo and redo: those made, and those taken back
// since the last move, which redo plays again until a new move is made.
class MoveHistory {
 public:
  void clear();
  void record(const Move& m);
  bool canUndo() const { return done_ > 0; }
  bool canRedo() const { return done_ < moves_.size(); }
  // The move that takes the last one back; call only when canUndo().
  Move takeBack();
  // The move taken back last, to play again; call only when canRedo().
  Move playAgain();
  // Moves made and not taken back.
  int count() const { return int(done_); }

 private:
  std::vector<Move> moves_;
  size_t done_ = 0;
};

}  // namespace quavinto
