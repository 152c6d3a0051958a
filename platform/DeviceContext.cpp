// Exact, clipped pixel copies between images, and the count of memory contexts.
#include "platform/DeviceContext.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace platform {
namespace {
int gLiveMemory = 0;
std::unordered_map<const QImage*, QImage*>& twins() {
  static std::unordered_map<const QImage*, QImage*> map;
  return map;
}

// Clips a copy as copyPixels does; false when nothing is left.
bool clipCopy(const QSize& dst, int& x, int& y, int& w, int& h, const QSize& src, int& sx, int& sy) {
  if (w <= 0 || h <= 0) return false;
  if (sx < 0) {
    x -= sx;
    w += sx;
    sx = 0;
  }
  if (sy < 0) {
    y -= sy;
    h += sy;
    sy = 0;
  }
  w = std::min(w, src.width() - sx);
  h = std::min(h, src.height() - sy);
  if (x < 0) {
    sx -= x;
    w += x;
    x = 0;
  }
  if (y < 0) {
    sy -= y;
    h += y;
    y = 0;
  }
  w = std::min(w, dst.width() - x);
  h = std::min(h, dst.height() - y);
  return w > 0 && h > 0;
}
}  // namespace

void setFineTwin(const QImage* logical, QImage* fine) { twins()[logical] = fine; }
void clearFineTwin(const QImage* logical) { twins().erase(logical); }

QImage* fineTwin(const QImage* logical) {
  const auto it = twins().find(logical);
  return it == twins().end() || it->second->isNull() ? nullptr : it->second;
}

int toDevice(int logical, qreal ratio) { return int(std::lround(logical * ratio)); }

QRect toDevice(const QRect& logical, qreal ratio) {
  const int left = toDevice(logical.x(), ratio), top = toDevice(logical.y(), ratio);
  return QRect(left, top, toDevice(logical.x() + logical.width(), ratio) - left,
               toDevice(logical.y() + logical.height(), ratio) - top);
}

QRect copyFine(const QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy) {
  QImage* to = fineTwin(&dst);
  const QImage* from = fineTwin(&src);
  if (!to || !from) return {};
  const qreal ratio = to->devicePixelRatio();
  if (from->devicePixelRatio() != ratio || !clipCopy(dst.size(), x, y, w, h, src.size(), sx, sy)) return {};
  const QRect target = toDevice(QRect(x, y, w, h), ratio);
  const QRect source = toDevice(QRect(sx, sy, w, h), ratio);
  if (target.size() == source.size())
    return copyPixels(*to, target.x(), target.y(), target.width(), target.height(), *from, source.x(), source.y());
  // A cell one device pixel wider or narrower than the piece's home: the piece
  // is drawn smoothly into it rather than losing or repeating a column.
  const QImage piece = from->copy(source).scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  return copyPixels(*to, target.x(), target.y(), target.width(), target.height(), piece, 0, 0);
}

DeviceContext::DeviceContext(QImage* target, bool memory) : target_(target), memory_(memory) {
  if (memory_) ++gLiveMemory;
}

DeviceContext::~DeviceContext() {
  if (memory_) --gLiveMemory;
}

void DeviceContext::notifyDrawn(const QRect& rect) const {
  if (drawn_ && !rect.isEmpty()) drawn_(rect);
}

Hdc CreateCompatibleDC(Hdc /*reference*/) { return new DeviceContext(nullptr, true); }

QImage* SelectObject(Hdc dc, QImage* bitmap) {
  if (!dc) return nullptr;
  QImage* previous = dc->target();
  dc->setTarget(bitmap);
  return previous;
}

bool DeleteDC(Hdc dc) {
  if (!dc || !dc->isMemory()) return false;
  delete dc;
  return true;
}

QRect copyPixels(QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy) {
  if (dst.isNull() || src.isNull() || w <= 0 || h <= 0) return {};
  // Clip against the source: shift the destination by what is cut off.
  if (sx < 0) { x -= sx; w += sx; sx = 0; }
  if (sy < 0) { y -= sy; h += sy; sy = 0; }
  w = std::min(w, src.width() - sx);
  h = std::min(h, src.height() - sy);
  // Clip against the destination likewise.
  if (x < 0) { sx -= x; w += x; x = 0; }
  if (y < 0) { sy -= y; h += y; y = 0; }
  w = std::min(w, dst.width() - x);
  h = std::min(h, dst.height() - y);
  if (w <= 0 || h <= 0) return {};

  if (dst.format() == src.format() && dst.depth() == 32) {
    const size_t rowBytes = size_t(w) * 4;
    // The destination is detached once, before the source is read, and rows
    // are reached by stride instead of one scan-line call per row.
    uchar* to = dst.bits() + qsizetype(y) * dst.bytesPerLine() + qsizetype(x) * 4;
    const uchar* from = src.constBits() + qsizetype(sy) * src.bytesPerLine() + qsizetype(sx) * 4;
    const qsizetype toStride = dst.bytesPerLine(), fromStride = src.bytesPerLine();
    if (&dst == &src && sy < y) {
      // Overlapping copy inside one image going down: walk rows from the bottom.
      for (int row = h - 1; row >= 0; --row) std::memmove(to + row * toStride, from + row * fromStride, rowBytes);
    } else {
      // The source row a few ahead is fetched while this one is copied: rows a
      // picture row apart are too far for the hardware to guess.
      constexpr int kAhead = 4;
      for (int row = 0; row < h; ++row) {
        if (row + kAhead < h) {
          const uchar* next = from + (row + kAhead) * fromStride;
          for (size_t at = 0; at < rowBytes; at += 64) platform::prefetch(next + at);
          platform::prefetch(next + rowBytes - 1);
        }
        std::memmove(to + row * toStride, from + row * fromStride, rowBytes);
      }
    }
  } else {
    QPainter painter(&dst);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(x, y), src, QRect(sx, sy, w, h));
  }
  return QRect(x, y, w, h);
}

bool BitBlt(Hdc dst, int x, int y, int w, int h, Hdc src, int sx, int sy, uint32_t rop) {
  if (rop != SRCCOPY || !dst || !src || !dst->target() || !src->target()) return false;
  const QRect written = copyPixels(*dst->target(), x, y, w, h, *src->target(), sx, sy);
  copyFine(*dst->target(), x, y, w, h, *src->target(), sx, sy);
  dst->notifyDrawn(written);
  return !written.isEmpty();
}

int liveMemoryContexts() { return gLiveMemory; }

}  // namespace platform
