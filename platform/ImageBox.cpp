// Stretched picture with a smooth scale: it is a small model of the whole
// picture, unlike the board, whose pieces are copied pixel for pixel.
#include "platform/ImageBox.h"

#include "platform/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {}

void ImageBox::setPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void ImageBox::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, size() != picture_.size());
  painter.drawImage(rect(), picture_);
}

void ImageBox::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (onMouseDown) onMouseDown(buttonCode(event->button()), p.x(), p.y());
}

}  // namespace platform
