// The play options file.
#include "persistence/PlayOptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/AtomicWrite.h"
#include "platform/RegularFile.h"
#include "platform/XdgFolders.h"

namespace quavinto {
namespace {

constexpr qint64 kMaxOptionsBytes = 4096;

}  // namespace

QString playOptionsFile() {
  return platform::xdgFolder(platform::XdgFolder::Config) + QStringLiteral("/quavinto/play-options");
}

PlayOptions readPlayOptions() {
  PlayOptions options;
  QFile file(playOptionsFile());
  qint64 size = 0;
  if (platform::openRegularFile(file, &size) != platform::OpenOutcome::Opened || size > kMaxOptionsBytes)
    return options;
  const QByteArray text = file.read(kMaxOptionsBytes + 1);
  for (const QByteArray& line : text.split('\n')) {
    // Only the exact lines this program writes count; others are passed over.
    if (line == "click-to-pick-up 1") options.clickToPickUp = true;
    if (line == "click-to-pick-up 0") options.clickToPickUp = false;
  }
  return options;
}

bool writePlayOptions(const PlayOptions& options) {
  const QString file = playOptionsFile();
  if (!QDir().mkpath(QFileInfo(file).path())) return false;
  const QByteArray text = QByteArrayLiteral("click-to-pick-up ") + (options.clickToPickUp ? "1" : "0") + '\n';
  return platform::writeFileAtomically(file, text, platform::FileAccess::OwnerOnly);
}

}  // namespace quavinto
