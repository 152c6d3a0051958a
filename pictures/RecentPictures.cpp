// The recent pictures list in the per-user state folder.
#include "pictures/RecentPictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "pictures/PictureLoading.h"
#include "platform/AtomicWrite.h"
#include "platform/FileNames.h"
#include "platform/RegularFile.h"
#include "platform/XdgFolders.h"

namespace quavinto {
namespace {

// Ten paths never come near this; anything bigger is no list of ours.
constexpr qint64 kMaxListBytes = 64 * 1024;

bool writeList(const QStringList& paths) {
  const QString file = recentPicturesFile();
  if (!QDir().mkpath(QFileInfo(file).path())) return false;
  // Names as the file system spells them, byte for byte.
  QByteArray text;
  for (const QString& path : paths) text += platform::fileNameBytes(path) + '\n';
  return platform::writeFileAtomically(file, text, platform::FileAccess::OwnerOnly);
}

}  // namespace

QString recentPicturesFile() {
  return platform::xdgFolder(platform::XdgFolder::State) + QStringLiteral("/quavinto/recent-pictures");
}

QStringList readRecentPictures() {
  QFile file(recentPicturesFile());
  if (platform::openRegularFile(file) != platform::OpenOutcome::Opened) return {};
  QByteArray text = file.read(kMaxListBytes + 1);
  if (file.error() != QFileDevice::NoError) return {};
  // Of a list too long only its whole lines are taken: the newest entries.
  if (text.size() > kMaxListBytes) text.truncate(text.lastIndexOf('\n', kMaxListBytes - 1) + 1);
  QStringList paths;
  for (const QByteArray& line : text.split('\n')) {
    // A NUL ends every name the file system knows: such a line names no file.
    if (line.contains('\0')) continue;
    // A name that is not UTF-8 is kept byte for byte, so it still opens.
    const QString path = platform::fileNameFromBytes(line);
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

BoardOutcome openRecentPicture(BoardWindow& w, const QString& path) {
  // What the picture command does once its dialog returns a file.
  stopForPicture(w);
  w.vars().PictureChoice = path;
  const int16_t type = pictureTypeOf(path);
  if (type != 0) w.state().PictureType = type;
  const bool gone = platform::pathKind(path) == platform::PathKind::Missing;
  const BoardOutcome loaded = loadChosenPicture(w, path);
  if (gone) forgetRecentPicture(path);
  return loaded;
}

}  // namespace quavinto
