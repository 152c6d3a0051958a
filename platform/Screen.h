// Screen measures: twips per pixel and the screen's size, replaceable in tests.
//
// A twip is 1/1440 inch; window sizes and dialog layouts are given in twips and
// converted with the screen's logical resolution (15 twips per pixel at 96 DPI).
#pragma once

#include <QRect>

class QScreen;

#include <cstdint>

namespace platform {

double twipsPerPixelX();
double twipsPerPixelY();
// The primary screen's whole area and the part free of panels, in pixels.
QRect screenGeometry();
QRect availableScreenGeometry();
// The part free of panels of the given screen (the primary one when null).
QRect availableScreenGeometry(const QScreen* screen);
// Tests fix the screen: zero twips restores the real screen, as does a null rect.
void setScreenOverride(double twipsX, double twipsY, const QRect& screen);

// Pixels to twips, rounded to the nearest (halves to even), clamped to 16 bits.
int16_t PixelToTwipsX(double pixels);
int16_t PixelToTwipsY(double pixels);
// Design twips to whole pixels, rounded to the nearest.
int twipsToPixelsX(double twips);
int twipsToPixelsY(double twips);
// A design rectangle in twips (left, top, width, height) as whole pixels.
QRect twipsRect(int left, int top, int width, int height);

}  // namespace platform
