// Thumbnails of the player's pictures, kept where the desktop keeps them and
// by its rules, so the file manager's thumbnails serve QUAVINTO and QUAVINTO's
// serve the file manager.
//
// A thumbnail lives in $XDG_CACHE_HOME/thumbnails (~/.cache/thumbnails by
// default), in normal/ (at most 128 pixels each way) or large/ (256), named
// by the MD5 of the picture's file URI in hex with ".png". It is a PNG whose
// tEXt chunks Thumb::URI and Thumb::MTime name the picture and its
// modification time in whole seconds; one whose MTime differs from the
// picture's is stale, ignored and made again; other programs write there too,
// so one is read only when it is a regular file of at most 1 MB. Made ones are
// decoded reduced (decode::loadPicture), written to a temporary file and
// renamed into place, readable only by their owner. Making one takes a while, so the
// window asks ThumbnailLoader, which makes it on a worker thread.
#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

namespace quavinto {

constexpr int kNormalThumbnail = 128;
constexpr int kLargeThumbnail = 256;

// The thumbnails' folder, honouring $XDG_CACHE_HOME.
QString thumbnailRoot();
// The file URI a thumbnail names its picture by ("file:///..." percent-encoded).
QString thumbnailUri(const QString& picture);
// Where the thumbnail of `picture` at `side` (128 or 256) lives.
QString thumbnailPath(const QString& picture, int side);

// A thumbnail and what it tells of its picture.
struct Thumbnail {
  QImage image;       // null when there is none
  QSize pictureSize;  // the picture's own size in pixels, when known
};

// The current thumbnail of `picture` at `side`, or a null image when there is
// none or it is stale (its URI or MTime does not match the picture).
Thumbnail readThumbnail(const QString& picture, int side);
// Makes the thumbnail of `picture` at `side` by a reduced decode and stores it
// by the desktop's rules; a null image when the picture cannot be decoded.
// Safe on any thread.
Thumbnail makeThumbnail(const QString& picture, int side);
// The current thumbnail, made when there is none.
Thumbnail thumbnailOf(const QString& picture, int side);

// How many thumbnails were made on the user-interface thread since the
// program started; the window never waits for one, so the tests expect 0.
int thumbnailsMadeOnUiThread();

// Gets thumbnails for the window without making it wait: each request runs
// thumbnailOf on a worker thread and reports `ready` on this object's thread.
// Results of requests that are no longer wanted (cancel, or this object gone)
// are dropped.
class ThumbnailLoader : public QObject {
  Q_OBJECT
 public:
  explicit ThumbnailLoader(int side, QObject* parent = nullptr);
  ~ThumbnailLoader() override;
  // Asks for the thumbnail of `picture`; a later request replaces this one
  // when `replace` is true.
  void request(const QString& picture, bool replace = false);
  // How many requests are still running.
  int pending() const;

 signals:
  void ready(const QString& picture, const quavinto::Thumbnail& thumbnail);

 private:
  int side_;
  QList<QFutureWatcher<Thumbnail>*> running_;
};

}  // namespace quavinto

Q_DECLARE_METATYPE(quavinto::Thumbnail)
