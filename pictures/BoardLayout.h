// A picture becomes a board: the piece size from the picture and the grid,
// the board cropped to whole pieces, a new MemDC, the finished-picture view
// beside the board, and the floating piece and reversed image prepared.
#pragma once

#include "platform/PictureDecoder.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>

namespace quavinto {

class Form1;

// The smallest width and height of a piece, in pixels.
constexpr int kMinPieceSide = 2;

// Whether a picture of this size can be cut into xn x yn pieces of at least
// kMinPieceSide pixels each way. The one rule every path that meets a picture
// and a grid asks.
bool boardFits(int pictureWidth, int pictureHeight, int xn, int yn);
// The message that refuses a picture and a grid that do not fit.
QString boardTooSmallText(int pictureWidth, int pictureHeight, int xn, int yn);

// Piece size from PictureWidth, PictureHeight, Xn and Yn; crops the board and
// resets its drawing to the picture; sizes the floating piece out of sight and
// the reversed image to the board.
// Refuses (false, nothing changed) when the picture cannot take the grid.
bool SizeBoard(Form1& f);
// Builds the board from PictureFile (empty: the default picture). Fails,
// changing nothing, when the picture cannot be loaded (`why` says why) or
// cannot take the grid.
bool BuildBoard(Form1& f, QString* why = nullptr);
// Builds the board from an already decoded picture.
bool BuildBoardFrom(Form1& f, const QImage& picture, QString* why = nullptr);

// The largest board the screen and the window's 16-bit size can hold.
QSize largestBoard(const Form1& f);
// Decodes a picture file for the board, straight to the largest board when
// it is bigger; false (with `why`, and `problem` when asked) when it cannot
// be used.
bool loadBoardPicture(const Form1& f, const QString& path, QImage* picture, QString* why,
                      platform::PictureProblem* problem = nullptr);

}  // namespace quavinto
