// Loading the player's pictures (BMP, GIF, JPEG) with guards against files
// that would exhaust memory or time, and fitting a large picture to a size.
//
// The format is taken from the file's content, not its name. Before any pixel
// is decoded the declared size is checked (no zero side, at most 16384 pixels
// a side and 256 MiB of decoded pixels) and a JPEG's scans are counted (at
// most 500, and a bounded amount of work over them): a small file can
// otherwise declare gigapixels or make the decoder work for seconds. JPEG
// orientation tags are applied and GIFs give their first frame. A picture cut
// short decodes at full size, as Qt does: JPEG grey where its data ends, GIF
// black (the reader's background); BMP pixels that the file never reaches
// (cut short, or skipped by RLE codes) are made grey too, where Qt would
// leave whatever memory held.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace platform {

constexpr int kMaxPictureSide = 16384;
constexpr qint64 kMaxPictureBytes = qint64(256) * 1024 * 1024;  // decoded, 4 bytes a pixel
constexpr int kMaxJpegScans = 500;

// Decodes the picture in `path` into *out as QImage::Format_RGB32 (transparent
// parts on white). Returns false, leaving *out untouched, for a file that
// cannot be read, is not BMP, GIF or JPEG, declares a size outside the limits,
// is a JPEG with more than kMaxJpegScans scans or kMaxJpegBlockPasses, or
// fails to decode; *why (when
// not null) then says why in Japanese. Sets Qt's allocation limit to
// kMaxPictureBytes for the whole program, whatever the environment says.
bool loadPicture(const QString& path, QImage* out, QString* why = nullptr);

// The same for a picture already in memory.
bool decodePicture(const QByteArray& bytes, QImage* out, QString* why = nullptr);

// The work a JPEG's scans ask of a decoder: each scan passes over every 8x8
// block of the components it names, so a small file repeating scans over a
// large picture can keep a decoder busy for seconds. About 17 million block
// passes take a second here; 24 million stay well inside two seconds while a
// progressive photo at the largest allowed size needs under 10 million.
constexpr qint64 kMaxJpegBlockPasses = 24'000'000;

struct JpegScans {
  int count = 0;           // start-of-scan markers
  qint64 blockPasses = 0;  // sum over the scans of the blocks each covers
};

// Walks a JPEG stream's marker segments the way a decoder does (lengths
// skipped, entropy-coded data scanned for the next marker, stray bytes
// between segments passed over), counting the scans and their block passes
// from the frame header's size and sampling. Stops once the count passes
// `stopAfter`.
JpegScans inspectJpegScans(const QByteArray& jpeg, int stopAfter = kMaxJpegScans);

// `picture` when it fits inside `maxSize` (its exact pixels), otherwise the
// picture scaled down smoothly to the largest size inside `maxSize` with the
// same proportions (never below 1x1). An empty maxSize leaves it as it is.
QImage fitPicture(const QImage& picture, QSize maxSize);

}  // namespace platform
