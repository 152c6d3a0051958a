// The program's icon as the about box and the settings dialog show it: 32 x 32
// on the screen, drawn from the artwork made for the screen's pixel density so
// it stays sharp when the desktop is scaled up.
#pragma once

#include <QPixmap>

namespace quavinto {

// The icon for a 32 x 32 place at `devicePixelRatio` device pixels per pixel.
QPixmap programIcon(qreal devicePixelRatio);

}  // namespace quavinto
