// The saved-game file: its text form, and the checker that reads it back.
//
// A game file is text with CR LF line ends, 7 + 2 * Yn lines: the picture path,
// the three display options, the piece size, the grid size, the Map rows, the
// RMap rows and the play time in seconds. The reader checks the whole file into
// a SavedGame before anything is applied, and describes in Japanese what is
// wrong when it refuses one. This part uses only QtCore, so the fuzz target
// builds it alone.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "core/GameState.h"

namespace quavinto {

// Everything a game file holds. Grids are indexed [col][row] like GameState's;
// cells outside 1..Xn by 1..Yn are 0.
struct SavedGame {
  QString pictureFile;  // empty for the built-in picture
  int16_t SepFlag = 0;
  int16_t HyoujiFlag = 0;
  int16_t ColorFlag = 0;
  int32_t PieceWidth = 0;
  int32_t PieceHeight = 0;
  int16_t Xn = 0;
  int16_t Yn = 0;
  Grid Map{};
  Grid RMap{};
  int32_t seconds = 0;  // play time so far

  bool operator==(const SavedGame& other) const;
  bool operator!=(const SavedGame& other) const { return !(*this == other); }
};

// Files larger than this are refused unread: the largest real one is about 8 KB.
constexpr qint64 kMaxGameFileBytes = 1024 * 1024;
// The refusal of a file of `bytes` bytes, over kMaxGameFileBytes.
QString gameFileTooLargeText(qint64 bytes);

// The file's bytes: line 1 the path in UTF-8, then the numbers in the game's
// forms (" 0 ", " 76  51 ", grid rows " 004 017 001", the play time), each line
// ended by CR LF. Xn and Yn are clamped to 0..30 for the rows written, so a
// wrong count can never reach outside the grids.
QByteArray formatGameFile(const SavedGame& game);

// Reads and checks a whole file. Returns true and fills *game (when not null)
// only when every field is present and valid: line 1 is the path (leading
// spaces skipped, UTF-8 when valid, else Shift-JIS/CP932, no control
// characters); the rest are exactly 3 options, 2 piece sizes, Xn, Yn (1..30),
// Xn*Yn Map cells forming a permutation of 1..Xn*Yn, as many RMap cells of 0
// or 1, and a play time >= 0, separated by spaces, commas or line ends (CR LF,
// LF or CR alike). Anything after the play time's field, and everything from
// an end-of-file mark (0x1A) on, is ignored. Otherwise returns false, leaves
// *game as it was and puts a Japanese description naming the line into *error.
bool parseGameFile(const QByteArray& bytes, SavedGame* game, QString* error);

// The game's current state as a SavedGame: the picture path from v.PictureFile
// and the play time from v.ElapsedSeconds (worked out by the caller). Only the
// board's cells 1..Xn by 1..Yn of Map and RMap are taken.
SavedGame captureSavedGame(const GameState& g, const MainVars& v);
// Puts a checked SavedGame into the game: PictureFile, the three options, the
// piece size, Xn, Yn, Map, RMap (whole grids) and SavedSeconds.
void applySavedGame(const SavedGame& game, GameState& g, MainVars& v);

}  // namespace quavinto
