// Thumbnails of the player's pictures, kept where the desktop keeps them and
// by its rules, so the file manager's thumbnails serve QUAVINTO and QUAVINTO's
// serve the file manager.
//
// A thumbnail lives in $XDG_CACHE_HOME/thumbnails (~/.cache/thumbnails by
// default), in normal/ (at most 128 pixels each way) or large/ (256), named
// by the MD5 of the picture's file URI in hex with ".png". The URI is escaped
// exactly as the desktop's file manager escapes it, or the two would look for
// different files. It is a PNG whose tEXt chunks Thumb::URI and Thumb::MTime
// name the picture and its modification time in whole seconds.
//
// Other programs write to the cache too, so what is there is read as a
// stranger's file: only a regular file of at most 1 MB, its bytes read by us
// and decoded as PNG only; its header's size and its keys are checked before
// a pixel is decoded, and one for another picture or an older version of it
// is ignored and made again. A picture that cannot be thumbnailed gets an
// entry in fail/quavinto-<version>/, which stops further attempts until the
// picture changes. Made ones are written by the atomic writer, readable only
// by their owner.
//
// Making one takes a while, so the window asks a ThumbnailLoader, which makes
// it on a thread pool of the thumbnails' own. A loader's jobs stop when it is
// cancelled or destroyed, and all jobs when the application ends, each at its
// next step; nothing waits for them.
#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <atomic>
#include <memory>

template <typename T>
class QFutureWatcher;

namespace quavinto {

constexpr int kNormalThumbnail = 128;
constexpr int kLargeThumbnail = 256;
// A thumbnail file over this size is not read.
constexpr qint64 kMaxThumbnailFileBytes = 1024 * 1024;

// The thumbnails' folder, honouring $XDG_CACHE_HOME.
QString thumbnailRoot();
// The file URI a thumbnail names its picture by: "file://" and the absolute
// path's bytes, those outside A-Z a-z 0-9 - . _ ~ ! $ & ' ( ) * + , / : = @
// written %XX (upper-case hex), as the desktop writes them.
QString thumbnailUri(const QString& picture);
// Where the thumbnail of `picture` at `side` (128 or 256) lives.
QString thumbnailPath(const QString& picture, int side);
// Where the entry that says `picture` could not be thumbnailed lives.
QString thumbnailFailPath(const QString& picture);

// A thumbnail and what it tells of its picture.
struct Thumbnail {
  QImage image;       // null when there is none
  QSize pictureSize;  // the picture's own size in pixels, when known
};

// Set to stop a thumbnail being made; checked between its steps.
using CancelFlag = std::atomic<bool>;

// The current thumbnail of `picture` at `side`, or a null image when there is
// none or it is stale (its URI or MTime does not match the picture).
Thumbnail readThumbnail(const QString& picture, int side);
// Makes the thumbnail of `picture` at `side` by a reduced decode and stores it
// by the desktop's rules; a null image when the picture cannot be decoded
// (then a fail entry is written), when a current fail entry says so, or when
// `cancel` is set. Safe on any thread.
Thumbnail makeThumbnail(const QString& picture, int side, const CancelFlag* cancel = nullptr);
// The current thumbnail, made when there is none.
Thumbnail thumbnailOf(const QString& picture, int side, const CancelFlag* cancel = nullptr);

// How many thumbnails were made on the user-interface thread since the
// program started; the window never waits for one, so the tests expect 0.
int thumbnailsMadeOnUiThread();

// Stops every thumbnail job: queued ones never start and running ones stop at
// their next step. Done when the application ends.
void stopThumbnailJobs();
// Thumbnail jobs queued or running in every loader's pool.
int thumbnailJobsRunning();

// Gets thumbnails for the window without making it wait: each request runs
// thumbnailOf on the thumbnail pool and reports `ready` on this object's
// thread. One job a picture at a time. Results of requests that are no
// longer wanted (cancel, or this object gone) are dropped.
class ThumbnailLoader : public QObject {
  Q_OBJECT
 public:
  // Each lane has its pool, so the preview never waits behind the menu.
  enum class Lane { Menu, Preview };
  explicit ThumbnailLoader(int side, Lane lane = Lane::Menu, QObject* parent = nullptr);
  ~ThumbnailLoader() override;
  // Asks for the thumbnail of `picture`, unless it is already being made;
  // when `replace` is true the other requests are cancelled.
  void request(const QString& picture, bool replace = false);
  // Stops every request of this loader; none reports.
  void cancel();
  // How many requests are still running.
  int pending() const;

 signals:
  void ready(const QString& picture, const quavinto::Thumbnail& thumbnail);

 private:
  struct Job {
    QFutureWatcher<Thumbnail>* watcher;
    std::shared_ptr<CancelFlag> cancel;
  };
  int side_;
  Lane lane_;
  QHash<QString, Job> running_;
};

}  // namespace quavinto

Q_DECLARE_METATYPE(quavinto::Thumbnail)
