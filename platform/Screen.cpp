// Screen measures from QScreen, with an override for tests.
#include "platform/Screen.h"

#include "platform/Numeric.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace platform {
namespace {
double gTwipsX = 0;
double gTwipsY = 0;
QRect gScreen;

double logicalDpi(bool horizontal) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 96.0;
  const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
  return dpi > 0 ? dpi : 96.0;
}
}  // namespace

double twipsPerPixelX() { return gTwipsX > 0 ? gTwipsX : 1440.0 / logicalDpi(true); }
double twipsPerPixelY() { return gTwipsY > 0 ? gTwipsY : 1440.0 / logicalDpi(false); }

QRect screenGeometry() {
  if (!gScreen.isNull()) return gScreen;
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QRect availableScreenGeometry() { return availableScreenGeometry(nullptr); }

QRect availableScreenGeometry(const QScreen* screen) {
  if (!gScreen.isNull()) return gScreen;
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void setScreenOverride(double twipsX, double twipsY, const QRect& screen) {
  gTwipsX = twipsX;
  gTwipsY = twipsY;
  gScreen = screen;
}

int16_t PixelToTwipsX(double pixels) { return clampToInt16(roundHalfEven(pixels * twipsPerPixelX())); }
int16_t PixelToTwipsY(double pixels) { return clampToInt16(roundHalfEven(pixels * twipsPerPixelY())); }
int twipsToPixelsX(double twips) { return int(std::lround(twips / twipsPerPixelX())); }
int twipsToPixelsY(double twips) { return int(std::lround(twips / twipsPerPixelY())); }

QRect twipsRect(int left, int top, int width, int height) {
  return QRect(twipsToPixelsX(left), twipsToPixelsY(top), twipsToPixelsX(width), twipsToPixelsY(height));
}

}  // namespace platform
