// Picture area with a retained drawing repainted only where it changed.
#include "platform/PictureBox.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace platform {
namespace {
qint64 gPaintedPixels = 0;
}

int buttonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

Qt::MouseButton mouseButton(int code) {
  switch (code) {
    case 1: return Qt::LeftButton;
    case 2: return Qt::RightButton;
    case 4: return Qt::MiddleButton;
    default: return Qt::NoButton;
  }
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), dc_(&retained_) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  dc_.setDrawnCallback([this](const QRect& r) {
    drawn_.push_back(r);
    if (drawn_.size() >= 4096) foldDrawn();
  });
}

void PictureBox::setPicture(const QImage& picture) {
  picture_ = picture.convertToFormat(kBoardFormat);
  if (autoSize_) resize(picture_.size());
  retained_ = QImage(size().expandedTo(QSize(1, 1)), kBoardFormat);
  retained_.fill(background_);
  copyPixels(retained_, 0, 0, picture_.width(), picture_.height(), picture_, 0, 0);
  // The whole area is repainted here; leaving it pending as well would make the
  // next refresh after a single move repaint everything again.
  dirty_ = QRegion();
  drawn_.clear();
  update();
}

void PictureBox::setAutoSize(bool on) {
  autoSize_ = on;
  if (autoSize_ && !picture_.isNull()) resize(picture_.size());
}

void PictureBox::setBackground(const QColor& colour) {
  background_ = colour;
  update();
}

void PictureBox::foldDrawn() {
  std::sort(drawn_.begin(), drawn_.end(), [](const QRect& a, const QRect& b) {
    return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
  });
  const QRect* last = nullptr;
  for (const QRect& r : drawn_) {
    if (last && *last == r) continue;
    dirty_ += r;
    last = &r;
  }
  drawn_.clear();
}

void PictureBox::refresh() {
  foldDrawn();
  if (!dirty_.isEmpty()) update(dirty_);
  dirty_ = QRegion();
}

void PictureBox::repaintNow() {
  foldDrawn();
  if (!dirty_.isEmpty()) repaint(dirty_);
  dirty_ = QRegion();
}

void PictureBox::redrawFromPicture() {
  retained_ = QImage(size().expandedTo(QSize(1, 1)), kBoardFormat);
  retained_.fill(background_);
  copyPixels(retained_, 0, 0, picture_.width(), picture_.height(), picture_, 0, 0);
  dirty_ = QRegion(rect());
  drawn_.clear();
}

void PictureBox::clearDrawing() {
  retained_.fill(background_);
  dirty_ = QRegion(rect());
  drawn_.clear();
}

void PictureBox::fitRetained() {
  const QSize want = size().expandedTo(QSize(1, 1));
  if (retained_.size() == want) return;
  QImage grown(want, kBoardFormat);
  grown.fill(background_);
  copyPixels(grown, 0, 0, retained_.width(), retained_.height(), retained_, 0, 0);
  retained_ = grown;
}

void PictureBox::resizeEvent(QResizeEvent*) { fitRetained(); }

void PictureBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  for (const QRect& r : event->region()) {
    gPaintedPixels += qint64(r.width()) * r.height();
    // The drawing is opaque: only what lies beyond it takes the background.
    const QRect image = r.intersected(retained_.rect());
    if (image != r)
      for (const QRect& part : QRegion(r).subtracted(image)) painter.fillRect(part, background_);
    if (!image.isEmpty()) painter.drawImage(image.topLeft(), retained_, image);
  }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (onMouseDown) onMouseDown(buttonCode(event->button()), p.x(), p.y());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (onMouseUp) onMouseUp(buttonCode(event->button()), p.x(), p.y());
}

qint64 PictureBox::paintedPixels() { return gPaintedPixels; }
void PictureBox::resetPaintedPixels() { gPaintedPixels = 0; }

}  // namespace platform
