// Thumbnails in the desktop's shared cache: reading what others wrote as
// hostile input, making and storing ours, fail entries, and the loader that
// makes them on pools of their own.
#include "pictures/Thumbnails.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QImageReader>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <mutex>
#include <set>
#include <utility>

#include "pictures/decode/PictureDecoder.h"
#include "pictures/decode/PictureHeaders.h"
#include "pictures/decode/ReducedDecode.h"
#include "platform/AtomicWrite.h"
#include "platform/FileNames.h"
#include "platform/RegularFile.h"
#include "platform/XdgFolders.h"

namespace quavinto {
namespace {

std::atomic<int> gMadeOnUiThread{0};
std::atomic<int> gJobs{0};

// The flags of every job queued or running, so that the end of the program
// can stop them all.
std::mutex gFlagsMutex;
std::set<std::shared_ptr<CancelFlag>>& liveFlags() {
  static std::set<std::shared_ptr<CancelFlag>> flags;
  return flags;
}

bool stopped(const CancelFlag* cancel) { return cancel && cancel->load(); }

// Once the application ends, jobs are stopped and given a moment, shared by
// both pools, to notice; the pools are never destroyed, so nothing waits
// longer for a decode.
constexpr int kExitWaitMs = 100;

QThreadPool* newPool(int threads) {
  auto* pool = new QThreadPool;
  pool->setMaxThreadCount(threads);
  return pool;
}

QThreadPool* poolOf(ThumbnailLoader::Lane lane) {
  static QThreadPool* const menu = newPool(2);
  static QThreadPool* const preview = newPool(1);
  static const bool registered = [] {
    qAddPostRoutine([] {
      stopThumbnailJobs();
      const QDeadlineTimer moment(kExitWaitMs);
      menu->waitForDone(int(moment.remainingTime()));
      preview->waitForDone(int(moment.remainingTime()));
    });
    return true;
  }();
  Q_UNUSED(registered);
  return lane == ThumbnailLoader::Lane::Preview ? preview : menu;
}

// The folder made readable by its owner only, as the cache asks.
bool makePrivateFolder(const QString& path) {
  if (QFileInfo(path).isDir()) return true;
  if (!QDir().mkpath(path)) return false;
  return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString folderFor(int side) { return side > kNormalThumbnail ? QStringLiteral("large") : QStringLiteral("normal"); }

qint64 modifiedSeconds(const QFileInfo& info) { return info.lastModified().toSecsSinceEpoch(); }

QByteArray uriHash(const QString& picture) {
  return QCryptographicHash::hash(thumbnailUri(picture).toUtf8(), QCryptographicHash::Md5).toHex();
}

// A cache entry for the picture with `uri` modified at `mtime`: a regular
// file within the cap, a PNG by its signature, no larger than `maxSide` by
// its header, its keys naming the picture at that time. All of it is checked
// from the header before a pixel is decoded; the pixels (when `image` is
// given) only then.
bool readEntry(const QString& path, const QString& uri, qint64 mtime, int maxSide, QImage* image,
               QSize* pictureSize) {
  QFile file(path);
  qint64 size = 0;
  if (platform::openRegularFile(file, &size) != platform::OpenOutcome::Opened || size > kMaxThumbnailFileBytes)
    return false;
  QByteArray bytes = file.read(kMaxThumbnailFileBytes + 1);
  decode::PngTexts head;
  if (bytes.size() > kMaxThumbnailFileBytes || !decode::readPngHead(bytes, &head)) return false;
  if (head.size.isEmpty() || head.size.width() > maxSide || head.size.height() > maxSide) return false;
  if (head.texts.value("Thumb::URI") != uri.toLatin1()) return false;
  bool ok = false;
  if (head.texts.value("Thumb::MTime").toLongLong(&ok) != mtime || !ok) return false;
  if (pictureSize)
    *pictureSize = QSize(head.texts.value("Thumb::Image::Width").toInt(), head.texts.value("Thumb::Image::Height").toInt());
  if (!image) return true;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "png");
  *image = reader.read();
  return !image->isNull() && image->size() == head.size;
}

// The picture's size from its header alone, as it is shown (turned by its
// tag); the format from the content, never from the name.
QSize pictureHeaderSize(const QString& picture) {
  QFile file(picture);
  if (platform::openRegularFile(file) != platform::OpenOutcome::Opened) return QSize();
  QImageReader reader(&file);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(true);
  const QSize size = reader.size();
  return (reader.transformation() & QImageIOHandler::TransformationRotate90) ? size.transposed() : size;
}

// A plain JPEG photo from memory by libjpeg, reduced, the quickest way there
// is; anything else through the guarded decoder. The bytes are read, never
// mapped: a picture shortened by another program while mapped would end the
// program with a bus error.
bool decodeForThumbnail(const QString& picture, int side, const CancelFlag* cancel, Thumbnail* out) {
  QFile file(picture);
  qint64 bytes = 0;
  if (platform::openRegularFile(file, &bytes) != platform::OpenOutcome::Opened) return false;
  if (file.peek(2) == "\xff\xd8" && bytes <= decode::kMaxPictureFileBytes) {
    const QByteArray data = file.read(bytes);
    if (stopped(cancel)) return false;
    const QImage image = decode::decodeJpegThumbnail(data, QSize(side, side), &out->pictureSize, cancel);
    if (!image.isNull()) {
      out->image = decode::fitPicture(image, QSize(side, side));
      return true;
    }
  }
  file.close();
  if (stopped(cancel)) return false;
  if (!decode::loadPicture(picture, &out->image, nullptr, QSize(side, side))) return false;
  out->pictureSize = pictureHeaderSize(picture);
  return true;
}

bool storeEntry(const QString& path, const QImage& image, const std::vector<std::pair<QByteArray, QByteArray>>& keys) {
  const QByteArray png = decode::encodePngWithText(image, keys);
  const QString root = thumbnailRoot();
  if (png.isEmpty() || !makePrivateFolder(root)) return false;
  // Each folder between the root and the file, owner-only too.
  for (QString folder = QFileInfo(path).path(); folder != root; folder = QFileInfo(folder).path())
    if (!makePrivateFolder(folder)) return false;
  // Renamed into place, so no reader sees half of it and a link planted
  // there is replaced, never followed.
  return platform::writeFileAtomically(path, png, platform::FileAccess::OwnerOnly);
}

}  // namespace

QString thumbnailRoot() { return platform::xdgFolder(platform::XdgFolder::Cache) + QStringLiteral("/thumbnails"); }

QString thumbnailUri(const QString& picture) {
  // The bytes of the path as the file system holds them; a name that is
  // not UTF-8 is escaped byte by byte all the same.
  const QByteArray path = platform::fileNameBytes(QFileInfo(picture).absoluteFilePath());
  static const char kHex[] = "0123456789ABCDEF";
  static const QByteArray kRaw("-._~!$&'()*+,/:=@");
  QByteArray uri("file://");
  uri.reserve(uri.size() + path.size() * 3);
  for (const char c : path) {
    const auto byte = uchar(c);
    const bool alnum = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9');
    if (alnum || (byte != 0 && kRaw.contains(c))) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 15];
    }
  }
  return QString::fromLatin1(uri);
}

