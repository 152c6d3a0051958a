// Stretched picture with a smooth scale: it is a small model of the whole
// picture, unlike the board, whose pieces are copied pixel for pixel.
#include "platform/ImageBox.h"

#include "platform/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {}

void ImageBox::setPicture(const QImage& picture, const QImage& fine) {
  picture_ = picture;
  fine_ = fine;
  update();
}

void ImageBox::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  // The picture held at the screen's own resolution gives the view its pixels
  // there; the view's size, and so its reduction, stays the design's.
  const bool fine = !fine_.isNull() && fine_.devicePixelRatio() == devicePixelRatioF();
  const QImage& shown = fine ? fine_ : picture_;
  const QSize device =
      fine ? QSize(qRound(width() * devicePixelRatioF()), qRound(height() * devicePixelRatioF())) : size();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, device != shown.size());
  painter.drawImage(QRectF(rect()), shown, QRectF(shown.rect()));
}

void ImageBox::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (onMouseDown) onMouseDown(buttonCode(event->button()), p.x(), p.y());
}

}  // namespace platform
