// The recent pictures list in the per-user state folder.
#include "pictures/RecentPictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "pictures/PictureLoading.h"

namespace quavinto {
namespace {

// Ten paths never come near this; anything bigger is no list of ours.
constexpr qint64 kMaxListBytes = 64 * 1024;

bool writeList(const QStringList& paths) {
  const QString file = recentPicturesFile();
  if (!QDir().mkpath(QFileInfo(file).path())) return false;
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) return false;
  for (const QString& path : paths) out.write(path.toUtf8() + '\n');
  return out.commit();
}

}  // namespace

QString recentPicturesFile() {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  if (state.isEmpty() || QDir::isRelativePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
  return state + QStringLiteral("/quavinto/recent-pictures");
}

QStringList readRecentPictures() {
  QFile file(recentPicturesFile());
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxListBytes) return {};
  QStringList paths;
  for (const QByteArray& line : file.readAll().split('\n')) {
    const QString path = QString::fromUtf8(line);
    if (path.isEmpty() || QDir::isRelativePath(path) || paths.contains(path)) continue;
    paths += path;
    if (paths.size() == kMaxRecentPictures) break;
  }
  return paths;
}

void rememberRecentPicture(const QString& path) {
  // A name with a line break could not be read back as one entry.
  if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'))) return;
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList paths = readRecentPictures();
  paths.removeAll(absolute);
  paths.prepend(absolute);
  writeList(paths.mid(0, kMaxRecentPictures));
}

void forgetRecentPicture(const QString& path) {
  QStringList paths = readRecentPictures();
  if (paths.removeAll(path) > 0) writeList(paths);
}

void clearRecentPictures() { writeList({}); }

bool openRecentPicture(BoardWindow& w, const QString& path) {
  // What the picture command does once its dialog returns a file.
  stopForPicture(w);
  w.vars().PictureChoice = path;
  const int16_t type = pictureTypeOf(path);
  if (type != 0) w.state().PictureType = type;
  const bool gone = !QFileInfo::exists(path);
  const bool loaded = loadChosenPicture(w, path);
  if (gone) forgetRecentPicture(path);
  return loaded;
}

}  // namespace quavinto
