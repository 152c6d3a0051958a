// Whole-file writes through a checked temporary file and a rename.
#include "platform/AtomicWrite.h"

#include "platform/FileNames.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {
namespace {

std::atomic<qint64> gFailAfter{-1};

QString causeText(int errorNumber) { return QString::fromLocal8Bit(std::strerror(errorNumber)); }

bool fail(int errorNumber, WriteStep step, QString* error, WriteStep* failedStep) {
  if (error) *error = causeText(errorNumber);
  if (failedStep) *failedStep = step;
  return false;
}

// "<name>.XXXXXX" files of this destination that a killed write left behind.
void removeLeftovers(const QFileInfo& destination) {
  const QString pattern =
      QStringLiteral("^") + QRegularExpression::escape(destination.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}$");
  const QRegularExpression leftover(pattern);
  const QDateTime settled = QDateTime::currentDateTime().addSecs(-kWriteLeftoverSeconds);
  const QDir::Filters which = QDir::Files | QDir::Hidden | QDir::NoSymLinks;
  const QString filter = destination.fileName() + QStringLiteral(".??????");
  for (const QFileInfo& info : destination.absoluteDir().entryInfoList({filter}, which))
    if (leftover.match(info.fileName()).hasMatch() && info.lastModified() < settled) QFile::remove(info.filePath());
}

#ifdef Q_OS_UNIX
// Creates "<path>.XXXXXX" afresh: never an existing file, never through a link.
int createTemporary(const QByteArray& path, mode_t mode, QByteArray* name) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    *name = path + '.';
    for (int i = 0; i < 6; ++i) *name += kLetters[QRandomGenerator::global()->bounded(62)];
    const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Writes every byte, going on after partial writes and interruptions.
bool writeAll(int fd, const QByteArray& bytes) {
  qint64 done = 0;
  while (done < bytes.size()) {
    qint64 chunk = bytes.size() - done;
    const qint64 allowed = gFailAfter.load();
    if (allowed >= 0) {
      if (done >= allowed) {
        errno = ENOSPC;
        return false;
      }
      chunk = qMin(chunk, allowed - done);
    }
    const ssize_t n = ::write(fd, bytes.constData() + done, size_t(chunk));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += n;
  }
  return true;
}
#endif

}  // namespace

void setWriteFailureForTests(qint64 bytesBeforeFailure) { gFailAfter = bytesBeforeFailure; }

bool writeFileAtomically(const QString& path, const QByteArray& bytes, FileAccess access, QString* error,
                         WriteStep* failedStep) {
#ifdef Q_OS_UNIX
  const QFileInfo destination(path);
  // A player's folder may hold copies of theirs under such names; their own
  // save code knows which leftovers are its own.
  if (access == FileAccess::OwnerOnly) removeLeftovers(destination);
  const QByteArray native = fileNameBytes(destination.absoluteFilePath());
  QByteArray temporary;
  const int fd = createTemporary(native, access == FileAccess::OwnerOnly ? 0600 : 0666, &temporary);
  if (fd < 0) return fail(errno, WriteStep::Create, error, failedStep);
  struct stat old {};
  if (access == FileAccess::PlayerFile && ::lstat(native.constData(), &old) == 0 && S_ISREG(old.st_mode))
    ::fchmod(fd, old.st_mode & 07777);
  bool written = writeAll(fd, bytes);
  WriteStep step = WriteStep::Write;
  int cause = errno;
  if (written && ::fdatasync(fd) != 0) written = false, cause = errno;
  if (::close(fd) != 0 && written) written = false, cause = errno;
  // rename() replaces whatever the name holds, a link included, in one step.
  if (written && ::rename(temporary.constData(), native.constData()) != 0)
    written = false, cause = errno, step = WriteStep::Commit;
  if (!written) {
    ::unlink(temporary.constData());
    return fail(cause, step, error, failedStep);
  }
  return true;
#else
  // Elsewhere the toolkit's own atomic file does the same steps.
  Q_UNUSED(access);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return fail(EACCES, WriteStep::Create, error, failedStep);
  if (file.write(bytes) != bytes.size()) return fail(EIO, WriteStep::Write, error, failedStep);
  if (!file.commit()) return fail(EIO, WriteStep::Commit, error, failedStep);
  return true;
#endif
}

}  // namespace platform
