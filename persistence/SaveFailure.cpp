// Japanese causes of a failed save, from the system's report or the disk.
#include "persistence/SaveFailure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace quavinto {
namespace {

// The texts below are marked for translation where they are defined and
// translated here, when they are shown.
QString translated(const char* text) { return QCoreApplication::translate("SaveFailure", text); }

const char kDiskFull[] = QT_TRANSLATE_NOOP("SaveFailure", "ディスクの空き容量が足りません");
const char kNoPermission[] = QT_TRANSLATE_NOOP("SaveFailure", "このフォルダーに書き込む権限がありません");
const char kReadOnly[] = QT_TRANSLATE_NOOP("SaveFailure", "書き込みできないディスク（読み取り専用）です");
const char kNameTooLong[] = QT_TRANSLATE_NOOP("SaveFailure", "ファイル名が長すぎます");
const char kNoFolder[] = QT_TRANSLATE_NOOP("SaveFailure", "保存先のフォルダーがありません");
const char kIsFolder[] = QT_TRANSLATE_NOOP("SaveFailure", "同じ名前のフォルダーがあります");
const char kTooLarge[] = QT_TRANSLATE_NOOP("SaveFailure", "ファイルが大きすぎて書き込めません");
const char kDeviceError[] = QT_TRANSLATE_NOOP("SaveFailure", "ディスクの読み書きでエラーが起きました");

// The system's error numbers of the common causes.
const int kKnownErrors[] = {ENOSPC, EDQUOT, EFBIG, EACCES, EPERM, EROFS, ENAMETOOLONG, ENOENT, ENOTDIR, EISDIR, EIO};

// Longest name one folder entry can take, in bytes of the file system's encoding.
constexpr int kMaxNameBytes = 255;

}  // namespace

QString causeOfErrorNumber(int errorNumber) {
  switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
      return translated(kDiskFull);
    case EFBIG:
      return translated(kTooLarge);
    case EACCES:
    case EPERM:
      return translated(kNoPermission);
    case EROFS:
      return translated(kReadOnly);
    case ENAMETOOLONG:
      return translated(kNameTooLong);
    case ENOENT:
    case ENOTDIR:
      return translated(kNoFolder);
    case EISDIR:
      return translated(kIsFolder);
    case EIO:
      return translated(kDeviceError);
    default:
      return QString();
  }
}

QString saveFailureCause(const QString& path, const QString& systemText) {
  // The file layer's text carries the system's description of the error number.
  for (const int e : kKnownErrors) {
    const QString known = QString::fromLocal8Bit(std::strerror(e));
    if (!known.isEmpty() && systemText.contains(known, Qt::CaseInsensitive)) return causeOfErrorNumber(e);
  }

  // Otherwise the path and its folder say what stands in the way.
  const QFileInfo info(path);
  for (const QString& part : QDir::cleanPath(info.absoluteFilePath()).split(QLatin1Char('/'), Qt::SkipEmptyParts))
    if (QFile::encodeName(part).size() > kMaxNameBytes) return translated(kNameTooLong);
  const QFileInfo folder(info.absolutePath());
  if (!folder.isDir()) return translated(kNoFolder);
  if (info.isDir()) return translated(kIsFolder);
#ifdef Q_OS_UNIX
  const QByteArray native = QFile::encodeName(folder.absoluteFilePath());
  struct statvfs fs {};
  if (::statvfs(native.constData(), &fs) == 0) {
    if (fs.f_flag & ST_RDONLY) return translated(kReadOnly);
    if (fs.f_bavail == 0) return translated(kDiskFull);
  }
  if (::access(native.constData(), W_OK | X_OK) != 0) return translated(kNoPermission);
#endif
  // Nothing known fits: the system's own words are all there is to show.
  return systemText;
}

}  // namespace quavinto
