// The content key of the picture on the board, by which the records and the
// kept games know it: a SHA-256 of its file's bytes, of the board's pixels
// when the file cannot be read, or "builtin" for the built-in picture.
//
// Hashing a large photo takes a noticeable time (a 256 MB file more than a
// second), so PictureKeys computes the key on a thread of its own as soon as
// the picture reaches the board; completion, the records and the kept games
// only read it. The file is opened through the regular-file guard, so a pipe
// left in a picture's place cannot block the worker either.
#pragma once

#include <QDateTime>
#include <QFutureWatcher>
#include <QList>
#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <functional>

namespace quavinto {

class PictureKeys : public QObject {
 public:
  explicit PictureKeys(QObject* parent = nullptr);
  ~PictureKeys() override;

  // Starts on the key of `pictureFile` (empty: the built-in picture), with
  // `board` as what the picture looks like should its file be unreadable. A
  // key still being computed for another picture is given up; the same file
  // unchanged (a new grid cut from it) keeps its key.
  void prepare(const QString& pictureFile, const QImage& board);
  // The file the key is (being) computed for.
  QString pictureFile() const { return file_; }
  // The key once it is known, else empty.
  QString key() const { return key_; }
  // The key to come, for another thread to wait on; given up (canceled) when
  // another picture comes first.
  QFuture<QString> future() const { return future_; }
  // Calls `then` on this thread with the key: at once when it is known, else
  // as soon as the worker has it. Forgotten by the next prepare().
  void whenReady(std::function<void(const QString& key)> then);
  // Waits for the key (tests and the benchmark; the window never waits).
  QString waitForKey();

 private:
  void arrived();

  QThreadPool pool_;
  QFutureWatcher<QString> watcher_;
  QFuture<QString> future_;
  QString file_;
  QString key_;
  QDateTime fileTime_;  // the file's state when its key was begun
  qint64 fileSize_ = -1;
  QList<std::function<void(const QString&)>> waiting_;
};

// The key of `pictureFile`, computed here (on the caller's thread), reading
// the file in parts; gives up with an empty key when `canceled` says so.
QString computePictureKey(const QString& pictureFile, const QImage& board,
                          const std::function<bool()>& canceled = {});

}  // namespace quavinto
