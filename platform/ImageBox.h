// An image control that stretches its picture to its own size, for the
// finished-picture view. It may also hold the picture at the screen's
// resolution, which it then paints from. Presses report the button code and
// the point in the control's own pixels.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace platform {

class ImageBox : public QWidget {
  Q_OBJECT
public:
  explicit ImageBox(QWidget* parent = nullptr);
  void setPicture(const QImage& picture, const QImage& fine = QImage());
  const QImage& picture() const { return picture_; }
  const QImage& finePicture() const { return fine_; }

  std::function<void(int button, int x, int y)> onMouseDown;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  QImage picture_;
  QImage fine_;
};

}  // namespace platform
