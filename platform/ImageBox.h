// An image control that stretches its picture to its own size, for the
// finished-picture view. Presses report the button code and the point in the
// control's own pixels.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace platform {

class ImageBox : public QWidget {
  Q_OBJECT
public:
  explicit ImageBox(QWidget* parent = nullptr);
  void setPicture(const QImage& picture);
  const QImage& picture() const { return picture_; }

  std::function<void(int button, int x, int y)> onMouseDown;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  QImage picture_;
};

}  // namespace platform
