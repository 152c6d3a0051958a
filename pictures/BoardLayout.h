// A picture becomes a board: the piece size from the picture and the grid,
// the board cropped to whole pieces, a new MemDC, the finished-picture view
// beside the board, and the floating piece and reversed image prepared.
#pragma once

#include "core/BoardWindow.h"
#include "pictures/decode/PictureDecoder.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <cstdint>

namespace quavinto {

// The smallest width and height of a piece, in pixels.
constexpr int kMinPieceSide = 2;

// Whether a picture of this size can be cut into xn x yn pieces of at least
// kMinPieceSide pixels each way. The one rule every path that meets a picture
// and a grid asks.
bool boardFits(int pictureWidth, int pictureHeight, int xn, int yn);
// A picture and a grid that do not fit: the picture's size and the grid, as
// the window's refusal names them.
struct GridMisfit {
  int pictureWidth = 0;
  int pictureHeight = 0;
  int xn = 0;
  int yn = 0;
};

// What became of a picture on its way to the board.
enum class PictureOutcome {
  Ready,         // decoded, fitted, and it takes the grid; built, it is the board
  Unusable,      // it cannot be read or decoded: `why` and `problem` say why
  GridTooSmall,  // decoded, but too small for the grid: `misfit`
  NameRefused,   // its name promises no kind of picture the puzzle takes
  NotChosen,     // the picture dialog was cancelled
};
// What became of a picture offered to the board, with what the window needs
// to tell the player why it was refused. Nothing of the window changed unless
// the board was built.
struct BoardOutcome {
  PictureOutcome outcome = PictureOutcome::Ready;
  QString path;  // the picture file; empty for the built-in picture
  decode::PictureProblem problem = decode::PictureProblem::None;
  QString why;
  GridMisfit misfit;
  bool built() const { return outcome == PictureOutcome::Ready; }
};

// Piece size from PictureWidth, PictureHeight, Xn and Yn; cuts the pieces
// anew when the grid or the screen's resolution changed since they were cut
// (from `source` when given, else from the picture file read again, else from
// the picture in memory); crops the board and resets its drawing to the
// picture; sizes the floating piece out of sight and the reversed image to
// the board. Refuses (false, nothing changed) when the picture cannot take
// the grid.
bool SizeBoard(BoardWindow& w, const QImage* source = nullptr);
// The board drawn again at the resolution of the screen the window is on
// now: the pieces cut again, the reversed image rebuilt and every cell drawn
// as Map and RMap say. False when the resolution had not changed.
bool fitBoardToScreen(BoardWindow& w);
// Builds the board from PictureFile (empty: the default picture). Refused,
// changing nothing, when the picture cannot be loaded or cannot take the grid.
BoardOutcome BuildBoard(BoardWindow& w);
// Builds the board from an already decoded picture.
BoardOutcome BuildBoardFrom(BoardWindow& w, const QImage& picture);

// The largest board the screen and the window's 16-bit size can hold, for a
// board at `boardOrigin` in the window and the view setting `viewSetting`
// (HyoujiFlag: 1 shows the finished-picture view beside the board).
QSize largestBoard(QPoint boardOrigin, int16_t viewSetting);
// The same for the window as it is now.
QSize largestBoard(const BoardWindow& w);
// Shrinks the board's picture, as it is in memory, to the largest board the
// window can show with its view setting now: a picture fitted while the view
// was hidden is too wide once the view is shown beside it. The picture file
// is not read again, so one deleted or replaced since makes no difference.
// True when the picture changed; the caller then lays the board out anew.
// The built-in picture, and a picture that would no longer take the grid, are
// left as they are.
bool fitBoardPictureToView(BoardWindow& w);
// Decodes a picture file for the board as the window is now, straight to the
// largest board when it is bigger; false (with `why`, and `problem` when
// asked) when it cannot be used.
bool loadBoardPicture(const BoardWindow& w, const QString& path, QImage* picture, QString* why,
                      decode::PictureProblem* problem = nullptr);

struct BoardPicture {
  PictureOutcome outcome = PictureOutcome::Ready;
  QImage image;  // the picture in the board's format, when decoded
  // The same picture with finer pixels (up to twice the board's device size
  // each way, never beyond its own): the pieces are cut from it.
  QImage source;
  QString why;
  decode::PictureProblem problem = decode::PictureProblem::None;
  GridMisfit misfit;  // GridTooSmall: the picture's size and the grid
};
// The one way a picture reaches the board, whoever asks for it (the picture
// command, a dropped file, a game read): decoded and oriented, fitted to the
// screen as the view setting `viewSetting` will show it, then checked
// against an xn x yn grid. An empty `path` stands for the default picture.
// Nothing of the window changes.
BoardPicture prepareBoardPicture(const BoardWindow& w, const QString& path, int16_t viewSetting, int xn, int yn);
// A prepared picture's refusal as the outcome of offering `path` to the board.
BoardOutcome refusalOf(const BoardPicture& picture, const QString& path);
// Builds the board from a prepared picture, its pieces cut from its finer
// pixels.
BoardOutcome BuildBoardFrom(BoardWindow& w, const BoardPicture& picture);

}  // namespace quavinto
