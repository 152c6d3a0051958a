// The picture dialog's preview over the thumbnail loader.
#include "pictures/PicturePreview.h"

#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "pictures/Thumbnails.h"

namespace quavinto {

PicturePreview::PicturePreview(QWidget* parent)
    : QWidget(parent),
      image_(new QLabel(this)),
      size_(new QLabel(this)),
      loader_(new ThumbnailLoader(kLargeThumbnail, ThumbnailLoader::Lane::Preview, this)) {
  setObjectName(QStringLiteral("picturePreview"));
  image_->setFixedSize(kLargeThumbnail, kLargeThumbnail);
  image_->setAlignment(Qt::AlignCenter);
  image_->setAccessibleName(tr("プレビュー"));
  size_->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(image_);
  layout->addWidget(size_);
  layout->addStretch();
  connect(loader_, &ThumbnailLoader::ready, this, &PicturePreview::thumbnailReady);
}

void PicturePreview::showPicture(const QString& path) {
  picture_ = QFileInfo(path).isFile() ? path : QString();
  image_->clear();
  size_->clear();
  if (!picture_.isEmpty()) loader_->request(picture_, true);
}

void PicturePreview::thumbnailReady(const QString& path, const Thumbnail& thumbnail) {
  if (path != picture_) return;
  if (thumbnail.image.isNull()) {
    size_->setText(tr("プレビューできません"));
    return;
  }
  image_->setPixmap(QPixmap::fromImage(thumbnail.image));
  if (thumbnail.pictureSize.isValid())
    size_->setText(tr("%1 × %2 画素").arg(thumbnail.pictureSize.width()).arg(thumbnail.pictureSize.height()));
}

platform::SideWidget picturePreviewBeside(QWidget* dialog) {
  auto* preview = new PicturePreview(dialog);
  return {preview, [preview](const QString& path) { preview->showPicture(path); }};
}

}  // namespace quavinto
