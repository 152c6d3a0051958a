// Settings store in INI format. QSettings parses and produces the text on a
// private copy; the store itself is read through the regular-file guard and
// written whole by the one checked writer.
#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include "platform/AtomicWrite.h"
#include "platform/RegularFile.h"
#include "platform/XdgFolders.h"

namespace platform {
namespace {
QString gRoot;

// A lock whose owner is alive is held for the few milliseconds of one write.
constexpr int kLockWaitMs = 500;
// A lock older than this is taken for left behind, whoever it names.
constexpr int kStaleLockMs = 3000;
// A lock file that names no owner is one a process was killed while taking.
constexpr int kUnnamedLockMs = 100;

QString root() {
  if (!gRoot.isEmpty()) return gRoot;
  return xdgFolder(XdgFolder::Config);
}

// What the store file holds when the program reads it.
enum class StoreFile { Missing, Usable, Unusable };

// Reads the store file once, through the guard. A file the program cannot have
// written is unusable: something that is not a regular file (a pipe would block
// the read for good), one over the size limit, or one with a NUL byte, which
// would end a value early ("1", NUL, "2" read as 1).
StoreFile readStore(const QString& path, QByteArray* bytes) {
  QFile file(path);
  qint64 size = 0;
  const OpenOutcome opened = openRegularFile(file, &size);
  if (opened == OpenOutcome::NotAFile) return StoreFile::Unusable;
  if (opened != OpenOutcome::Opened) return StoreFile::Missing;
  if (size > kMaxSettingsFileBytes) return StoreFile::Unusable;
  *bytes = file.read(kMaxSettingsFileBytes + 1);
  if (bytes->size() > kMaxSettingsFileBytes || bytes->contains('\0') || file.error() != QFileDevice::NoError) {
    bytes->clear();
    return StoreFile::Unusable;
  }
  return StoreFile::Usable;
}

// Keeps the player's unusable file next to the store instead of destroying it.
bool setAside(const QString& path) {
  const QString bad = path + QStringLiteral(".bad");
  QFile::remove(bad);
  return QFile::rename(path, bad) || QFile::remove(path);
}

// The INI text is parsed and produced by QSettings on a private copy in a
// folder of this process's own, so QSettings never opens the store itself: the
// store is read once through the guard above and written whole by the one
// checked writer, which replaces a link planted at the store instead of
// writing through it.
class PrivateCopy {
 public:
  explicit PrivateCopy(const QByteArray& bytes) {
    if (!folder_.isValid()) return;
    QFile file(path());
    ok_ = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
  }
  bool ok() const { return ok_; }
  QString path() const { return folder_.filePath(QStringLiteral("store.ini")); }
  QByteArray bytes() const {
    QFile file(path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

 private:
  QTemporaryDir folder_;
  bool ok_ = false;
};

// The store's new text: `bytes` with the section's values set, made by
// QSettings on a private copy. False when QSettings found no INI text in
// `bytes` or could not write the copy.
bool withValues(const QByteArray& bytes, const QString& section, const SettingValues& values, QByteArray* out) {
  const PrivateCopy copy(bytes);
  if (!copy.ok()) return false;
  {
    QSettings store(copy.path(), QSettings::IniFormat);
    store.beginGroup(section);
    for (const auto& [key, text] : values) store.setValue(key, text);
    store.endGroup();
    store.sync();
    if (store.status() != QSettings::NoError) return false;
  }
  *out = copy.bytes();
  return true;
}

// Clears a lock left by a process killed while taking it: a writer names itself
// in the lock file as soon as it has created it, so a file still nameless a
// moment later belongs to no one.
void clearNamelessLock(const QString& lockPath) {
  for (int look = 0; look < 2; ++look) {
    const QFileInfo info(lockPath);
    if (!info.exists()) return;
    QLockFile probe(lockPath);
    qint64 pid = 0;
    QString host, app;
    if (probe.getLockInfo(&pid, &host, &app)) return;
    const qint64 age = qAbs(info.lastModified().msecsTo(QDateTime::currentDateTime()));
    if (age > kUnnamedLockMs) {
      QFile::remove(lockPath);
      return;
    }
    QThread::msleep(static_cast<unsigned long>(kUnnamedLockMs - age + 1));
  }
}

}  // namespace

QString settingsFilePath(const QString& application) {
  return root() + QLatin1Char('/') + application + QLatin1Char('/') + application + QStringLiteral(".ini");
}

void setSettingsRoot(const QString& directory) { gRoot = directory; }

SettingValues GetSettingGroup(const QString& application, const QString& section,
                              const SettingValues& keysWithDefaults) {
  QByteArray bytes;
  if (readStore(settingsFilePath(application), &bytes) != StoreFile::Usable) return keysWithDefaults;
  const PrivateCopy copy(bytes);
  if (!copy.ok()) return keysWithDefaults;
  QSettings store(copy.path(), QSettings::IniFormat);
  store.beginGroup(section);
  SettingValues out;
  for (const auto& [key, defaultText] : keysWithDefaults) {
    const QVariant value = store.value(key);
    out.append({key, value.isValid() ? value.toString() : defaultText});
  }
  return out;
}

QString GetSetting(const QString& application, const QString& section, const QString& key, const QString& defaultText) {
  return GetSettingGroup(application, section, {{key, defaultText}}).first().second;
}

bool SaveSettingGroup(const QString& application, const QString& section, const SettingValues& values) {
  const QString path = settingsFilePath(application);
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  // The lock is held from the read to the rename, so two copies leaving
  // together never mix their values or lose another section's.
  const QString lockPath = path + QStringLiteral(".lock");
  clearNamelessLock(lockPath);
  QLockFile lock(lockPath);
  lock.setStaleLockTime(kStaleLockMs);
  if (!lock.tryLock(kLockWaitMs)) return false;
  QByteArray bytes;
  if (readStore(path, &bytes) == StoreFile::Unusable && !setAside(path)) return false;
  // A file that is no INI text would refuse every write for good: it is kept
  // aside like an unusable one and the values start afresh.
  QByteArray text;
  if (!withValues(bytes, section, values, &text)) {
    if (bytes.isEmpty() || !setAside(path) || !withValues({}, section, values, &text)) return false;
  }
  return writeFileAtomically(path, text, FileAccess::OwnerOnly);
}

bool SaveSetting(const QString& application, const QString& section, const QString& key, const QString& text) {
  return SaveSettingGroup(application, section, {{key, text}});
}

}  // namespace platform
