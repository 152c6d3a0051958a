// The one record of game-wide values, and the main window's own variables.
//
// Grids are indexed (column, row), both from 0 to 30; cells 1..Xn by 1..Yn form
// the board, and row 0 and column 0 are never board cells. Piece k (1 to
// Xn * Yn, in reading order) belongs in column ((k - 1) mod Xn) + 1, row
// ((k - 1) div Xn) + 1, and its image is the rectangle of the source picture
// that its home cell covers. The widths are the game's own: 16-bit counts and
// flags, 32-bit piece sizes, pixel origins and times.
#pragma once

#include "platform/DeviceContext.h"

#include <QString>

#include <array>
#include <cstdint>

namespace quavinto {

constexpr int kGridSize = 31;  // indices 0 to 30
constexpr int kMaxCells = 30;  // largest Xn and Yn

// One grid: Grid[col][row].
using Grid = std::array<std::array<int16_t, kGridSize>, kGridSize>;

struct GameState {
  platform::Hdc MemDC = nullptr;  // memory context from which unreversed pieces are copied
  int16_t Xn = 0;                 // columns, 1 to 30
  int16_t Yn = 0;                 // rows, 1 to 30
  int16_t SepFlag = 0;            // division preset of the settings dialog (0 to 3)
  int16_t HyoujiFlag = 0;         // 1: the finished-picture view is shown
  int16_t GameRunning = 0;        // 1 while a game is in play
  int16_t PictureWidth = 0;       // loaded picture, before cropping
  int16_t PictureHeight = 0;
  int16_t ColorFlag = 0;          // background colour, 0 to 5
  int16_t ResumeFlag = 0;         // 1 after a game was read from a file
  Grid Map{};                     // piece number in each cell, 0 = none
  Grid RMap{};                    // 1 where the piece is shown reversed
  QString GameFileName;           // game file last chosen
  QString FileDialogMode;         // "READ" or "SAVE"
  QString FileDialogTitle;        // caption of the game-file dialog
  int16_t ZoomFlag = 0;           // finished-picture scale: 1, 2 or 4
  int16_t PictureType = 0;        // last picture: 1 BMP, 2 GIF, 3 JPG, 5 PNG, 6 WebP, 7 JPEG
};

// What the reversed image was last built from: the cache keys of the picture
// and of the reversed image itself (any write to either image changes its key)
// and the grid it was cut into. All zero when it is not known to be whole.
struct ReversedImageKey {
  qint64 picture = 0;
  qint64 reversed = 0;
  int32_t xn = 0, yn = 0, pieceWidth = 0, pieceHeight = 0;
  bool operator==(const ReversedImageKey& o) const {
    return picture == o.picture && reversed == o.reversed && xn == o.xn && yn == o.yn &&
           pieceWidth == o.pieceWidth && pieceHeight == o.pieceHeight;
  }
};

// Variables owned by the main window, read and written by its operations.
struct MainVars {
  int32_t DragFromX = 0;      // origin of the cell the dragged piece came from
  int32_t DragFromY = 0;
  int32_t PieceWidth = 0;     // one piece, in pixels
  int32_t PieceHeight = 0;
  QString PictureFile;        // picture last loaded; empty = the default picture
  QString PictureChoice;      // a refused choice since the last picture: where the dialog opens next
  int16_t GrabX = 0;          // pointer inside the finished-picture view at its press
  int16_t GrabY = 0;
  int32_t StartTime = 0;      // seconds since midnight when play began
  int32_t ElapsedSeconds = 0; // play time worked out when saving
  int32_t SavedSeconds = 0;   // play time read from a game file
  int16_t PanelLeft0 = 0;     // view position at the start of its drag
  int16_t PanelTop0 = 0;
  ReversedImageKey ReversedBuilt;  // what the reversed image holds, when whole
};

// The piece that belongs in (col, row), and the cell where piece k belongs.
inline int homePiece(int xn, int col, int row) { return (row - 1) * xn + col; }
inline int homeColumn(int xn, int k) { return (k - 1) % xn + 1; }
inline int homeRow(int xn, int k) { return (k - 1) / xn + 1; }

}  // namespace quavinto
