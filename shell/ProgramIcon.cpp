// The icon at 32, 48 and 64 device pixels; larger ratios scale the largest.
#include "shell/ProgramIcon.h"

#include <QIcon>

namespace quavinto {

QPixmap programIcon(qreal devicePixelRatio) {
  QIcon icon;
  for (const char* name : {":/icon.png", ":/icon48.png", ":/icon64.png"}) icon.addFile(QString::fromLatin1(name));
  return icon.pixmap(QSize(32, 32), devicePixelRatio);
}

}  // namespace quavinto
