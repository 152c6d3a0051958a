// The folder part of a path, by its last separator.
#include "pictures/PathDirectory.h"

#include <QCoreApplication>

namespace quavinto {
namespace {

bool isSeparator(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); }

}  // namespace

QString PathDirectory(const QString& path) {
  int end = path.size();
  while (end > 0 && !isSeparator(path[end - 1])) --end;
  if (end == 0) return QCoreApplication::applicationDirPath();
  // Drop the separator, and any doubled ones before it, but never the root's.
  while (end > 1 && isSeparator(path[end - 1])) --end;
  QString dir = path.left(end);
  if (dir.size() == 2 && dir[1] == QLatin1Char(':') && dir[0].isLetter() && path.size() > 2 && isSeparator(path[2]))
    dir += path[2];  // "C:" alone would mean the drive's current folder
  return dir;
}

}  // namespace quavinto
