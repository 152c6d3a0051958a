// How well a position can still be played: the fewest moves that solve it, and
// one move of such a shortest way, offered as a hint.
//
// A turn changes one piece's reversed mark and never where the pieces lie; an
// exchange carries the marks with the pieces and splits or joins one cycle of
// the arrangement. So every reversed piece needs exactly one turn, and the
// pieces away from home need one exchange fewer than their count for each
// cycle they form (each exchange that brings a piece home splits a cycle).
#pragma once

#include <optional>

#include "core/Move.h"

namespace quavinto {

// The fewest moves that solve the Xn x Yn board of `g`: the pieces away from
// home less the cycles they form, plus the reversed pieces. 0 when solved.
int fewestMoves(const GameState& g);

// A move on a shortest way to the solved board, or none when it is solved:
// an exchange that brings two pieces home when there is one, else one that
// brings a piece home, and only when every piece is home a turn. The first
// such move in reading order, so the same position always gets the same hint.
std::optional<Move> hintMove(const GameState& g);

}  // namespace quavinto
