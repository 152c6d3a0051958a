// The File menu's recent pictures: the pictures that last reached the
// board, newest first, each with its thumbnail and name, then the command
// that clears the list. The list is read when the menu opens, never at
// start-up; the entries show at once with a placeholder icon and take their
// thumbnails as the worker thread delivers them. A picture that has gone is
// shown as such, and one with a game kept for it shows the time played.
#pragma once

#include <QHash>
#include <QMenu>
#include <QString>
#include <functional>

namespace quavinto {

class ThumbnailLoader;
struct Thumbnail;

class RecentPicturesMenu : public QMenu {
  Q_OBJECT
 public:
  // `choose` takes the chosen picture's path.
  RecentPicturesMenu(QWidget* parent, std::function<void(const QString&)> choose);
  // Fills the menu from the list as it is now (done each time it opens).
  void refill();
  // The entry of `path`, if the menu shows one.
  QAction* entryOf(const QString& path) const;
  QAction* clearAction() const { return clear_; }
  // Gives, each time the menu opens, the time played of the game kept for
  // each picture that has one; such an entry says so.
  std::function<QHash<QString, int32_t>()> gamesInProgress;

 private:
  void thumbnailReady(const QString& path, const quavinto::Thumbnail& thumbnail);

  std::function<void(const QString&)> choose_;
  quavinto::ThumbnailLoader* loader_;
  QAction* clear_ = nullptr;
};

}  // namespace quavinto
