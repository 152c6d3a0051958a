// Thumbnails in the desktop's shared cache: reading, making, and the loader
// that makes them off the user-interface thread.
#include "pictures/Thumbnails.h"

#include <png.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QThread>
#include <QThreadPool>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>
#include <csetjmp>
#include <utility>
#include <vector>

#include "platform/AtomicWrite.h"
#include "pictures/decode/PictureDecoder.h"
#include "pictures/decode/ReducedDecode.h"
#include "platform/RegularFile.h"
#include "platform/XdgFolders.h"

namespace quavinto {
namespace {

std::atomic<int> gMadeOnUiThread{0};

// A thumbnail of 256 by 256 pixels is a few hundred kilobytes at most; the
// shared cache is written by other programs too, so nothing larger is read.
constexpr qint64 kMaxThumbnailBytes = 1024 * 1024;

using TextChunks = std::vector<std::pair<QByteArray, QByteArray>>;

void appendToBuffer(png_structp png, png_bytep data, size_t length) {
  static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), qsizetype(length));
}
void flushNothing(png_structp) {}
void failQuietly(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void warnQuietly(png_structp, png_const_charp) {}

// Encodes an RGB888 picture with the keys as uncompressed tEXt chunks, which
// every reader of the cache understands. libpng reports errors by a long
// jump back here, so this frame holds nothing to destroy.
bool encodePng(png_structp png, png_infop info, const QImage& rgb, std::vector<png_text>& texts, QByteArray* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, appendToBuffer, flushNothing);
  png_set_IHDR(png, info, png_uint_32(rgb.width()), png_uint_32(rgb.height()), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_text(png, info, texts.data(), int(texts.size()));
  // A thumbnail is small either way; quick to write matters more.
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_write_info(png, info);
  for (int y = 0; y < rgb.height(); ++y) png_write_row(png, rgb.constScanLine(y));
  png_write_end(png, nullptr);
  return true;
}

QByteArray thumbnailPng(const QImage& image, const TextChunks& keys) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  std::vector<png_text> texts(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
    texts[i].key = const_cast<char*>(keys[i].first.constData());
    texts[i].text = const_cast<char*>(keys[i].second.constData());
    texts[i].text_length = size_t(keys[i].second.size());
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failQuietly, warnQuietly);
  if (!png) return QByteArray();
  png_infop info = png_create_info_struct(png);
  QByteArray out;
  const bool ok = info && encodePng(png, info, rgb, texts, &out);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  return ok ? out : QByteArray();
}

// The folder made readable by its owner only, as the cache asks.
bool makePrivateFolder(const QString& path) {
  if (QFileInfo(path).isDir()) return true;
  if (!QDir().mkpath(path)) return false;
  return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString folderFor(int side) { return side > kNormalThumbnail ? QStringLiteral("large") : QStringLiteral("normal"); }

qint64 modifiedSeconds(const QFileInfo& info) { return info.lastModified().toSecsSinceEpoch(); }

// The picture's size from its header alone, as it is shown (turned by its tag).
QSize headerSize(const QString& picture) {
  QImageReader reader(picture);
  reader.setAutoTransform(true);
  const QSize size = reader.size();
  return (reader.transformation() & QImageIOHandler::TransformationRotate90) ? size.transposed() : size;
}

// A plain JPEG photo straight from memory by libjpeg at an eighth, the
// quickest way there is; anything else through the guarded decoder.
bool decodeForThumbnail(const QString& picture, int side, Thumbnail* out) {
  QFile file(picture);
  qint64 bytes = 0;
  if (platform::openRegularFile(file, &bytes) == platform::OpenOutcome::Opened && bytes <= decode::kMaxPictureFileBytes &&
      file.peek(2) == "\xff\xd8") {
    // Mapped rather than copied: the file is read once, by the decoder.
    const uchar* mapped = file.map(0, bytes);
    const QByteArray data =
        mapped ? QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), bytes) : file.readAll();
    const QImage image = decode::decodeJpegThumbnail(data, QSize(side, side), &out->pictureSize);
    if (!image.isNull()) {
      out->image = decode::fitPicture(image, QSize(side, side));
      return true;
    }
  }
  if (!decode::loadPicture(picture, &out->image, nullptr, QSize(side, side))) return false;
  out->pictureSize = headerSize(picture);
  return true;
}

}  // namespace

QString thumbnailRoot() {
  return platform::xdgFolder(platform::XdgFolder::Cache) + QStringLiteral("/thumbnails");
}

