// Cutting a picture into the board's pieces at a given resolution.
//
// A picture larger than the board is reduced piece by piece: each piece comes
// from its own rectangle of the picture alone, so no piece carries a pixel of
// its neighbour and a flat-coloured piece stays flat wherever it is moved.
// The strips right of and below the last whole piece belong to no piece; they
// come from the whole picture reduced, as the finished-picture view shows it.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

namespace quavinto {

// The rectangle of `source` that the logical rectangle `piece` of a picture
// of logical size `whole` stands for: its edges mapped and rounded, so
// neighbouring pieces share an edge and never a pixel.
QRect sourceRectOf(const QRect& piece, QSize whole, QSize source);

// A picture decoded reduced from a larger one blends each of its pixels from
// an area of the original, so the pixels along a piece's edge may carry some
// of its neighbour's colour. Such a picture is marked, and along each edge a
// piece shares, its pieces repeat the nearest pixel of their own instead (at
// most two of the picture's pixels, about one of the screen's).
void markReducedPicture(QImage* picture);
bool isReducedPicture(const QImage& picture);
// The pixels of a reduced picture's edge that may hold a neighbour's colour:
// the original's rounding to whole pixels, and the reducer's reach.
constexpr double kReducedEdgeBlend = 1.5;

// The board's picture at `ratio` device pixels per logical pixel (the logical
// picture at 1): `whole` logical pixels in all, cut into xn x yn pieces of
// pieceWidth x pieceHeight from their top-left corner, each drawn from its
// own rectangle of `source` into its own device rectangle, exactly where the
// sizes agree and smoothly where they do not. `strips` is the whole picture
// reduced, which gives the pixels outside the pieces.
QImage cutPieces(const QImage& source, const QImage& strips, QSize whole, int xn, int yn, int pieceWidth,
                 int pieceHeight, qreal ratio);

}  // namespace quavinto
