// Guarded picture decoding over QImageReader.
#include "platform/PictureDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>

namespace platform {
namespace {

// Descriptions of a refusal.
const char16_t kCannotOpen[] = u"画像ファイルを開けません: %1";
const char16_t kTooLargeFile[] = u"画像ファイルが大きすぎます";
const char16_t kUnsupported[] = u"BMP・GIF・JPEG 形式の画像ではありません";
const char16_t kNoSize[] = u"画像の大きさが読み取れません";
const char16_t kEmptySize[] = u"画像の大きさが 0 です（%1×%2）";
const char16_t kTooLarge[] = u"画像が大きすぎます（%1×%2）";
const char16_t kTooManyScans[] = u"JPEG のスキャンが多すぎます（%1）";
const char16_t kDecodeFailed[] = u"画像を読み込めません: %1";
const char16_t kBmpFailed[] = u"BMP 画像のデータを読み込めません";

const QRgb kMissingGrey = 0xFF808080;

bool refuse(QString* why, const QString& text) {
  if (why) *why = text;
  return false;
}

bool isStandalone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8); }
// Frame headers: every SOFn but DHT (C4), JPG (C8) and DAC (CC).
bool isFrameHeader(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

struct FrameComponent {
  int id = -1;
  qint64 blocks = 0;
};

// Blocks of each component of a frame header starting at p (after the length).
std::array<FrameComponent, 4> frameBlocks(const uint8_t* p, qsizetype length) {
  std::array<FrameComponent, 4> comps{};
  if (length < 6) return comps;
  const qint64 height = (p[1] << 8) | p[2], width = (p[3] << 8) | p[4];
  const int count = std::min<int>(p[5], 4);
  if (length < 6 + 3 * count) return comps;
  int hMax = 1, vMax = 1;
  for (int i = 0; i < count; ++i) {
    hMax = std::max(hMax, p[7 + 3 * i] >> 4);
    vMax = std::max(vMax, p[7 + 3 * i] & 15);
  }
  for (int i = 0; i < count; ++i) {
    const int h = std::max(1, p[7 + 3 * i] >> 4), v = std::max(1, p[7 + 3 * i] & 15);
    const qint64 w = (width * h + hMax - 1) / hMax, ht = (height * v + vMax - 1) / vMax;
    comps[i] = {p[6 + 3 * i], ((w + 7) / 8) * ((ht + 7) / 8)};
  }
  return comps;
}

// Decodes a BMP twice, into buffers first filled with all-zero and then
// all-one bits. Qt's BMP reader writes into a buffer of the right size and
// format as it stands, and never touches pixels that the file does not reach
// (cut short, or skipped by RLE codes), so the pixels that differ between the
// two results were never written: they become grey instead of whatever
// memory held.
bool readBmpFilled(const QByteArray& bytes, QSize size, QImage* out) {
  QImage::Format format = QImage::Format_Invalid;
  std::array<QImage, 2> reads;
  for (int pass = 0; pass < 2; ++pass) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    format = reader.imageFormat();
    if (format == QImage::Format_Invalid) return false;
    QImage image(size, format);
    if (image.isNull()) return false;
    if (format == QImage::Format_Mono || format == QImage::Format_MonoLSB) image.setColorCount(2);
    if (format == QImage::Format_Indexed8) image.setColorCount(256);
    std::memset(image.bits(), pass == 0 ? 0x00 : 0xFF, size_t(image.sizeInBytes()));
    const uchar* buffer0 = image.constBits();
    if (!reader.read(&image) || image.isNull()) return false;
    // A reader that made its own buffer wrote every pixel of it or failed.
    if (image.constBits() != buffer0 || image.size() != size) {
      *out = image;
      return true;
    }
    reads[pass] = image;
  }
  const bool indexed = reads[0].format() == QImage::Format_Indexed8 || reads[0].format() == QImage::Format_Mono ||
                       reads[0].format() == QImage::Format_MonoLSB;
  QImage result = reads[0].convertToFormat(reads[0].hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y) {
    for (int x = 0; x < size.width(); ++x) {
      const bool same = indexed ? reads[0].pixelIndex(x, y) == reads[1].pixelIndex(x, y)
                                : reads[0].pixel(x, y) == reads[1].pixel(x, y);
      if (!same) result.setPixel(x, y, kMissingGrey);
    }
  }
  *out = result;
  return true;
}

// True when an uncompressed BMP holds every row it declares, so one plain
// read writes every pixel.
bool bmpIsComplete(const QByteArray& bytes) {
  if (bytes.size() < 34) return false;
  const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
  const quint32 offset = qFromLittleEndian<quint32>(p + 10);
  const quint32 headerSize = qFromLittleEndian<quint32>(p + 14);
  if (headerSize < 40) return false;
  const qint64 width = qFromLittleEndian<qint32>(p + 18);
  const qint64 height = qAbs(qint64(qFromLittleEndian<qint32>(p + 22)));
  const int bits = qFromLittleEndian<quint16>(p + 28);
  const quint32 compression = qFromLittleEndian<quint32>(p + 30);
  if (compression != 0 && compression != 3) return false;
  const qint64 stride = ((width * bits + 31) / 32) * 4;
  return width > 0 && qint64(offset) + stride * height <= bytes.size();
}

