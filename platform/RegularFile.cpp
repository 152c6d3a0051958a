// Opening a file for reading only when it is a regular file.
#include "platform/RegularFile.h"

#include <QFileInfo>

#include "platform/FileNames.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace platform {

OpenOutcome openRegularFile(QFile& file, qint64* size) {
#ifdef Q_OS_UNIX
  const QByteArray native = fileNameBytes(file.fileName());
  const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR || error == ELOOP) return OpenOutcome::Missing;
    if (error == EACCES || error == EPERM) return OpenOutcome::NoPermission;
    return OpenOutcome::CannotOpen;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return OpenOutcome::NotAFile;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return OpenOutcome::CannotOpen;
  }
  if (size) *size = qint64(info.st_size);
  return OpenOutcome::Opened;
#else
  const QFileInfo info(file.fileName());
  if (!info.exists()) return OpenOutcome::Missing;
  if (!info.isFile()) return OpenOutcome::NotAFile;
  if (!file.open(QIODevice::ReadOnly)) return OpenOutcome::CannotOpen;
  if (size) *size = file.size();
  return OpenOutcome::Opened;
#endif
}

}  // namespace platform
