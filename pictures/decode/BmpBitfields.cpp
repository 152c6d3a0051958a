// Bit-field BMP pixels, scaled channel by channel.
#include "pictures/decode/BmpBitfields.h"

#include <QIODevice>
#include <QtEndian>
#include <climits>

namespace decode {
namespace {

constexpr quint32 kBiRgb = 0, kBiBitfields = 3, kBiAlphaBitfields = 6;
const QRgb kMissingGrey = 0xFF808080;

// One channel's mask, worked out once per picture.
struct Channel {
  explicit Channel(quint32 m) : mask(m) {
    if (mask == 0) return;
    while (!((mask >> shift) & 1)) ++shift;
    max = mask >> shift;
  }
  uchar operator()(quint32 pixel) const {
    return mask == 0 ? 0 : uchar((quint64((pixel & mask) >> shift) * 255 + max / 2) / max);
  }
  quint32 mask;
  int shift = 0;
  quint64 max = 1;
};

}  // namespace

bool readBmpBitfieldsHeader(QIODevice* device, BmpBitfields* layout) {
  if (!device->seek(0)) return false;
  const QByteArray head = device->read(14 + 56);
  if (head.size() < 14 + 40 || !head.startsWith("BM")) return false;
  const auto* p = reinterpret_cast<const uchar*>(head.constData());
  const quint32 headerSize = qFromLittleEndian<quint32>(p + 14);
  if (headerSize < 40) return false;  // the old 12-byte header has no bit fields
  const qint32 width = qFromLittleEndian<qint32>(p + 18), height = qFromLittleEndian<qint32>(p + 22);
  const int bits = qFromLittleEndian<quint16>(p + 28);
  const quint32 compression = qFromLittleEndian<quint32>(p + 30);
  const bool masked = compression == kBiBitfields || compression == kBiAlphaBitfields;
  if (!((bits == 16 && (compression == kBiRgb || masked)) || (bits == 32 && masked))) return false;
  if (width <= 0 || height == 0 || height == INT_MIN) return false;
  BmpBitfields out;
  out.size = QSize(width, height < 0 ? -height : height);
  out.topDown = height < 0;
  out.bitsPerPixel = bits;
  out.dataOffset = qFromLittleEndian<quint32>(p + 10);
  if (compression == kBiRgb) {
    out.masks[0] = 0x7C00;
    out.masks[1] = 0x03E0;
    out.masks[2] = 0x001F;
  } else {
    // The masks follow a 40-byte header and sit inside the longer ones, at
    // the same place either way; alpha is there only in the longer headers or
    // when the compression says so.
    const int count = (compression == kBiAlphaBitfields || headerSize >= 56) ? 4 : 3;
    if (head.size() < 54 + 4 * count) return false;
    for (int i = 0; i < count; ++i) out.masks[i] = qFromLittleEndian<quint32>(p + 54 + 4 * i);
  }
  if (bits == 16)
    for (quint32& m : out.masks) m &= 0xFFFF;
  *layout = out;
  return true;
}

uchar scaleChannel(quint32 pixel, quint32 mask) { return Channel(mask)(pixel); }

QImage decodeBmpBitfields(QIODevice* device, const BmpBitfields& layout) {
  const int w = layout.size.width(), h = layout.size.height();
  QImage image(layout.size, QImage::Format_ARGB32);
  if (image.isNull()) return image;
  const qint64 stride = ((qint64(w) * layout.bitsPerPixel + 31) / 32) * 4;
  const int bytes = layout.bitsPerPixel / 8;
  const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]), alpha(layout.masks[3]);
  const quint32 alphaMask = layout.masks[3];
  bool anyAlpha = false;
  QByteArray row(stride, Qt::Uninitialized);
  for (int r = 0; r < h; ++r) {
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(layout.topDown ? r : h - 1 - r));
    const bool whole = device->seek(layout.dataOffset + r * stride) && device->read(row.data(), stride) == stride;
    if (!whole) {
      std::fill(out, out + w, kMissingGrey);
      continue;
    }
    const auto* p = reinterpret_cast<const uchar*>(row.constData());
    for (int x = 0; x < w; ++x, p += bytes) {
      const quint32 v = bytes == 2 ? qFromLittleEndian<quint16>(p) : qFromLittleEndian<quint32>(p);
      anyAlpha = anyAlpha || (v & alphaMask);
      out[x] = qRgba(red(v), green(v), blue(v), alphaMask ? alpha(v) : 255);
    }
  }
  if (!anyAlpha) {
    // No alpha, or alpha that is zero everywhere: the picture is opaque.
    for (int y = 0; y < h; ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < w; ++x) line[x] |= 0xFF000000;
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
  }
  return image;
}

}  // namespace decode