QString thumbnailUri(const QString& picture) {
  return QUrl::fromLocalFile(QFileInfo(picture).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

QString thumbnailPath(const QString& picture, int side) {
  const QByteArray md5 = QCryptographicHash::hash(thumbnailUri(picture).toUtf8(), QCryptographicHash::Md5).toHex();
  return thumbnailRoot() + QLatin1Char('/') + folderFor(side) + QLatin1Char('/') + QString::fromLatin1(md5) +
         QStringLiteral(".png");
}

Thumbnail readThumbnail(const QString& picture, int side) {
  const QFileInfo info(picture);
  if (!info.isFile()) return {};
  QFile file(thumbnailPath(picture, side));
  qint64 size = 0;
  if (platform::openRegularFile(file, &size) != platform::OpenOutcome::Opened || size > kMaxThumbnailBytes) return {};
  QByteArray bytes = file.read(kMaxThumbnailBytes + 1);
  if (bytes.size() > kMaxThumbnailBytes) return {};
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, "png");
  const QImage image = reader.read();
  if (image.isNull() || image.text(QStringLiteral("Thumb::URI")) != thumbnailUri(picture)) return {};
  bool ok = false;
  const qint64 mtime = image.text(QStringLiteral("Thumb::MTime")).toLongLong(&ok);
  if (!ok || mtime != modifiedSeconds(info)) return {};
  Thumbnail result{image.convertToFormat(QImage::Format_RGB32), {}};
  result.pictureSize = QSize(image.text(QStringLiteral("Thumb::Image::Width")).toInt(),
                             image.text(QStringLiteral("Thumb::Image::Height")).toInt());
  if (result.pictureSize.isEmpty()) result.pictureSize = headerSize(picture);
  return result;
}

Thumbnail makeThumbnail(const QString& picture, int side) {
  if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
    ++gMadeOnUiThread;
  // The time is taken before the picture is read: a picture changed while it
  // is read leaves a stale thumbnail, never a wrong current one.
  const QFileInfo info(picture);
  const qint64 mtime = modifiedSeconds(info);
  Thumbnail result;
  if (!decodeForThumbnail(picture, side, &result)) return {};
  // Thumbnails of the cache's own files are never stored.
  const QString root = thumbnailRoot();
  if (info.absoluteFilePath().startsWith(root + QLatin1Char('/'))) return result;
  const QByteArray png =
      thumbnailPng(result.image, {{"Thumb::URI", thumbnailUri(picture).toUtf8()},
                                  {"Thumb::MTime", QByteArray::number(mtime)},
                                  {"Thumb::Size", QByteArray::number(info.size())},
                                  {"Thumb::Image::Width", QByteArray::number(result.pictureSize.width())},
                                  {"Thumb::Image::Height", QByteArray::number(result.pictureSize.height())},
                                  {"Software", "QUAVINTO"}});
  const QString folder = root + QLatin1Char('/') + folderFor(side);
  if (png.isEmpty() || !makePrivateFolder(root) || !makePrivateFolder(folder)) return result;
  // Written beside its place and renamed into it, so no reader sees half of it.
  platform::writeFileAtomically(thumbnailPath(picture, side), png, platform::FileAccess::OwnerOnly);
  return result;
}

Thumbnail thumbnailOf(const QString& picture, int side) {
  Thumbnail current = readThumbnail(picture, side);
  return current.image.isNull() ? makeThumbnail(picture, side) : current;
}

int thumbnailsMadeOnUiThread() { return gMadeOnUiThread; }

ThumbnailLoader::ThumbnailLoader(int side, QObject* parent) : QObject(parent), side_(side) {
  qRegisterMetaType<quavinto::Thumbnail>();
}

ThumbnailLoader::~ThumbnailLoader() = default;

void ThumbnailLoader::request(const QString& picture, bool replace) {
  if (replace) {
    // One not started yet is never made: moving through a folder of photos
    // makes only the thumbnails looked at.
    for (QFutureWatcher<Thumbnail>* watcher : std::as_const(running_)) {
      watcher->disconnect(this);
      watcher->future().cancel();
      watcher->deleteLater();
    }
    running_.clear();
  }
  auto* watcher = new QFutureWatcher<Thumbnail>(this);
  running_.append(watcher);
  connect(watcher, &QFutureWatcher<Thumbnail>::finished, this, [this, watcher, picture] {
    running_.removeOne(watcher);
    watcher->deleteLater();
    emit ready(picture, watcher->result());
  });
  watcher->setFuture(QtConcurrent::run(QThreadPool::globalInstance(), thumbnailOf, picture, side_));
}

int ThumbnailLoader::pending() const { return int(running_.size()); }

}  // namespace quavinto
