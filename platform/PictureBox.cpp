// Picture area with a retained drawing repainted only where it changed.
#include "platform/PictureBox.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "platform/ManualDrag.h"

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
  setFineTwin(&picture_, &pictureFine_);
  setFineTwin(&retained_, &retainedFine_);
  dc_.setDrawnCallback([this](const QRect& r) {
    drawn_.push_back(r);
    if (drawn_.size() >= 4096) foldDrawn();
  });
}

PictureBox::~PictureBox() {
  clearFineTwin(&picture_);
  clearFineTwin(&retained_);
}

void PictureBox::setDeviceRatio(qreal ratio) {
  if (ratio <= 0) ratio = 1;
  if (ratio == ratio_) return;
  ratio_ = ratio;
  pictureFine_ = QImage();
  retainedFine_ = QImage();
  fitRetained();
  update();
}

void PictureBox::setPicture(const QImage& picture, const QImage& fine) {
  picture_ = picture.convertToFormat(kBoardFormat);
  pictureFine_ = QImage();
  if (ratio_ != 1) {
    // A picture given without its fine twin is enlarged smoothly, so the fine
    // drawing never lacks what the logical one shows.
    const QSize device(toDevice(picture_.width(), ratio_), toDevice(picture_.height(), ratio_));
    pictureFine_ = fine.size() == device ? fine.convertToFormat(kBoardFormat)
                                         : picture_.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pictureFine_.setDevicePixelRatio(ratio_);
  }
  if (autoSize_) resize(picture_.size());
  retained_ = QImage(size().expandedTo(QSize(1, 1)), kBoardFormat);
  retained_.fill(background_);
  retainedFine_ = QImage();
  fitRetained();
  copyPixels(retained_, 0, 0, picture_.width(), picture_.height(), picture_, 0, 0);
  copyFine(retained_, 0, 0, picture_.width(), picture_.height(), picture_, 0, 0);
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
  retainedFine_ = QImage();
  fitRetained();
  copyPixels(retained_, 0, 0, picture_.width(), picture_.height(), picture_, 0, 0);
  copyFine(retained_, 0, 0, picture_.width(), picture_.height(), picture_, 0, 0);
  dirty_ = QRegion(rect());
  drawn_.clear();
}

void PictureBox::clearDrawing() {
  retained_.fill(background_);
  if (!retainedFine_.isNull()) retainedFine_.fill(background_);
  dirty_ = QRegion(rect());
  drawn_.clear();
}

void PictureBox::fitRetained() {
  const QSize want = size().expandedTo(QSize(1, 1));
  if (retained_.size() != want) {
    QImage grown(want, kBoardFormat);
    grown.fill(background_);
    copyPixels(grown, 0, 0, retained_.width(), retained_.height(), retained_, 0, 0);
    retained_ = grown;
  }
  const QSize fineWant(toDevice(want.width(), ratio_), toDevice(want.height(), ratio_));
  if (ratio_ == 1 || retainedFine_.size() == fineWant) return;
  QImage grown(fineWant, kBoardFormat);
  grown.fill(background_);
  copyPixels(grown, 0, 0, retainedFine_.width(), retainedFine_.height(), retainedFine_, 0, 0);
  grown.setDevicePixelRatio(ratio_);
  retainedFine_ = grown;
}

void PictureBox::resizeEvent(QResizeEvent*) { fitRetained(); }

void PictureBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const bool fine = ratio_ != 1 && !retainedFine_.isNull();
  // Also when drawn at 100 %: moved from such a screen to a scaled one, the
  // area asks to be drawn again at the new screen's resolution.
  if (devicePixelRatioF() != ratio_ && onRatioMismatch)
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (onRatioMismatch && devicePixelRatioF() != ratio_) onRatioMismatch();
        },
        Qt::QueuedConnection);
  if (fine && devicePixelRatioF() == ratio_) {
    // Device pixel for device pixel: each logical rectangle is painted from its
    // device rectangle of the fine drawing.
    for (const QRect& r : event->region()) {
      gPaintedPixels += qint64(r.width()) * r.height();
      const QRect image = r.intersected(retained_.rect());
      if (image != r)
        for (const QRect& part : QRegion(r).subtracted(image)) painter.fillRect(part, background_);
      if (image.isEmpty()) continue;
      const QRect device = toDevice(image, ratio_).intersected(retainedFine_.rect());
      painter.drawImage(QPointF(device.topLeft()) / ratio_, retainedFine_, device);
    }
    return;
  }
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
  notePress(*event);
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
