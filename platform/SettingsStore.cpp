// Settings store on QSettings in INI format.
#include "platform/SettingsStore.h"

#include <QSettings>
#include <QStandardPaths>

namespace platform {
namespace {
QString gRoot;

QString root() {
  if (!gRoot.isEmpty()) return gRoot;
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}
}  // namespace

QString settingsFilePath(const QString& application) {
  return root() + QLatin1Char('/') + application + QLatin1Char('/') + application + QStringLiteral(".ini");
}

void setSettingsRoot(const QString& directory) { gRoot = directory; }

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultText) {
  QSettings store(settingsFilePath(application), QSettings::IniFormat);
  const QVariant value = store.value(section + QLatin1Char('/') + key);
  if (!value.isValid()) return defaultText;
  return value.toString();
}

bool SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& text) {
  QSettings store(settingsFilePath(application), QSettings::IniFormat);
  store.setValue(section + QLatin1Char('/') + key, text);
  store.sync();
  return store.status() == QSettings::NoError;
}

}  // namespace platform
