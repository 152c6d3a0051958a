// PNG and WebP pictures decoded reduced as they are read, so a photo of a
// hundred megapixels never exists at full size in memory: a PNG's rows are
// summed into boxes of whole pixels as libpng delivers them (interlaced ones
// pass by pass), and a WebP is scaled by libwebp's own decoder. Transparent
// parts are laid on white as each pixel arrives. Thumbnails of plain JPEG
// photos are decoded by libjpeg straight from memory, at an eighth. The
// thumbnails are written as PNG here too, so libpng has one error path.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <atomic>
#include <utility>
#include <vector>

class QIODevice;

namespace decode {

// The side of the square boxes a PNG of `size` is reduced by to come out no
// smaller than `target`: 1 when it already fits, never past kMaxPngBox.
constexpr int kMaxPngBox = 4096;  // box sums stay within 32 bits
int pngBox(QSize size, QSize target);
// The size a PNG of `size` has once reduced by `box`.
QSize pngReducedSize(QSize size, int box);

// Reads the PNG in `device` (from its start) reduced by pngBox(size, target)
// into a Format_RGB32 image, each pixel the mean of its box. A null image
// when the file is damaged or cut short.
QImage decodePngReduced(QIODevice* device, QSize target);

// `image` as an 8-bit RGB PNG, with `keys` as uncompressed tEXt chunks ahead
// of the pixels (what every reader of the shared thumbnail cache expects).
// Empty when libpng fails.
QByteArray encodePngWithText(const QImage& image, const std::vector<std::pair<QByteArray, QByteArray>>& keys);

// True when a WebP file, `head` being its first 21 bytes or more, holds an
// animation (whose first frame Qt's reader decodes instead).
bool webpIsAnimated(const QByteArray& head);
// What libwebp holds whole of a still WebP while it decodes it scaled: a
// lossless picture at 4 bytes a pixel, a lossy one's transparency at 2 (its
// plane and the lossless stream it comes in), nothing of a lossy picture
// without it, which goes a few rows at a time. -1 when the header cannot be
// read.
qint64 webpHeldBytes(const QByteArray& bytes);
// Decodes a still WebP scaled to exactly `target` while decoding. A null
// image when it cannot be decoded.
QImage decodeWebpScaled(const QByteArray& bytes, QSize target);

// Decodes a baseline colour or grey JPEG held in `bytes` reduced by libjpeg
// to the smallest of its eighths, quarters and halves that is still no
// smaller than `target`, with the fast settings a thumbnail can afford, and
// turned as its tag says; *size gets the picture's own size as shown. A null
// image for anything else (progressive, CMYK, damaged or cut short, too
// large even reduced), which the caller then decodes the ordinary way, and
// when `stop` is set (checked at every row of the eighth).
QImage decodeJpegThumbnail(const QByteArray& bytes, QSize target, QSize* size, const std::atomic<bool>* stop = nullptr);

}  // namespace decode
