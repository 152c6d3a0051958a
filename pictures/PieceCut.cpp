// Pieces cut each from its own rectangle of the picture.
#include "pictures/PieceCut.h"

#include <cmath>

#include "platform/DeviceContext.h"

namespace quavinto {
namespace {

int mapEdge(int edge, int from, int to) { return int(std::lround(double(edge) * to / from)); }

}  // namespace

QRect sourceRectOf(const QRect& piece, QSize whole, QSize source) {
  const int left = mapEdge(piece.left(), whole.width(), source.width());
  const int top = mapEdge(piece.top(), whole.height(), source.height());
  const int right = mapEdge(piece.left() + piece.width(), whole.width(), source.width());
  const int bottom = mapEdge(piece.top() + piece.height(), whole.height(), source.height());
  return QRect(left, top, std::max(1, right - left), std::max(1, bottom - top));
}

QImage cutPieces(const QImage& source, const QImage& strips, QSize whole, int xn, int yn, int pieceWidth,
                 int pieceHeight, qreal ratio) {
  const QSize device(platform::toDevice(whole.width(), ratio), platform::toDevice(whole.height(), ratio));
  const QImage from = source.convertToFormat(platform::kBoardFormat);
  // A source already at the board's resolution is the board's picture itself.
  if (from.size() == device) return from;
  QImage out = strips.size() == device ? strips.convertToFormat(platform::kBoardFormat)
                                       : strips.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                             .convertToFormat(platform::kBoardFormat);
  out.setDevicePixelRatio(1);
  for (int row = 0; row < yn; ++row)
    for (int col = 0; col < xn; ++col) {
      const QRect piece(col * pieceWidth, row * pieceHeight, pieceWidth, pieceHeight);
      const QRect target = platform::toDevice(piece, ratio);
      const QRect own = sourceRectOf(piece, whole, from.size());
      if (own.size() == target.size()) {
        platform::copyPixels(out, target.x(), target.y(), target.width(), target.height(), from, own.x(), own.y());
        continue;
      }
      const QImage part = from.copy(own).scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
      platform::copyPixels(out, target.x(), target.y(), target.width(), target.height(), part, 0, 0);
    }
  return out;
}

}  // namespace quavinto