// Any picture as RGB32, transparent parts laid on white.
QImage opaque(const QImage& image) {
  if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
  QImage flat(image.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  QPainter painter(&flat);
  painter.drawImage(0, 0, image);
  painter.end();
  return flat;
}

}  // namespace

JpegScans inspectJpegScans(const QByteArray& jpeg, int stopAfter) {
  const auto* p = reinterpret_cast<const uint8_t*>(jpeg.constData());
  const qsizetype n = jpeg.size();
  JpegScans result;
  if (n < 2 || p[0] != 0xFF || p[1] != 0xD8) return result;
  std::array<FrameComponent, 4> frame{};
  qsizetype pos = 2;
  while (pos < n) {
    // Like the decoder, pass over anything up to the next 0xFF, then fill bytes.
    while (pos < n && p[pos] != 0xFF) ++pos;
    while (pos < n && p[pos] == 0xFF) ++pos;
    if (pos >= n) break;
    const uint8_t marker = p[pos++];
    if (marker == 0xD9) break;
    if (isStandalone(marker)) continue;
    if (pos + 2 > n) break;
    const qsizetype length = (qsizetype(p[pos]) << 8) | p[pos + 1];
    if (length < 2) break;
    const qsizetype body = pos + 2, available = std::min(length - 2, n - body);
    pos += length;
    if (isFrameHeader(marker)) frame = frameBlocks(p + body, available);
    if (marker != 0xDA) continue;
    if (++result.count > stopAfter) break;
    const int inScan = available > 0 ? p[body] : 0;
    for (int i = 0; i < inScan && 1 + 2 * i < available; ++i) {
      for (const FrameComponent& c : frame)
        if (c.id == p[body + 1 + 2 * i]) result.blockPasses += c.blocks;
    }
    // Entropy-coded data runs to the next marker other than a stuffed zero or
    // a restart marker.
    while (pos + 1 < n) {
      if (p[pos] == 0xFF && p[pos + 1] != 0x00 && !(p[pos + 1] >= 0xD0 && p[pos + 1] <= 0xD7) && p[pos + 1] != 0xFF)
        break;
      ++pos;
    }
  }
  return result;
}

bool decodePicture(const QByteArray& bytes, QImage* out, QString* why) {
  // Set here, not left to QT_IMAGEIO_MAXALLOC, which could lift it.
  QImageReader::setAllocationLimit(int(kMaxPictureBytes / (1024 * 1024)));

  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(true);
  const QByteArray format = reader.format();
  if (format != "bmp" && format != "gif" && format != "jpeg") return refuse(why, QString::fromUtf16(kUnsupported));

  QSize size = reader.size();
  // A top-down BMP declares a negative height.
  if (format == "bmp" && size.height() < 0 && size.height() != INT_MIN) size.setHeight(-size.height());
  if (size.width() < 0 || size.height() < 0) return refuse(why, QString::fromUtf16(kNoSize));
  if (size.width() == 0 || size.height() == 0)
    return refuse(why, QString::fromUtf16(kEmptySize).arg(size.width()).arg(size.height()));
  if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide ||
      qint64(size.width()) * size.height() * 4 > kMaxPictureBytes)
    return refuse(why, QString::fromUtf16(kTooLarge).arg(size.width()).arg(size.height()));
  if (format == "jpeg") {
    const JpegScans scans = inspectJpegScans(bytes);
    if (scans.count > kMaxJpegScans || scans.blockPasses > kMaxJpegBlockPasses)
      return refuse(why, QString::fromUtf16(kTooManyScans).arg(scans.count));
  }

  QImage image;
  if (format == "bmp" && !bmpIsComplete(bytes)) {
    if (!readBmpFilled(bytes, size, &image)) return refuse(why, QString::fromUtf16(kBmpFailed));
  } else if (!reader.read(&image) || image.isNull()) {
    return refuse(why, QString::fromUtf16(kDecodeFailed).arg(reader.errorString()));
  }
  *out = opaque(image);
  return true;
}

bool loadPicture(const QString& path, QImage* out, QString* why) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return refuse(why, QString::fromUtf16(kCannotOpen).arg(file.errorString()));
  // No picture within the limits needs more bytes than its pixels take.
  if (file.size() > kMaxPictureBytes) return refuse(why, QString::fromUtf16(kTooLargeFile));
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return refuse(why, QString::fromUtf16(kCannotOpen).arg(file.errorString()));
  return decodePicture(bytes, out, why);
}

QImage fitPicture(const QImage& picture, QSize maxSize) {
  if (maxSize.isEmpty() || picture.isNull()) return picture;
  if (picture.width() <= maxSize.width() && picture.height() <= maxSize.height()) return picture;
  const QSize target = picture.size().scaled(maxSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
  return picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace platform
