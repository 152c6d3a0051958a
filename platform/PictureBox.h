// A picture area: an assigned picture and a retained drawing, kept apart.
//
// The assigned picture is what the area was given (the board's source picture);
// drawing never changes it. The retained drawing is what the player sees: copies
// go into it through the area's device context and reach the screen only when
// the area is refreshed, and then only the rectangles that changed are
// repainted. Painting is a straight pixel copy with no smoothing. On a scaled
// screen the area also keeps both at the screen's resolution (fine twins, see
// DeviceContext.h) and paints from those, so what the player sees has the
// screen's own pixels while every measure stays logical. Pointer presses are handed to a callback with the
// design's button codes (1 left, 2 right, 4 middle).
#pragma once

#include "platform/DeviceContext.h"

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

namespace platform {

class PictureBox : public QWidget {
  Q_OBJECT
public:
  explicit PictureBox(QWidget* parent = nullptr);
  ~PictureBox() override;

  // Assigns a picture; with auto-size on, the area takes the picture's size.
  // The retained drawing starts as a copy of the picture. `fine` is the same
  // picture at the area's device ratio (ignored at ratio 1, or when null).
  void setPicture(const QImage& picture, const QImage& fine = QImage());
  const QImage& picture() const { return picture_; }
  const QImage& finePicture() const { return pictureFine_; }
  // The device pixels per logical pixel the area draws at: 1 keeps no fine
  // twins. A new ratio starts the fine drawing afresh (background colour).
  void setDeviceRatio(qreal ratio);
  qreal deviceRatio() const { return ratio_; }
  // The retained drawing at the device ratio; null at ratio 1.
  const QImage& fineRetained() {
    fitRetained();
    return retainedFine_;
  }
  // Called when the area is painted on a screen of another ratio than it
  // draws at (the window moved to another screen).
  std::function<void()> onRatioMismatch;
  QImage* pictureBitmap() { return &picture_; }
  void setAutoSize(bool on);
  bool autoSize() const { return autoSize_; }

  // The retained drawing, always the area's current size (a hidden area gets
  // no resize events, so the size is checked on every use).
  QImage& retained() {
    fitRetained();
    return retained_;
  }
  Hdc hdc() {
    fitRetained();
    return &dc_;
  }

  void setTag(const QString& tag) { tag_ = tag; }
  const QString& tag() const { return tag_; }
  void setBackground(const QColor& colour);

  // Puts what was drawn since the last refresh on the screen (queued).
  void refresh();
  // Paints what was drawn at once, before returning.
  void repaintNow();
  // Starts the retained drawing afresh from the assigned picture, at the
  // area's current size.
  void redrawFromPicture();
  // Clears the retained drawing to the background colour.
  void clearDrawing();

  std::function<void(int button, int x, int y)> onMouseDown;
  std::function<void(int button, int x, int y)> onMouseUp;

  // Pixels painted by all picture areas since the last reset: the proof that a
  // move repaints a piece or two, never the whole board.
  static qint64 paintedPixels();
  static void resetPaintedPixels();

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  void fitRetained();
  // Adds the rectangles drawn since the last call to the dirty region.
  void foldDrawn();

  QImage picture_;
  QImage retained_;
  QImage pictureFine_;
  QImage retainedFine_;
  qreal ratio_ = 1;
  DeviceContext dc_;
  QRegion dirty_;
  // Rectangles drawn and not yet in dirty_: a region grows fast only from
  // rectangles in reading order, so they are sorted before they are added.
  std::vector<QRect> drawn_;
  QString tag_;
  QColor background_{Qt::black};
  bool autoSize_ = false;
};

// The design's button code for a Qt button: 1 left, 2 right, 4 middle, else 0.
int buttonCode(Qt::MouseButton button);
// The Qt button for a design button code, NoButton for others.
Qt::MouseButton mouseButton(int code);

}  // namespace platform
