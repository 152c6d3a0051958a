// The XDG base folders, read from the environment at each call so that tests
// can point them at temporary folders.
#include "platform/XdgFolders.h"

#include <QDir>

namespace platform {

QString xdgFolder(XdgFolder kind) {
  const char* variable = "XDG_STATE_HOME";
  QString fallback = QStringLiteral("/.local/state");
  switch (kind) {
    case XdgFolder::State:
      break;
    case XdgFolder::Data:
      variable = "XDG_DATA_HOME";
      fallback = QStringLiteral("/.local/share");
      break;
    case XdgFolder::Cache:
      variable = "XDG_CACHE_HOME";
      fallback = QStringLiteral("/.cache");
      break;
    case XdgFolder::Config:
      variable = "XDG_CONFIG_HOME";
      fallback = QStringLiteral("/.config");
      break;
  }
  const QString set = qEnvironmentVariable(variable);
  return set.isEmpty() || QDir::isRelativePath(set) ? QDir::homePath() + fallback : QDir::cleanPath(set);
}

}  // namespace platform
