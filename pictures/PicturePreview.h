// The picture dialog's preview: the selected file's thumbnail and its size in
// pixels, beside the list of files. The thumbnail comes from the desktop's
// cache or is made on a worker thread, so moving through the list never waits.
#pragma once

#include <QString>
#include <QWidget>

#include "platform/FileDialog.h"

class QLabel;

namespace quavinto {

class ThumbnailLoader;
struct Thumbnail;

class PicturePreview : public QWidget {
  Q_OBJECT
 public:
  explicit PicturePreview(QWidget* parent = nullptr);
  // Shows `path`'s thumbnail once it is ready; anything but a file clears it.
  void showPicture(const QString& path);

  QString picture() const { return picture_; }
  QLabel* imageLabel() const { return image_; }
  QLabel* sizeLabel() const { return size_; }

 private:
  void thumbnailReady(const QString& path, const Thumbnail& thumbnail);

  QString picture_;
  QLabel* image_;
  QLabel* size_;
  ThumbnailLoader* loader_;
};

// The preview as the picture dialog's side widget, made with the dialog as
// its parent.
platform::SideWidget picturePreviewBeside(QWidget* dialog);

}  // namespace quavinto
