// Japanese causes of a failed save, from the system's report or the disk.
#include "persistence/SaveFailure.h"

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

const char16_t kDiskFull[] = u"ディスクの空き容量が足りません";
const char16_t kNoPermission[] = u"このフォルダーに書き込む権限がありません";
const char16_t kReadOnly[] = u"書き込みできないディスク（読み取り専用）です";
const char16_t kNameTooLong[] = u"ファイル名が長すぎます";
const char16_t kNoFolder[] = u"保存先のフォルダーがありません";
const char16_t kIsFolder[] = u"同じ名前のフォルダーがあります";
const char16_t kTooLarge[] = u"ファイルが大きすぎて書き込めません";
const char16_t kDeviceError[] = u"ディスクの読み書きでエラーが起きました";

// The system's error numbers of the common causes.
const int kKnownErrors[] = {ENOSPC, EDQUOT, EFBIG, EACCES, EPERM, EROFS, ENAMETOOLONG, ENOENT, ENOTDIR, EISDIR, EIO};

// Longest name one folder entry can take, in bytes of the file system's encoding.
constexpr int kMaxNameBytes = 255;

}  // namespace

QString causeOfErrorNumber(int errorNumber) {
  switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
      return QString::fromUtf16(kDiskFull);
    case EFBIG:
      return QString::fromUtf16(kTooLarge);
    case EACCES:
    case EPERM:
      return QString::fromUtf16(kNoPermission);
    case EROFS:
      return QString::fromUtf16(kReadOnly);
    case ENAMETOOLONG:
      return QString::fromUtf16(kNameTooLong);
    case ENOENT:
    case ENOTDIR:
      return QString::fromUtf16(kNoFolder);
    case EISDIR:
      return QString::fromUtf16(kIsFolder);
    case EIO:
      return QString::fromUtf16(kDeviceError);
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
    if (QFile::encodeName(part).size() > kMaxNameBytes) return QString::fromUtf16(kNameTooLong);
  const QFileInfo folder(info.absolutePath());
  if (!folder.isDir()) return QString::fromUtf16(kNoFolder);
  if (info.isDir()) return QString::fromUtf16(kIsFolder);
#ifdef Q_OS_UNIX
  const QByteArray native = QFile::encodeName(folder.absoluteFilePath());
  struct statvfs fs {};
  if (::statvfs(native.constData(), &fs) == 0) {
    if (fs.f_flag & ST_RDONLY) return QString::fromUtf16(kReadOnly);
    if (fs.f_bavail == 0) return QString::fromUtf16(kDiskFull);
  }
  if (::access(native.constData(), W_OK | X_OK) != 0) return QString::fromUtf16(kNoPermission);
#endif
  // Nothing known fits: the system's own words are all there is to show.
  return systemText;
}

}  // namespace quavinto