QString thumbnailPath(const QString& picture, int side) {
  return thumbnailRoot() + QLatin1Char('/') + folderFor(side) + QLatin1Char('/') + QString::fromLatin1(uriHash(picture)) +
         QStringLiteral(".png");
}

QString thumbnailFailPath(const QString& picture) {
  return thumbnailRoot() + QStringLiteral("/fail/quavinto-") + QStringLiteral(QUAVINTO_VERSION) + QLatin1Char('/') +
         QString::fromLatin1(uriHash(picture)) + QStringLiteral(".png");
}

Thumbnail readThumbnail(const QString& picture, int side) {
  const QFileInfo info(picture);
  if (!info.isFile()) return {};
  Thumbnail result;
  QImage image;
  if (!readEntry(thumbnailPath(picture, side), thumbnailUri(picture), modifiedSeconds(info), side, &image,
                 &result.pictureSize))
    return {};
  result.image = image.convertToFormat(QImage::Format_RGB32);
  if (result.pictureSize.isEmpty()) result.pictureSize = pictureHeaderSize(picture);
  return result;
}

Thumbnail makeThumbnail(const QString& picture, int side, const CancelFlag* cancel) {
  if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
    ++gMadeOnUiThread;
  // The time is taken before the picture is read: a picture changed while it
  // is read leaves a stale thumbnail, never a wrong current one.
  const QFileInfo info(picture);
  const qint64 mtime = modifiedSeconds(info);
  const QString uri = thumbnailUri(picture);
  // A picture that failed before, unchanged since, is not tried again.
  if (readEntry(thumbnailFailPath(picture), uri, mtime, kLargeThumbnail, nullptr, nullptr) || stopped(cancel))
    return {};
  Thumbnail result;
  const bool decoded = decodeForThumbnail(picture, side, cancel, &result);
  if (stopped(cancel)) return {};
  // Thumbnails of the cache's own files are never stored.
  const QString root = thumbnailRoot();
  if (info.absoluteFilePath().startsWith(root + QLatin1Char('/'))) return decoded ? result : Thumbnail{};
  if (!decoded) {
    QImage mark(1, 1, QImage::Format_RGB32);
    mark.fill(Qt::white);
    storeEntry(thumbnailFailPath(picture), mark,
               {{"Thumb::URI", uri.toUtf8()}, {"Thumb::MTime", QByteArray::number(mtime)}, {"Software", "QUAVINTO"}});
    return {};
  }
  storeEntry(thumbnailPath(picture, side), result.image,
             {{"Thumb::URI", uri.toUtf8()},
              {"Thumb::MTime", QByteArray::number(mtime)},
              {"Thumb::Size", QByteArray::number(info.size())},
              {"Thumb::Image::Width", QByteArray::number(result.pictureSize.width())},
              {"Thumb::Image::Height", QByteArray::number(result.pictureSize.height())},
              {"Software", "QUAVINTO"}});
  return result;
}

