// Pieces cut each from its own rectangle of the picture.
#include "pictures/PieceCut.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/DeviceContext.h"

namespace quavinto {
namespace {

int mapEdge(int edge, int from, int to) { return int(std::lround(double(edge) * to / from)); }

const QString kReducedKey = QStringLiteral("quavinto-reduced");

// A piece's own rectangle of a reduced `source` with the pixels along the
// edges it shares (with a neighbour or a strip) replaced by the nearest of
// its own that no neighbour reaches: the piece keeps its place and size, and
// only its outermost pixel or two repeat the one within.
QImage cleanPartOf(const QImage& source, const QRect& piece, QSize whole) {
  const QRect own = sourceRectOf(piece, whole, source.size());
  QImage part = source.copy(own);
  const double sx = double(source.width()) / whole.width(), sy = double(source.height()) / whole.height();
  // How many of the part's first and last pixels lie within the blend of a shared edge.
  const auto band = [](int edge, int last, double scale, int ownEdge, int sign) {
    if (edge <= 0 || edge >= last) return 0;
    const double reach = edge * scale + sign * kReducedEdgeBlend;
    return std::max(0, sign > 0 ? int(std::ceil(reach)) - ownEdge : ownEdge - int(std::floor(reach)));
  };
  const int w = part.width(), h = part.height();
  const int left = band(piece.left(), whole.width(), sx, own.left(), 1);
  const int right = band(piece.left() + piece.width(), whole.width(), sx, own.left() + w, -1);
  const int top = band(piece.top(), whole.height(), sy, own.top(), 1);
  const int bottom = band(piece.top() + piece.height(), whole.height(), sy, own.top() + h, -1);
  // A piece too small for its edges keeps its own pixels.
  if (left + right >= w || top + bottom >= h) return part;
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
    for (int x = 0; x < left; ++x) line[x] = line[left];
    for (int x = w - right; x < w; ++x) line[x] = line[w - right - 1];
  }
  const qsizetype rowBytes = part.bytesPerLine();
  for (int y = 0; y < top; ++y) std::memcpy(part.scanLine(y), part.constScanLine(top), size_t(rowBytes));
  for (int y = h - bottom; y < h; ++y) std::memcpy(part.scanLine(y), part.constScanLine(h - bottom - 1), size_t(rowBytes));
  return part;
}

}  // namespace

void markReducedPicture(QImage* picture) { picture->setText(kReducedKey, QStringLiteral("1")); }
bool isReducedPicture(const QImage& picture) { return !picture.text(kReducedKey).isEmpty(); }

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
  if (from.size() == device && !isReducedPicture(source)) return from;
  QImage out = strips.size() == device ? strips.convertToFormat(platform::kBoardFormat)
                                       : strips.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                             .convertToFormat(platform::kBoardFormat);
  out.setDevicePixelRatio(1);
  for (int row = 0; row < yn; ++row)
    for (int col = 0; col < xn; ++col) {
      const QRect piece(col * pieceWidth, row * pieceHeight, pieceWidth, pieceHeight);
      const QRect target = platform::toDevice(piece, ratio);
      const QRect own = sourceRectOf(piece, whole, from.size());
      if (isReducedPicture(source)) {
        const QImage part =
            cleanPartOf(from, piece, whole).scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        platform::copyPixels(out, target.x(), target.y(), target.width(), target.height(), part, 0, 0);
        continue;
      }
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
