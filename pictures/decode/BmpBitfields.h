// BMPs whose pixels are packed into 16 or 32 bits by channel masks: 16-bit
// 5-5-5 and 5-6-5 pictures and every bit-field layout (any channel widths,
// with or without alpha). Each channel is scaled to the full 0..255 range, so
// a 5-bit 31 and a 6-bit 63 are 255 and a 10-bit channel is reduced with
// rounding rather than cut; widening by shifting would leave white at 248.
// Everything else about BMPs (palettes, 24 bits, RLE) is left to Qt's reader.
#pragma once

#include <QImage>
#include <QSize>

class QIODevice;

namespace decode {

struct BmpBitfields {
  QSize size;            // rows and columns of the picture
  bool topDown = false;  // rows stored first to last
  int bitsPerPixel = 0;  // 16 or 32
  quint32 dataOffset = 0;
  quint32 masks[4] = {};  // red, green, blue, alpha (0: none)
};

// Reads the file header and info header at the device's start. True when the
// picture's pixels are bit fields this reader decodes: 16 bits (plain or with
// masks) or 32 bits with masks. `*layout` is then filled; the size may still
// be outside any limit.
bool readBmpBitfieldsHeader(QIODevice* device, BmpBitfields* layout);

// The 8-bit value of a channel read through `mask`: the masked bits scaled so
// that all ones give 255, with rounding.
uchar scaleChannel(quint32 pixel, quint32 mask);

// Decodes the pixels row by row from the device. Rows the file does not reach
// are grey. The picture is ARGB32 when the masks carry alpha that is not zero
// everywhere (a file whose alpha is all zero meant no alpha), else RGB32.
// A null image when the picture cannot be allocated.
QImage decodeBmpBitfields(QIODevice* device, const BmpBitfields& layout);

}  // namespace decode
