// Guarded picture decoding over QImageReader.
#include "pictures/decode/PictureDecoder.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QThread>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>

#include "pictures/decode/BmpBitfields.h"
#include "pictures/decode/ReducedDecode.h"
#include "platform/RegularFile.h"
#include "platform/TextFigures.h"

namespace decode {
namespace {

// The texts below are marked for translation where they are defined and
// translated here, when they are shown.
QString translated(const char* text) { return QCoreApplication::translate("PictureDecoder", text); }

// Descriptions of a refusal.
const char kMissing[] = QT_TRANSLATE_NOOP("PictureDecoder", "画像ファイルがみつかりません");
const char kNoPermission[] = QT_TRANSLATE_NOOP("PictureDecoder", "画像ファイルを読む権限がありません");
const char kCannotOpen[] = QT_TRANSLATE_NOOP("PictureDecoder", "画像ファイルを開けません");
const char kNotAFile[] = QT_TRANSLATE_NOOP("PictureDecoder", "通常のファイルではありません");
const char kTooLargeFile[] = QT_TRANSLATE_NOOP("PictureDecoder", "画像ファイルが大きすぎます（%1 MB。%2 MB までです）");
const char kNotAPicture[] = QT_TRANSLATE_NOOP("PictureDecoder", "画像ファイルではありません");
const char kUnsupported[] = QT_TRANSLATE_NOOP("PictureDecoder", "BMP・GIF・JPEG・PNG・WebP 形式の画像ではありません");
const char kNoReader[] = QT_TRANSLATE_NOOP(
    "PictureDecoder", "%1 形式の画像を読む Qt の部品（画像形式プラグイン）がインストールされていません");
const char kNoSize[] = QT_TRANSLATE_NOOP("PictureDecoder", "画像の大きさが読み取れません");
const char kEmptySize[] = QT_TRANSLATE_NOOP("PictureDecoder", "画像の大きさが 0 です（%1×%2）");
const char kTooLarge[] = QT_TRANSLATE_NOOP("PictureDecoder", "画像が大きすぎます（%1×%2。%3画素までです）");
const char kTooLargeSide[] =
    QT_TRANSLATE_NOOP("PictureDecoder", "画像が大きすぎます（%1×%2。縦横とも %3 画素までです）");
const char kTooManyScans[] = QT_TRANSLATE_NOOP("PictureDecoder", "JPEG のスキャンが多すぎます（%1。%2 までです）");
const char kDecodeFailed[] = QT_TRANSLATE_NOOP("PictureDecoder", "画像のデータが壊れています");
const char kBmpFailed[] = QT_TRANSLATE_NOOP("PictureDecoder", "BMP 画像のデータを読み込めません");

// A progressive photo has up to about ten scans.
constexpr int kUsualJpegScans = 10;

const QRgb kMissingGrey = 0xFF808080;
// Files from this size on take long enough to show a busy cursor.
constexpr qint64 kSlowFileBytes = 8 * 1024 * 1024;

int gBusyShows = 0;

bool refuse(QString* why, PictureProblem* problem, PictureProblem kind, const QString& text) {
  if (why) *why = text;
  if (problem) *problem = kind;
  return false;
}

bool isAccepted(const QByteArray& format) {
  return format == "bmp" || format == "gif" || format == "jpeg" || format == "png" || format == "webp";
}

// The accepted format a file's first bytes announce, when Qt has no reader
// for it (WebP comes from a plugin package that may be missing).
QByteArray missingReader(const QByteArray& head) {
  const QByteArray format = head.startsWith("RIFF") && head.mid(8, 4) == "WEBP" ? "webp"
                            : head.startsWith("\x89PNG")                        ? "png"
                            : head.startsWith("\xff\xd8")                       ? "jpeg"
                            : head.startsWith("GIF8")                           ? "gif"
                                                                                : QByteArray();
  return format.isEmpty() || QImageReader::supportedImageFormats().contains(format) ? QByteArray() : format;
}

// The busy cursor over every window while a long load runs.
class BusyCursor {
 public:
  // Only the user-interface thread has a cursor to change.
  explicit BusyCursor(bool slow)
      : shown_(slow && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
               QThread::currentThread() == QCoreApplication::instance()->thread()) {
    if (!shown_) return;
    ++gBusyShows;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  ~BusyCursor() {
    if (shown_) QGuiApplication::restoreOverrideCursor();
  }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  bool shown_;
};

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
  QImage result = reads[0].convertToFormat(reads[0].hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  const int depth = reads[0].depth();
  const bool lsb = reads[0].format() == QImage::Format_MonoLSB;
  const size_t usedBytes = (size_t(size.width()) * size_t(depth) + 7) / 8;
  for (int y = 0; y < size.height(); ++y) {
    const uchar* a = reads[0].constScanLine(y);
    const uchar* b = reads[1].constScanLine(y);
    if (std::memcmp(a, b, usedBytes) == 0) continue;
    auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
    for (int x = 0; x < size.width(); ++x) {
      bool same = true;
      if (depth == 1) {
        const int bit = lsb ? (x & 7) : 7 - (x & 7);
        same = ((a[x >> 3] ^ b[x >> 3]) >> bit & 1) == 0;
      } else if (depth == 8) {
        same = a[x] == b[x];
      } else if (depth == 32) {
        same = reinterpret_cast<const QRgb*>(a)[x] == reinterpret_cast<const QRgb*>(b)[x];
      } else {
        same = reads[0].pixel(x, y) == reads[1].pixel(x, y);
      }
      if (!same) line[x] = kMissingGrey;
    }
  }
  *out = result;
  return true;
}

// True when an uncompressed BMP holds every row it declares, so one plain
// read writes every pixel. `head` is the file's first bytes.
bool bmpIsComplete(const QByteArray& head, qint64 fileSize) {
  if (head.size() < 34) return false;
  const auto* p = reinterpret_cast<const uchar*>(head.constData());
  const quint32 offset = qFromLittleEndian<quint32>(p + 10);
  const quint32 headerSize = qFromLittleEndian<quint32>(p + 14);
  if (headerSize < 40) return false;
  const qint64 width = qFromLittleEndian<qint32>(p + 18);
  const qint64 height = qAbs(qint64(qFromLittleEndian<qint32>(p + 22)));
  const int bits = qFromLittleEndian<quint16>(p + 28);
  const quint32 compression = qFromLittleEndian<quint32>(p + 30);
  if (compression != 0 && compression != 3) return false;
  const qint64 stride = ((width * bits + 31) / 32) * 4;
  return width > 0 && qint64(offset) + stride * height <= fileSize;
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

// The reduction a JPEG decoder makes by itself to reach `target`: 1, 2, 4 or 8.
int jpegReduction(QSize size, QSize target) {
  const int ratio = std::min(size.width() / std::max(1, target.width()), size.height() / std::max(1, target.height()));
  return ratio >= 8 ? 8 : ratio >= 4 ? 4 : ratio >= 2 ? 2 : 1;
}

int bytesPerPixel(QImage::Format format) {
  if (format == QImage::Format_Invalid) return 4;
  return std::max(1, QImage::toPixelFormat(format).bitsPerPixel() / 8);
}

bool decodeDevice(QIODevice* device, qint64 deviceSize, QSize fitInto, QImage* out, QString* why,
                  PictureProblem* problem, FitDetails* details = nullptr) {
  const auto fail = [&](PictureProblem kind, const QString& text) { return refuse(why, problem, kind, text); };

  // What the headers promise, walked before the reader sees the file.
  const QByteArray head = device->read(70);
  device->seek(0);
  QSize gifSize;
  JpegScans scans;
  BmpBitfields bitfields;
  const bool isGif = head.startsWith("GIF8");
  const bool isJpeg = head.startsWith("\xff\xd8");
  if (isGif) gifSize = gifDecodedSize(device);
  if (isJpeg) scans = inspectJpegScans(device);
  const bool bmpBitfields = head.startsWith("BM") && readBmpBitfieldsHeader(device, &bitfields);
  device->seek(0);

  QImageReader reader(device);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(true);
  const QByteArray format = reader.format();
  if (const QByteArray missing = format.isEmpty() ? missingReader(head) : QByteArray(); !missing.isEmpty())
    return fail(PictureProblem::NoReader, translated(kNoReader).arg(missing == "webp" ? "WebP" : missing.toUpper()));
  if (format.isEmpty()) return fail(PictureProblem::NotAPicture, translated(kNotAPicture));
  if (!isAccepted(format)) return fail(PictureProblem::UnsupportedKind, translated(kUnsupported));
  const bool isBitfields = bmpBitfields && format == "bmp";

  QSize size = isBitfields ? bitfields.size : reader.size();
  // A top-down BMP declares a negative height.
  if (format == "bmp" && size.height() < 0 && size.height() != INT_MIN) size.setHeight(-size.height());
  // A GIF decodes to its logical screen, whatever its first frame says.
  if (format == "gif" && gifSize.isValid()) size = gifSize;
  if (size.width() < 0 || size.height() < 0) return fail(PictureProblem::Damaged, translated(kNoSize));
  if (size.width() == 0 || size.height() == 0)
    return fail(PictureProblem::Damaged, translated(kEmptySize).arg(size.width()).arg(size.height()));
  const auto tooLarge = [&](qint64 limit) {
    return fail(PictureProblem::TooLarge,
                translated(kTooLarge).arg(size.width()).arg(size.height()).arg(platform::largeCount(limit)));
  };

  // The size the picture is shown at, and the one it is needed at.
  const bool turned = format == "jpeg" && (reader.transformation() & QImageIOHandler::TransformationRotate90);
  const QSize shown = turned ? size.transposed() : size;
  const bool fits = !fitInto.isValid() || (shown.width() <= fitInto.width() && shown.height() <= fitInto.height());
  QSize target = fits ? shown : shown.scaled(fitInto, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
  // A JPEG read one step further reduced, when the caller takes that size.
  if (format == "jpeg" && !fits && details && details->jpegLeastPercent < 100) {
    const QSize least(std::max(1, target.width() * details->jpegLeastPercent / 100),
                      std::max(1, target.height() * details->jpegLeastPercent / 100));
    const int further = jpegReduction(size, turned ? least.transposed() : least);
    // Rounded down: the reader takes a whole share of each side for its
    // reduction, and a side rounded up would make it reduce one step less.
    if (further > jpegReduction(size, turned ? target.transposed() : target))
      target = QSize(std::max(1, shown.width() / further), std::max(1, shown.height() / further));
  }
  if (!fitInto.isValid() && (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide))
    return fail(PictureProblem::TooLarge,
                translated(kTooLargeSide).arg(size.width()).arg(size.height()).arg(kMaxPictureSide));
  // A JPEG decodes reduced by itself, a PNG or a still WebP as it comes;
  // every other format at full size first.
  const bool streamed = !fits && (format == "png" || (format == "webp" && !webpIsAnimated(head)));
  if (streamed) {
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels > kMaxReducedPicturePixels) return tooLarge(kMaxReducedPicturePixels);
    const QSize held = format == "png" ? pngReducedSize(size, pngBox(size, target)) : target;
    if (qint64(held.width()) * held.height() * 4 > kMaxPictureBytes) return tooLarge(kMaxReducedPicturePixels);
  }
  // libwebp keeps a lossless picture, or a lossy one's transparency, whole
  // while it scales it: read first, and refused past what that may hold.
  QByteArray webp;
  if (streamed && format == "webp") {
    device->seek(0);
    webp = device->readAll();
    const qint64 whole = webpHeldBytes(webp);
    if (whole > kMaxWebpHeldBytes)
      return tooLarge(qint64(double(size.width()) * size.height() * double(kMaxWebpHeldBytes) / double(whole)));
  }
  const bool reduced = format == "jpeg" && !fits;
  const int reduction = reduced ? jpegReduction(size, turned ? target.transposed() : target) : 1;
  const qint64 decodedPixels =
      qint64((size.width() + reduction - 1) / reduction) * ((size.height() + reduction - 1) / reduction);
  // Whatever the decoder's own format, the picture passes through 32 bits a
  // pixel before it is fitted.
  const int pixelBytes = std::max(4, bytesPerPixel(reader.imageFormat()));
  if (!streamed && decodedPixels * pixelBytes > kMaxPictureBytes)
    return tooLarge(kMaxPictureBytes / pixelBytes * reduction * reduction);
  if (format == "jpeg" && scans.count > kMaxJpegScans)
    return fail(PictureProblem::TooLarge, translated(kTooManyScans).arg(scans.count).arg(kMaxJpegScans));
  // Too much work: from a file of many scans, blame its scans (as many as
  // would pass at this size); from a photo's few, its size (as many pixels
  // as would pass scanned like this).
  if (format == "jpeg" && scans.blockPasses > scans.allowedPasses() && scans.count > kUsualJpegScans)
    return fail(PictureProblem::TooLarge,
                translated(kTooManyScans)
                    .arg(scans.count)
                    .arg(qint64(double(scans.count) * double(scans.allowedPasses()) / double(scans.blockPasses))));
  if (format == "jpeg" && scans.blockPasses > scans.allowedPasses())
    return tooLarge(
        qint64(double(size.width()) * size.height() * double(scans.allowedPasses()) / double(scans.blockPasses)));

  const BusyCursor busy(qint64(size.width()) * size.height() >= kSlowPicturePixels || deviceSize >= kSlowFileBytes);
  QImage image;
  if (streamed) {
    image = format == "png" ? decodePngReduced(device, target) : decodeWebpScaled(webp, target);
    if (image.isNull()) return fail(PictureProblem::Damaged, translated(kDecodeFailed));
    // A PNG's boxes leave it up to twice the size asked for, each way.
    if (image.size() != target) image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  } else if (isBitfields) {
    image = decodeBmpBitfields(device, bitfields);
    if (image.isNull()) return fail(PictureProblem::Damaged, translated(kBmpFailed));
  } else if (format == "bmp" && !bmpIsComplete(head, deviceSize)) {
    device->seek(0);
    if (!readBmpFilled(device->readAll(), size, &image)) return fail(PictureProblem::Damaged, translated(kBmpFailed));
  } else {
    if (reduced) reader.setScaledSize(turned ? target.transposed() : target);
    if (!reader.read(&image) || image.isNull()) return fail(PictureProblem::Damaged, translated(kDecodeFailed));
  }
  if (fitInto.isValid()) image = fitPicture(image, fitInto);
  *out = opaque(image);
  if (details) details->fullSize = shown;
  return true;
}

}  // namespace

bool decodePicture(const QByteArray& bytes, QImage* out, QString* why, QSize fitInto, PictureProblem* problem) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  return decodeDevice(&buffer, bytes.size(), fitInto, out, why, problem);
}

bool loadPicture(const QString& path, QImage* out, QString* why, QSize fitInto, PictureProblem* problem,
                 FitDetails* details) {
  QFile file(path);
  qint64 size = 0;
  switch (platform::openRegularFile(file, &size)) {
    case platform::OpenOutcome::Opened:
      break;
    case platform::OpenOutcome::Missing:
      return refuse(why, problem, PictureProblem::CannotOpen, translated(kMissing));
    case platform::OpenOutcome::NoPermission:
      return refuse(why, problem, PictureProblem::CannotOpen, translated(kNoPermission));
    case platform::OpenOutcome::NotAFile:
      return refuse(why, problem, PictureProblem::NotAFile, translated(kNotAFile));
    case platform::OpenOutcome::CannotOpen:
      return refuse(why, problem, PictureProblem::CannotOpen, translated(kCannotOpen));
  }
  // No picture within the limits needs more bytes than this.
  // A PNG is read as it decodes, never held whole, so it may be larger.
  const bool png = file.peek(8) == QByteArray("\x89PNG\r\n\x1a\n", 8);
  const qint64 fileLimit = png ? kMaxPngFileBytes : kMaxPictureFileBytes;
  if (size > fileLimit)
    return refuse(why, problem, PictureProblem::TooLarge,
                  translated(kTooLargeFile).arg((size + (1 << 20) - 1) >> 20).arg(fileLimit >> 20));
  return decodeDevice(&file, size, fitInto, out, why, problem, details);
}

QImage fitPicture(const QImage& picture, QSize maxSize) {
  if (maxSize.isEmpty() || picture.isNull()) return picture;
  if (picture.width() <= maxSize.width() && picture.height() <= maxSize.height()) return picture;
  const QSize target = picture.size().scaled(maxSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
  return picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

int busyCursorShows() { return gBusyShows; }

void setPictureAllocationLimit() { QImageReader::setAllocationLimit(int(kMaxPictureBytes / (1024 * 1024))); }

}  // namespace decode
