// Settings store on QSettings in INI format, with bounded waiting and reading.
#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QThread>

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

// A store file the program cannot have written: something that is not a
// regular file (a pipe would block the read for good), one over the size
// limit, or one with a NUL byte, which would end a value early ("1", NUL, "2"
// read as 1). It is checked through the guard before the store reads it.
bool unusable(const QString& path) {
  QFile file(path);
  qint64 size = 0;
  const OpenOutcome opened = openRegularFile(file, &size);
  if (opened != OpenOutcome::Opened) return opened == OpenOutcome::NotAFile;
  if (size > kMaxSettingsFileBytes) return true;
  const QByteArray bytes = file.read(kMaxSettingsFileBytes + 1);
  return bytes.size() > kMaxSettingsFileBytes || bytes.contains('\0') || file.error() != QFileDevice::NoError;
}

// Keeps the player's unusable file next to the store instead of destroying it.
bool setAside(const QString& path) {
  const QString bad = path + QStringLiteral(".bad");
  QFile::remove(bad);
  return QFile::rename(path, bad) || QFile::remove(path);
}

// Makes sure the store's lock can be taken at once: a lock left by a killed
// process is removed, one held by a live writer is waited for briefly. The
// lock is given back at once, for QSettings to take for its write.
bool lockIsFree(const QString& lockPath) {
  // A writer names itself in the lock file as soon as it has created it; a
  // file still nameless a moment later belongs to no one.
  for (int look = 0; look < 2; ++look) {
    const QFileInfo info(lockPath);
    if (!info.exists()) break;
    QLockFile probe(lockPath);
    qint64 pid = 0;
    QString host, app;
    if (probe.getLockInfo(&pid, &host, &app)) break;
    const qint64 age = qAbs(info.lastModified().msecsTo(QDateTime::currentDateTime()));
    if (age > kUnnamedLockMs) {
      QFile::remove(lockPath);
      break;
    }
    QThread::msleep(static_cast<unsigned long>(kUnnamedLockMs - age + 1));
  }
  QLockFile lock(lockPath);
  lock.setStaleLockTime(kStaleLockMs);
  if (!lock.tryLock(kLockWaitMs)) return false;
  lock.unlock();
  return true;
}

}  // namespace

QString settingsFilePath(const QString& application) {
  return root() + QLatin1Char('/') + application + QLatin1Char('/') + application + QStringLiteral(".ini");
}

void setSettingsRoot(const QString& directory) { gRoot = directory; }

SettingValues GetSettingGroup(const QString& application, const QString& section,
                              const SettingValues& keysWithDefaults) {
  const QString path = settingsFilePath(application);
  if (unusable(path)) return keysWithDefaults;
  QSettings store(path, QSettings::IniFormat);
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
  if (unusable(path) && !setAside(path)) return false;
  if (!lockIsFree(path + QStringLiteral(".lock"))) return false;
  QSettings store(path, QSettings::IniFormat);
  store.beginGroup(section);
  for (const auto& [key, text] : values) store.setValue(key, text);
  store.endGroup();
  store.sync();
  return store.status() == QSettings::NoError;
}

bool SaveSetting(const QString& application, const QString& section, const QString& key, const QString& text) {
  return SaveSettingGroup(application, section, {{key, text}});
}

}  // namespace platform