Thumbnail thumbnailOf(const QString& picture, int side, const CancelFlag* cancel) {
  Thumbnail current = readThumbnail(picture, side);
  return current.image.isNull() ? makeThumbnail(picture, side, cancel) : current;
}

int thumbnailsMadeOnUiThread() { return gMadeOnUiThread; }

void stopThumbnailJobs() {
  const std::lock_guard<std::mutex> lock(gFlagsMutex);
  for (const std::shared_ptr<CancelFlag>& flag : liveFlags()) flag->store(true);
}

int thumbnailJobsRunning() { return gJobs; }

ThumbnailLoader::ThumbnailLoader(int side, Lane lane, QObject* parent) : QObject(parent), side_(side), lane_(lane) {
  qRegisterMetaType<quavinto::Thumbnail>();
}

ThumbnailLoader::~ThumbnailLoader() { cancel(); }

void ThumbnailLoader::cancel() {
  for (const Job& job : std::as_const(running_)) {
    job.cancel->store(true);
    job.watcher->disconnect(this);
    job.watcher->deleteLater();
  }
  running_.clear();
}

void ThumbnailLoader::request(const QString& picture, bool replace) {
  if (replace) {
    // Moving through a folder of photos makes only the thumbnail looked at.
    for (auto it = running_.begin(); it != running_.end();) {
      if (it.key() == picture) {
        ++it;
        continue;
      }
      it->cancel->store(true);
      it->watcher->disconnect(this);
      it->watcher->deleteLater();
      it = running_.erase(it);
    }
  }
  if (running_.contains(picture)) return;
  auto flag = std::make_shared<CancelFlag>(false);
  {
    const std::lock_guard<std::mutex> lock(gFlagsMutex);
    liveFlags().insert(flag);
  }
  auto* watcher = new QFutureWatcher<Thumbnail>(this);
  running_.insert(picture, {watcher, flag});
  connect(watcher, &QFutureWatcher<Thumbnail>::finished, this, [this, watcher, picture] {
    running_.remove(picture);
    watcher->deleteLater();
    emit ready(picture, watcher->result());
  });
  ++gJobs;
  watcher->setFuture(QtConcurrent::run(poolOf(lane_), [flag, picture, side = side_] {
    Thumbnail result = stopped(flag.get()) ? Thumbnail{} : thumbnailOf(picture, side, flag.get());
    {
      const std::lock_guard<std::mutex> lock(gFlagsMutex);
      liveFlags().erase(flag);
    }
    --gJobs;
    return result;
  }));
}

int ThumbnailLoader::pending() const { return int(running_.size()); }

}  // namespace quavinto
