// The dialogs' first folders: beside the program, or the player's own.
#include "platform/StartFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

bool isInstalledProgram(const QString& programDir) {
  const QDir dir(programDir);
  return QFileInfo(dir.filePath(QStringLiteral("../share/quavinto/help"))).isDir() ||
         !QFileInfo(programDir).isWritable();
}

QString startFolder(StartFolder kind, const QString& programDir) {
  const QString dir = programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir;
  if (!isInstalledProgram(dir)) return dir;
  if (kind == StartFolder::Pictures) {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
  }
  return QDir::homePath();
}

}  // namespace platform
