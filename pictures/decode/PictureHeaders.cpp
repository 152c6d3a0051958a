// Streaming walks over JPEG markers and GIF blocks.
#include "pictures/decode/PictureHeaders.h"

#include <zlib.h>

#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

namespace decode {
namespace {

constexpr qsizetype kChunk = 1 << 16;
// A scan header names at most 255 components: 1 + 2 * 255 bytes cover it.
constexpr qsizetype kKeptBody = 512;

bool isStandalone(uchar m) { return m == 0x01 || (m >= 0xD0 && m <= 0xD8); }
// Frame headers: every SOFn but DHT (C4), JPG (C8) and DAC (CC).
bool isFrameHeader(uchar m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }
bool isRestart(uchar m) { return m >= 0xD0 && m <= 0xD7; }

}  // namespace

qint64 JpegScans::allowedPasses() const {
  return std::max(kBaseJpegBlockPasses, std::min(kMaxJpegBlockPasses, kJpegPassesPerBlock * frameBlocks));
}

void JpegScanWalker::marker(uchar m) {
  marker_ = m;
  if (m == 0xD9)
    state_ = State::Done;
  else if (isStandalone(m))
    state_ = State::SeekFF;
  else
    state_ = State::LengthHi;
}

void JpegScanWalker::endOfSegment() {
  // The segment's kept bytes are taken over here, so the walker starts the
  // next segment empty while these stay valid to the end of this function.
  const QByteArray body = std::exchange(body_, QByteArray());
  const auto* p = reinterpret_cast<const uchar*>(body.constData());
  const qsizetype available = body.size();
  if (isFrameHeader(marker_)) {
    frame_ = {};
    result_.frameBlocks = 0;
    if (available >= 6) {
      const qint64 height = (p[1] << 8) | p[2], width = (p[3] << 8) | p[4];
      const int count = std::min<int>(p[5], 4);
      if (available >= 6 + 3 * count) {
        int hMax = 1, vMax = 1;
        for (int i = 0; i < count; ++i) {
          hMax = std::max(hMax, p[7 + 3 * i] >> 4);
          vMax = std::max(vMax, p[7 + 3 * i] & 15);
        }
        for (int i = 0; i < count; ++i) {
          const int h = std::max(1, p[7 + 3 * i] >> 4), v = std::max(1, p[7 + 3 * i] & 15);
          const qint64 w = (width * h + hMax - 1) / hMax, ht = (height * v + vMax - 1) / vMax;
          frame_[size_t(i)] = {p[6 + 3 * i], ((w + 7) / 8) * ((ht + 7) / 8)};
          result_.frameBlocks += frame_[size_t(i)].blocks;
        }
      }
    }
  }
  if (marker_ != 0xDA) {
    state_ = State::SeekFF;
    return;
  }
  if (++result_.count > stopAfter_) {
    state_ = State::Done;
    return;
  }
  const int inScan = available > 0 ? p[0] : 0;
  for (int i = 0; i < inScan && 1 + 2 * i < available; ++i) {
    for (const Component& c : frame_)
      if (c.id == p[1 + 2 * i]) result_.blockPasses += c.blocks;
  }
  state_ = State::Entropy;
}

bool JpegScanWalker::feed(const uchar* p, qsizetype n) {
  qsizetype i = 0;
  while (i < n && state_ != State::Done) {
    const uchar b = p[i];
    switch (state_) {
      case State::Soi0:
        state_ = b == 0xFF ? State::Soi1 : State::Done;
        ++i;
        break;
      case State::Soi1:
        state_ = b == 0xD8 ? State::SeekFF : State::Done;
        ++i;
        break;
      case State::SeekFF: {
        // Like the decoder, pass over anything up to the next 0xFF.
        const void* ff = std::memchr(p + i, 0xFF, size_t(n - i));
        if (!ff) return true;
        i = static_cast<const uchar*>(ff) - p + 1;
        state_ = State::Fill;
        break;
      }
      case State::Fill:
        ++i;
        if (b != 0xFF) marker(b);
        break;
      case State::LengthHi:
        length_ = qsizetype(b) << 8;
        state_ = State::LengthLo;
        ++i;
        break;
      case State::LengthLo:
        length_ |= b;
        ++i;
        if (length_ < 2) {
          state_ = State::Done;
          break;
        }
        length_ -= 2;
        state_ = State::Body;
        if (length_ == 0) endOfSegment();
        break;
      case State::Body: {
        const qsizetype take = std::min(length_, n - i);
        if (marker_ == 0xDA || isFrameHeader(marker_)) {
          const qsizetype keep = std::min(take, kKeptBody - body_.size());
          if (keep > 0) body_.append(reinterpret_cast<const char*>(p + i), keep);
        }
        i += take;
        length_ -= take;
        if (length_ == 0) endOfSegment();
        break;
      }
      case State::Entropy: {
        // Entropy-coded data runs to the next marker other than a stuffed zero
        // or a restart marker.
        const void* ff = std::memchr(p + i, 0xFF, size_t(n - i));
        if (!ff) return true;
        i = static_cast<const uchar*>(ff) - p + 1;
        state_ = State::EntropyFF;
        break;
      }
      case State::EntropyFF:
        ++i;
        if (b == 0x00 || isRestart(b))
          state_ = State::Entropy;
        else if (b != 0xFF)
          marker(b);
        break;
      case State::Done:
        break;
    }
  }
  return state_ != State::Done;
}

JpegScans JpegScanWalker::finish() {
  if (state_ == State::Body) endOfSegment();
  state_ = State::Done;
  return result_;
}

JpegScans inspectJpegScans(const QByteArray& jpeg, int stopAfter) {
  JpegScanWalker walker(stopAfter);
  walker.feed(reinterpret_cast<const uchar*>(jpeg.constData()), jpeg.size());
  return walker.finish();
}

JpegScans inspectJpegScans(QIODevice* device, int stopAfter) {
  JpegScanWalker walker(stopAfter);
  QByteArray buffer(kChunk, Qt::Uninitialized);
  for (;;) {
    const qint64 got = device->read(buffer.data(), buffer.size());
    if (got <= 0) break;
    if (!walker.feed(reinterpret_cast<const uchar*>(buffer.constData()), got)) break;
  }
  return walker.finish();
}

QSize gifDecodedSize(QIODevice* device) {
  const QByteArray header = device->read(13);
  if (header.size() < 13 || !(header.startsWith("GIF87a") || header.startsWith("GIF89a"))) return {};
  const auto* h = reinterpret_cast<const uchar*>(header.constData());
  const int screenW = qFromLittleEndian<quint16>(h + 6), screenH = qFromLittleEndian<quint16>(h + 8);
  if (h[10] & 0x80) device->skip(3LL << ((h[10] & 7) + 1));
  char c = 0;
  while (device->getChar(&c)) {
    const uchar block = uchar(c);
    if (block == 0x21) {  // extension: a label, then sub-blocks up to an empty one
      if (!device->getChar(&c)) return {};
      char size = 0;
      while (device->getChar(&size) && size != 0) {
        if (device->skip(uchar(size)) != uchar(size)) return {};
      }
      continue;
    }
    if (block != 0x2C) return {};  // the trailer, or no GIF block at all
    const QByteArray d = device->read(8);
    if (d.size() < 8) return {};
    const auto* q = reinterpret_cast<const uchar*>(d.constData());
    const int left = qFromLittleEndian<quint16>(q), top = qFromLittleEndian<quint16>(q + 2);
    const int w = qFromLittleEndian<quint16>(q + 4), ht = qFromLittleEndian<quint16>(q + 6);
    // The decoder paints every frame on the logical screen; only a screen
    // without a size takes the frame's.
    if (screenW > 0 && screenH > 0) return QSize(screenW, screenH);
    return QSize(std::max(screenW, left + w), std::max(screenH, top + ht));
  }
  return {};
}

namespace {

// A compressed text no longer than any key of ours can be; a small chunk that
// would inflate past it is refused rather than inflated.
constexpr uInt kMaxPngText = 64 * 1024;

QByteArray inflateText(const QByteArray& compressed) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return {};
  QByteArray out(qsizetype(kMaxPngText) + 1, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
  stream.avail_in = uInt(compressed.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = kMaxPngText + 1;
  const int result = inflate(&stream, Z_FINISH);
  const uLong length = stream.total_out;
  inflateEnd(&stream);
  if (result != Z_STREAM_END || length > kMaxPngText) return {};
  out.truncate(qsizetype(length));
  return out;
}

}  // namespace

bool readPngHead(const QByteArray& png, PngTexts* out) {
  if (!png.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8))) return false;
  const auto* p = reinterpret_cast<const uchar*>(png.constData());
  const qint64 end = png.size();
  qint64 at = 8;
  bool header = false;
  while (at + 12 <= end) {
    const qint64 length = qFromBigEndian<quint32>(p + at);
    const QByteArray type = png.mid(at + 4, 4);
    if (length > end - at - 12) return false;
    const QByteArray data = png.mid(at + 8, length);
    if (type == "IHDR" && length >= 8) {
      out->size = QSize(int(std::min<quint32>(qFromBigEndian<quint32>(p + at + 8), INT_MAX)),
                        int(std::min<quint32>(qFromBigEndian<quint32>(p + at + 12), INT_MAX)));
      header = true;
    } else if (type == "tEXt") {
      const int nul = data.indexOf('\0');
      if (nul > 0) out->texts.insert(data.left(nul), data.mid(nul + 1));
    } else if (type == "zTXt") {
      // key NUL, method 0 (deflate), the compressed text
      const int nul = data.indexOf('\0');
      if (nul > 0 && data.size() > nul + 1 && data[nul + 1] == 0)
        out->texts.insert(data.left(nul), inflateText(data.mid(nul + 2)));
    } else if (type == "iTXt") {
      // key NUL, compression flag, method, language NUL, translated key NUL, text
      const int nul = data.indexOf('\0');
      const int language = nul > 0 && data.size() > nul + 2 && data[nul + 1] == 0 ? data.indexOf('\0', nul + 3) : -1;
      const int translated = language > 0 ? data.indexOf('\0', language + 1) : -1;
      if (translated > 0) out->texts.insert(data.left(nul), data.mid(translated + 1));
    } else if (type == "IDAT" || type == "IEND") {
      return header;
    }
    at += length + 12;
  }
  return false;
}

}  // namespace decode
