// The finished-picture view and its scale, the window's size around the board
// and the view, and the background colour.
#include "platform/Numeric.h"
#include "platform/Screen.h"
#include "shell/Form1.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPalette>

#include <algorithm>

namespace quavinto {
namespace {

double divisorFor(int16_t zoom) {
  switch (zoom) {
    case 1: return 1.0;
    case 2: return 1.414;
    case 4: return 2.0;
    default: return 2.45;
  }
}

// The window's sizes are 16-bit twips: a sum past the limit stops at 32767
// instead of wrapping into a negative size.
int32_t clampTwips(int64_t twips) { return int32_t(std::clamp<int64_t>(twips, 0, 32767)); }

void setColours(QWidget* w, const QColor& background, const QColor* text) {
  QPalette palette = w->palette();
  palette.setColor(QPalette::Window, background);
  if (text) palette.setColor(QPalette::WindowText, *text);
  w->setPalette(palette);
}

}  // namespace

QColor Form1::backgroundColour() const { return Client->palette().color(QPalette::Window); }

void Form1::applyBackgroundColour(bool captionBlackOtherwise) {
  static const QColor colours[6] = {QColor(), QColor(255, 255, 255), QColor(0, 0, 0),
                                    QColor(128, 255, 255), QColor(128, 255, 128), QColor(255, 255, 128)};
  const int16_t k = gs_.ColorFlag;
  if (k < 0 || k > 5) return;
  const QColor background = k == 0 ? QApplication::palette().color(QPalette::Window) : colours[k];
  setColours(Client, background, nullptr);
  if (k == 2) {
    const QColor white(255, 255, 255);
    setColours(Label1_0, Label1_0->palette().color(QPalette::Window), &white);
  } else if (captionBlackOtherwise) {
    const QColor black(0, 0, 0);
    setColours(Label1_0, Label1_0->palette().color(QPalette::Window), &black);
  }
}

void Form1::ScaleFinishedView() {
  const double f = divisorFor(gs_.ZoomFlag);
  if (f == 1.0) {
    Picture3->resize(Picture1->size());
    Image1->resize(gs_.PictureWidth - 2, gs_.PictureHeight - 2);
  } else {
    Picture3->resize(int(platform::roundHalfEven(Picture1->width() / f)),
                     int(platform::roundHalfEven(Picture1->height() / f)));
    Image1->resize(int(platform::roundHalfEven(gs_.PictureWidth / f - 2)),
                   int(platform::roundHalfEven(gs_.PictureHeight / f - 2)));
  }
  Label1_0->move(int(platform::roundHalfEven(Picture3->x() + Picture3->width() * 0.5 - Label1_0->width() * 0.5)),
                 Label1_0->y());
  ArrangeWindow();
}

void Form1::ArrangeWindow() {
  using platform::PixelToTwipsX;
  using platform::PixelToTwipsY;
  const bool normal = !isMaximized() && !isMinimized() && !isFullScreen();
  // A maximised or minimised window keeps its size; the size is set when it
  // is back in its normal state.
  arrangeWhenNormal_ = !normal;
  int32_t widthTwips = -1, heightTwips = -1;
  if (gs_.HyoujiFlag == 1) {
    Picture3->show();
    Label1_0->show();
    if (normal) {
      widthTwips = clampTwips(5 * int64_t(PixelToTwipsX(Picture1->x())) +
                              PixelToTwipsX(Picture1->width() + Picture3->x()));
      heightTwips = clampTwips(6 * int64_t(PixelToTwipsY(Picture1->y())) +
                               PixelToTwipsY(Picture1->height() + Picture3->y()));
    }
  } else {
    if (normal) {
      widthTwips = clampTwips(4 * int64_t(PixelToTwipsX(Picture1->x())) + PixelToTwipsX(Picture1->width()));
      heightTwips = clampTwips(5 * int64_t(PixelToTwipsY(Picture1->y())) + PixelToTwipsY(Picture1->height()));
    }
    Picture3->hide();
    Label1_0->hide();
  }
  if (widthTwips >= 0) {
    const QRect before = frameGeometry();
    // The sizes are the window's outer ones; Qt sizes the part inside the frame.
    const QSize frame = frameGeometry().size() - geometry().size();
    const int outerW = int(platform::roundHalfEven(widthTwips / platform::twipsPerPixelX()));
    const int outerH = int(platform::roundHalfEven(heightTwips / platform::twipsPerPixelY()));
    // Never narrower than the menu bar: a command folded behind the bar's
    // overflow button is one the player cannot find.
    setMinimumWidth(narrowestWidth());
    const int inner = std::max(outerW - frame.width(), narrowestWidth());
    resize(std::max(1, inner), std::max(1, outerH - frame.height()));
    keepGrowthOnScreen(before);
  }
  // The caption's text follows the colour however ColorFlag changed (the
  // settings dialog or a game read): white only on black, never white on white.
  applyBackgroundColour(true);
  setColours(Label1_0, backgroundColour(), nullptr);
  update();
}

void Form1::keepGrowthOnScreen(const QRect& before) {
  // Before the window system has placed the window its position means nothing.
  if (!isVisible() || awaitingFrame_) return;
  const QRect screenArea = platform::availableScreenGeometry(screen());
  const QRect after(before.topLeft(), frameGeometry().size());
  // Only what the growth pushed past an edge is brought back: a window the
  // player left hanging over an edge keeps hanging over it as far as before,
  // and the top-left corner never leaves the screen for it.
  const auto shift = [](int near, int farNow, int farLimit, int nearLimit) {
    if (farNow <= farLimit) return 0;
    return std::max(nearLimit, near - (farNow - farLimit)) - near;
  };
  const int dx = shift(after.left(), after.right(), std::max(screenArea.right(), before.right()),
                       std::min(screenArea.left(), before.left()));
  const int dy = shift(after.top(), after.bottom(), std::max(screenArea.bottom(), before.bottom()),
                       std::min(screenArea.top(), before.top()));
  if (dx != 0 || dy != 0) move(pos() + QPoint(dx, dy));
}

int Form1::menuBarWidth() const {
  // The bar's own size hint covers every top-level item with its margins.
  return menuBar()->sizeHint().width();
}

int Form1::narrowestWidth() const { return menuBarWidth() + clockRoom(); }

void Form1::scaleTo(QAction* item, int16_t zoom) {
  for (QAction* scale : {XX1, XX2, XX4}) scale->setChecked(scale == item);
  gs_.ZoomFlag = zoom;
  ScaleFinishedView();
}

void Form1::XX1_Click() { scaleTo(XX1, 1); }
void Form1::XX2_Click() { scaleTo(XX2, 2); }
void Form1::XX4_Click() { scaleTo(XX4, 4); }

}  // namespace quavinto
