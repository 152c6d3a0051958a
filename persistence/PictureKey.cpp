// The picture's content key, computed off the window's thread.
#include "persistence/PictureKey.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QtConcurrent>

#include "platform/RegularFile.h"

namespace quavinto {
namespace {
constexpr qint64 kChunkBytes = 1 << 20;
}  // namespace

QString computePictureKey(const QString& pictureFile, const QImage& board, const std::function<bool()>& canceled) {
  if (pictureFile.isEmpty()) return QStringLiteral("builtin");
  QCryptographicHash hash(QCryptographicHash::Sha256);
  QFile file(pictureFile);
  if (platform::openRegularFile(file) == platform::OpenOutcome::Opened) {
    QByteArray chunk(kChunkBytes, Qt::Uninitialized);
    bool good = true;
    for (;;) {
      if (canceled && canceled()) return {};
      const qint64 n = file.read(chunk.data(), chunk.size());
      if (n < 0) good = false;
      if (n <= 0) break;
      hash.addData(QByteArrayView(chunk.constData(), n));
    }
    if (good) return QStringLiteral("sha256:") + QString::fromLatin1(hash.result().toHex());
  }
  // A picture gone since it was loaded is still known by what the board shows.
  hash.reset();
  const QImage image = board.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y)
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(image.constScanLine(y)), image.width() * 4));
  return QStringLiteral("pixels:") + QString::fromLatin1(hash.result().toHex());
}

PictureKeys::PictureKeys(QObject* parent) : QObject(parent) {
  pool_.setMaxThreadCount(1);
  connect(&watcher_, &QFutureWatcher<QString>::finished, this, &PictureKeys::arrived);
}

PictureKeys::~PictureKeys() {
  // Quitting never waits for a photo's whole hash: the worker stops at its
  // next part.
  watcher_.disconnect(this);
  watcher_.cancel();
  pool_.waitForDone();
}

void PictureKeys::prepare(const QString& pictureFile, const QImage& board) {
  const QFileInfo info(pictureFile);
  const QDateTime time = pictureFile.isEmpty() ? QDateTime() : info.lastModified();
  const qint64 size = pictureFile.isEmpty() ? -1 : info.size();
  if (pictureFile == file_ && time == fileTime_ && size == fileSize_ && (!key_.isEmpty() || watcher_.isRunning()))
    return;
  watcher_.cancel();
  file_ = pictureFile;
  fileTime_ = time;
  fileSize_ = size;
  key_.clear();
  waiting_.clear();
  if (pictureFile.isEmpty()) {
    key_ = computePictureKey(pictureFile, board);  // the built-in picture needs no hash
    future_ = QtFuture::makeReadyFuture(key_);
    return;
  }
  future_ = QtConcurrent::run(&pool_, [pictureFile, board](QPromise<QString>& promise) {
    const QString key = computePictureKey(pictureFile, board, [&promise] { return promise.isCanceled(); });
    if (!key.isEmpty()) promise.addResult(key);
  });
  watcher_.setFuture(future_);
}

void PictureKeys::arrived() {
  const QFuture<QString> future = watcher_.future();
  if (future.isCanceled() || future.resultCount() == 0) return;
  if (!key_.isEmpty()) return;
  key_ = future.result();
  for (const auto& then : std::exchange(waiting_, {})) then(key_);
}

void PictureKeys::whenReady(std::function<void(const QString& key)> then) {
  if (!key_.isEmpty()) {
    then(key_);
    return;
  }
  waiting_.append(std::move(then));
}

QString PictureKeys::waitForKey() {
  if (key_.isEmpty()) {
    watcher_.waitForFinished();
    arrived();
  }
  return key_;
}

}  // namespace quavinto
