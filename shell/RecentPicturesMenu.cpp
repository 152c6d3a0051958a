// The recent pictures menu over the list in pictures/ and the thumbnail
// loader of platform/.
#include "shell/RecentPicturesMenu.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>

#include "pictures/RecentPictures.h"
#include "platform/FileNames.h"
#include "pictures/Thumbnails.h"
#include "shell/RecordsDialog.h"

namespace quavinto {
namespace {

// Thumbnails big enough to know a picture by.
constexpr int kIconSide = 48;

class ThumbnailIconStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_SmallIconSize) return kIconSide;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

// A grey frame in the thumbnail's place until it arrives.
QIcon placeholderIcon() {
  QPixmap pixmap(kIconSide, kIconSide);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(Qt::gray);
  painter.drawRect(4, 4, kIconSide - 9, kIconSide - 9);
  return QIcon(pixmap);
}

}  // namespace

RecentPicturesMenu::RecentPicturesMenu(QWidget* parent, std::function<void(const QString&)> choose)
    : QMenu(tr("最近使った画像"), parent),
      choose_(std::move(choose)),
      loader_(new ThumbnailLoader(kNormalThumbnail, ThumbnailLoader::Lane::Menu, this)) {
  auto* style = new ThumbnailIconStyle;
  style->setParent(this);
  setStyle(style);
  connect(this, &QMenu::aboutToShow, this, &RecentPicturesMenu::refill);
  // A closed menu shows no thumbnails: its jobs stop.
  connect(this, &QMenu::aboutToHide, loader_, &ThumbnailLoader::cancel);
  connect(loader_, &quavinto::ThumbnailLoader::ready, this, &RecentPicturesMenu::thumbnailReady);
}

void RecentPicturesMenu::refill() {
  clear();
  const QStringList paths = readRecentPictures();
  const QIcon placeholder = placeholderIcon();
  const QHash<QString, int32_t> inProgress = gamesInProgress ? gamesInProgress() : QHash<QString, int32_t>();
  for (const QString& path : paths) {
    const QString name = platform::shownFileName(QFileInfo(path).fileName());
    const bool gone = platform::pathKind(path) != platform::PathKind::File;
    QString text = gone ? tr("%1（見つかりません）").arg(name) : name;
    if (!gone && inProgress.contains(path)) text = tr("%1（途中 %2）").arg(text, playTimeText(inProgress.value(path)));
    QAction* entry = addAction(placeholder, text);
    entry->setData(path);
    entry->setToolTip(platform::shownFileName(path));
    connect(entry, &QAction::triggered, this, [this, path] { choose_(path); });
    if (!gone) loader_->request(path);
  }
  if (paths.isEmpty()) addAction(tr("（なし）"))->setEnabled(false);
  addSeparator();
  clear_ = addAction(tr("一覧を消去"));
  clear_->setEnabled(!paths.isEmpty());
  connect(clear_, &QAction::triggered, this, [] { clearRecentPictures(); });
}

QAction* RecentPicturesMenu::entryOf(const QString& path) const {
  for (QAction* action : actions())
    if (!action->isSeparator() && action->data().toString() == path) return action;
  return nullptr;
}

void RecentPicturesMenu::thumbnailReady(const QString& path, const quavinto::Thumbnail& thumbnail) {
  QAction* entry = entryOf(path);
  if (!entry || thumbnail.image.isNull()) return;
  const QImage icon = thumbnail.image.scaled(kIconSide, kIconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  entry->setIcon(QIcon(QPixmap::fromImage(icon)));
}

}  // namespace quavinto
