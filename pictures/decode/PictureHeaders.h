// What a picture file's headers promise before any pixel is decoded: the scans
// of a JPEG and the work they ask of a decoder, and the size a GIF really
// decodes to. Both are read as a stream, a buffer at a time, so a large photo
// is never held in memory just to be checked.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QSize>
#include <array>

class QIODevice;

namespace decode {

constexpr int kMaxJpegScans = 500;

// The work a JPEG's scans ask of a decoder: each scan passes over every 8x8
// block of the components it names, so a small file repeating scans over a
// large picture can keep a decoder busy for seconds. About 17 million block
// passes take a second here. Any picture may ask for 24 million; a large photo
// may ask for up to kJpegPassesPerBlock passes over each of its blocks (a
// progressive photo needs about six), but never more than kMaxJpegBlockPasses
// in all, about four seconds.
constexpr qint64 kBaseJpegBlockPasses = 24'000'000;
constexpr qint64 kJpegPassesPerBlock = 8;
constexpr qint64 kMaxJpegBlockPasses = 64'000'000;

struct JpegScans {
  int count = 0;           // start-of-scan markers
  qint64 blockPasses = 0;  // sum over the scans of the blocks each covers
  qint64 frameBlocks = 0;  // blocks of every component of the frame, once
  // The block passes this picture may ask for.
  qint64 allowedPasses() const;
};

// Walks a JPEG stream's marker segments the way a decoder does (lengths
// skipped, entropy-coded data scanned for the next marker, stray bytes
// between segments passed over), counting the scans and their block passes
// from the frame header's size and sampling. Stops once the count passes
// `stopAfter`.
class JpegScanWalker {
 public:
  explicit JpegScanWalker(int stopAfter = kMaxJpegScans) : stopAfter_(stopAfter) {}
  // Feeds the next bytes; false once nothing that follows can change the result.
  bool feed(const uchar* p, qsizetype n);
  // The result; a segment cut short by the end of the file counts as far as it goes.
  JpegScans finish();

 private:
  enum class State { Soi0, Soi1, SeekFF, Fill, LengthHi, LengthLo, Body, Entropy, EntropyFF, Done };
  void marker(uchar m);
  void endOfSegment();

  struct Component {
    int id = -1;
    qint64 blocks = 0;
  };
  int stopAfter_;
  State state_ = State::Soi0;
  uchar marker_ = 0;
  qsizetype length_ = 0;  // bytes of the segment's body still to come
  QByteArray body_;       // the first bytes of a frame header or scan header
  std::array<Component, 4> frame_{};
  JpegScans result_;
};

// The walk over bytes in memory.
JpegScans inspectJpegScans(const QByteArray& jpeg, int stopAfter = kMaxJpegScans);
// The walk over a device from its current position, a buffer at a time; the
// position is left where the walk stopped.
JpegScans inspectJpegScans(QIODevice* device, int stopAfter = kMaxJpegScans);

// The size a GIF decodes to: its logical screen, which may be far larger than
// the first frame the size header reports, or the first frame's extent when
// the screen declares no size. An invalid size when the stream is no GIF or
// ends before its first frame. Reads from the device's current position.
QSize gifDecodedSize(QIODevice* device);

// What a PNG says before its pixels: the size in its header and the keys of
// its text chunks (tEXt, zTXt inflated within a bound, iTXt stored plainly) up to the
// first image data. False when `png` is no PNG or its chunks run past its end.
// Qt's reader cannot give these keys before decoding: it takes a key with a
// colon ("Thumb::URI") for a line of a description.
struct PngTexts {
  QSize size;
  QHash<QByteArray, QByteArray> texts;
};
bool readPngHead(const QByteArray& png, PngTexts* out);

}  // namespace decode
