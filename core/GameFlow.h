// A game from start to end: the shuffle with reversed pieces, the start of
// play, the completion check with its time, and stopping.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "core/GameHost.h"

namespace quavinto {

// The start command's preparation: any game in play ends, the board is
// shuffled and drawn, and the new game waits for the player's word, given by
// beginStartedGame or declineStart. False, changing nothing, while a game is
// already being prepared.
bool prepareStart(GameHost& h);
// The player's answer to the start: play begins on the shuffled board, or the
// board stays shuffled with no game in play.
void beginStartedGame(GameHost& h);
void declineStart(GameHost& h);
// One exchange step of the shuffle: cell i (reading order) against the cell
// drawn by `u` from [0, 1), both taking the flag of the step's parity. Only
// Map and RMap change; the start draws the cells once after the last step.
void shuffleStep(GameHost& h, int i, double u);
// Starts the clock and switches the menus to play, with an empty history.
void BeginPlay(GameHost& h);
// Where every game ends, for whatever reason: no game is in play, the history
// and any pause are gone, and the window hears why.
void endGame(GameHost& h, GameEnd why);
// When every piece is home and upright during play: the time and moves are
// taken, the window congratulates, and the game ends with the picture whole.
void CheckComplete(GameHost& h);
// Seconds played by `now`, without the pauses, the one in progress included.
int32_t playedSeconds(GameHost& h, double now);
// Pause and resume the game in play; false when there was nothing to do.
bool pauseGame(GameHost& h);
bool resumeGame(GameHost& h);
// A move on a shortest way to the solved board, for a game in play and not
// paused, counted as a hint used and paid for with kHintSeconds on the clock;
// none (and nothing counted) otherwise.
std::optional<Move> takeHint(GameHost& h);
// Abandons the game in play without a question.
void GStop_Click(GameHost& h);

// Whole seconds played: now - StartTime (a day added when midnight passed)
// less the pauses, rounded half to even, and the saved time added for a
// resumed game.
int32_t elapsedSeconds(const GameState& g, const MainVars& v, double now, double pausedSeconds = 0);
// The congratulation for t seconds, hours of any number of digits.
QString completionText(int32_t seconds);

}  // namespace quavinto
