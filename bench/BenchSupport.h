// Shared pieces of the benchmarks: the detailed test picture, a shown main
// window holding a board cut from it, the one-pixel-at-a-time reversed image
// the board once used, checks that a measured step really did its work, and
// medians.
#pragma once

#include "core/GameHost.h"

#include <QImage>
#include <QString>

#include <vector>

namespace quavinto {
class Form1;
}

namespace benchsupport {

// The benchmark's picture size and grid.
constexpr int kPictureWidth = 2048;
constexpr int kPictureHeight = 1536;
constexpr int kGrid = 30;

// A deterministic picture full of detail (gradients, rings, stripes and
// noise), in the board's pixel format; no two pieces of any grid look alike
// and no piece looks the same turned round.
QImage makeDetailedPicture(int width, int height);

// Cuts `picture` into xn x yn pieces on the window's board, as a loaded picture
// is, but at its full size (no scaling to the screen). False with `why` set
// when the board refuses it.
bool buildBoard(quavinto::Form1& form, const QImage& picture, int xn, int yn, QString* why);

// Shows the window and waits until it is exposed and painted.
bool showAndWait(quavinto::Form1& form);

// Delivers every pending event, including queued repaints and deletions, for
// `ms` milliseconds.
void settleEvents(int ms = 30);

// The reversed image built as the old design did: for each pixel of each
// piece a 1 x 1 copy from the picture into the reversed image, yielding to
// the window after each piece.
void reverseByPixels(quavinto::GameHost& h);

// Empty when every piece of `reversed` is the picture's piece at the same
// place rotated by 180 degrees; otherwise the first piece that is not.
QString reversedImageProblem(const QImage& reversed, const QImage& picture, int xn, int yn, int pieceWidth,
                             int pieceHeight);

// Empty when every board cell of `board` shows the piece Map names there,
// turned round exactly where RMap is 1; otherwise the first cell that does not.
QString boardProblem(const QImage& board, const QImage& picture, const quavinto::GameState& g,
                     const quavinto::MainVars& v);

// Median of the values (mean of the middle two for an even count); 0 when empty.
double median(std::vector<double> values);

}  // namespace benchsupport
