// What the board's layout, the picture and game-file commands and the
// finished-picture view need of the main window, beyond what the puzzle core
// draws through.
//
// The window's parts are reached by their roles, so the operations in
// interaction/, pictures/ and persistence/ never see the window class itself:
// they take a BoardWindow, and the main window is one.
#pragma once

#include "core/GameHost.h"

#include <QImage>
#include <QPoint>

class QLabel;

namespace platform {
class ImageBox;
class PictureBox;
}  // namespace platform

namespace quavinto {

class BoardWindow : public GameHost {
public:
  using GameHost::state;
  virtual const GameState& state() const = 0;

  virtual platform::PictureBox* boardBox() const = 0;     // the board
  virtual platform::PictureBox* floatingBox() const = 0;  // the floating piece
  virtual platform::PictureBox* viewBox() const = 0;      // the finished-picture view
  virtual platform::PictureBox* reversedBox() const = 0;  // the reversed image, out of view
  virtual platform::ImageBox* viewImage() const = 0;      // the finished picture in the view
  virtual QLabel* viewCaption() const = 0;                // the caption above the view
  // The picture the board shows when no picture file is chosen.
  virtual const QImage& defaultPicture() const = 0;

  // Sizes the finished-picture view to its scale around the board.
  virtual void ScaleFinishedView() = 0;
  // Sizes the window around the board and, when shown, the view.
  virtual void ArrangeWindow() = 0;
  // The background as ColorFlag says; the caption's text white on black, and
  // black otherwise when asked.
  virtual void applyBackgroundColour(bool captionBlackOtherwise) = 0;
  // A picture (the same or another) has just been cut into the board.
  virtual void pictureReachedBoard() {}
};

}  // namespace quavinto
