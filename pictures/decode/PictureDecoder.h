// Loading the player's pictures (BMP, GIF, JPEG, PNG, WebP) with guards
// against files that would exhaust memory or time, straight to the size they
// will be used at.
//
// Only a regular file is opened (never a pipe, a device or a link to one),
// without waiting, and no file over kMaxPictureFileBytes (a PNG, read as it
// decodes: kMaxPngFileBytes) is read. The format
// is taken from the file's content, not its name. Before any pixel is decoded
// the size that will really be decoded is checked: no zero side, and at most
// kMaxPictureBytes of decoded pixels. A picture bigger than the size it is
// asked to fit into is decoded reduced where its decoder can (a JPEG by its
// own eighths, halves and quarters, a PNG row by row, a WebP by its own
// scaling), so a 108-megapixel photo needs a few megabytes; a picture too big
// even reduced is refused with its size and the limit it passes, and so is a
// lossless WebP (or a WebP's transparency) whose decoder would hold more than
// kMaxWebpHeldBytes of it whole. A JPEG's scans are
// counted and the work over them bounded; a GIF's logical screen, not its
// first frame, is the size checked. JPEG orientation tags are applied, GIFs
// and WebP animations give their first frame, bit-field BMPs decode to exact
// colours. A picture cut short decodes at full size, as Qt does: JPEG grey
// where its data ends, GIF black (the reader's background); BMP pixels that
// the file never reaches are made grey too, where Qt would leave whatever
// memory held. While a large picture loads, the pointer shows a busy cursor.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include "pictures/decode/PictureHeaders.h"

namespace decode {

// A picture used at its own size (nothing to fit into) keeps this limit.
constexpr int kMaxPictureSide = 16384;
constexpr qint64 kMaxPictureBytes = qint64(256) * 1024 * 1024;  // decoded pixels
constexpr qint64 kMaxPictureFileBytes = qint64(256) * 1024 * 1024;
constexpr qint64 kMaxPngFileBytes = qint64(1024) * 1024 * 1024;
// A PNG or a still WebP bigger than it is needed is reduced as it decodes,
// so only the work limits its size: this many pixels.
constexpr qint64 kMaxReducedPicturePixels = 1'000'000'000;
// libwebp holds a lossless WebP whole while it scales it (4 bytes a pixel),
// and a lossy one's transparency (about 2): a reduced WebP may need this
// much of that, a 16-megapixel lossless picture.
constexpr qint64 kMaxWebpHeldBytes = qint64(64) * 1024 * 1024;
// Pictures from this many pixels on take long enough to show a busy cursor.
constexpr qint64 kSlowPicturePixels = 4'000'000;

// Why a picture was refused, in the player's terms.
enum class PictureProblem {
  None,
  CannotOpen,       // missing, or not readable
  NotAFile,         // a folder, a pipe, a device
  NotAPicture,      // no picture format recognises the content
  NoReader,         // a format the puzzle takes, whose reader is not installed
  UnsupportedKind,  // a picture, but of a kind the puzzle does not take
  Damaged,          // a picture whose data cannot be decoded
  TooLarge,         // too many pixels or too much work, even reduced
};

// Decodes the picture in `path` into *out as QImage::Format_RGB32 (transparent
// parts on white). With a valid `fitInto`, a bigger picture comes out scaled
// down smoothly to the largest size inside it with the same proportions
// (never below 1x1), decoded reduced where its format allows; a picture that
// fits keeps its exact pixels. Returns false, leaving *out untouched, when
// the picture cannot be used: *why (when not null) then says why in
// Japanese and *problem names the kind of refusal. Every size is checked
// here before Qt's reader allocates, so the refusal is the same whatever
// Qt's own allocation limit is.
// What a load for cutting the board may trade for less work, and what it
// tells back.
struct FitDetails {
  // A JPEG may come out as small as this share of `fitInto` each way (in
  // percent) when its decoder can reduce it one step further for that: a
  // photo of 108 megapixels is then read at an eighth, not a quarter.
  int jpegLeastPercent = 100;
  // The picture's own size as shown (turned as its orientation says).
  QSize fullSize;
};
bool loadPicture(const QString& path, QImage* out, QString* why = nullptr, QSize fitInto = QSize(),
                 PictureProblem* problem = nullptr, FitDetails* details = nullptr);

// The same for a picture already in memory.
bool decodePicture(const QByteArray& bytes, QImage* out, QString* why = nullptr, QSize fitInto = QSize(),
                   PictureProblem* problem = nullptr);

// `picture` when it fits inside `maxSize` (its exact pixels), otherwise the
// picture scaled down smoothly to the largest size inside `maxSize` with the
// same proportions (never below 1x1). An empty maxSize leaves it as it is.
QImage fitPicture(const QImage& picture, QSize maxSize);

// Sets Qt's image allocation limit to kMaxPictureBytes, once as the program
// starts and before any thread decodes: the limit is one setting shared by
// every thread. QT_IMAGEIO_MAXALLOC, when set, still overrides it in Qt.
void setPictureAllocationLimit();

// How many times a load has shown the busy cursor since the program started.
int busyCursorShows();

}  // namespace decode
