// Game files on disk: atomic saving through the checked writer, bounded reading.
#include "persistence/GameFileIo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "persistence/SaveFailure.h"
#include "platform/RegularFile.h"

namespace quavinto {
namespace {

bool fail(const QString& what, QString* error) {
  if (error) *error = what;
  return false;
}

bool isWholeGameFile(const QString& path);

// Where a folder cannot hold unnamed files, a save killed while writing
// leaves its temporary file "<game file>.XXXXXX" beside the game file. One of
// ours has a game file's name with six letters or digits added, has not been
// touched for minutes (another copy may be saving now) and is no whole game
// file (a copy the player kept under such a name would be one).
void removeSaveLeftovers(const QString& folder) {
  static const QRegularExpression kLeftover(QStringLiteral("^.+\\.[Qq][Vv][Dd]\\.[A-Za-z0-9]{6}$"));
  const QDateTime settled = QDateTime::currentDateTime().addSecs(-kSaveLeftoverSeconds);
  const QDir::Filters which = QDir::Files | QDir::Hidden | QDir::NoSymLinks;
  for (const QFileInfo& info : QDir(folder).entryInfoList({QStringLiteral("*.??????")}, which)) {
    if (kLeftover.match(info.fileName()).hasMatch() && info.lastModified() < settled &&
        info.size() <= kMaxGameFileBytes && !isWholeGameFile(info.filePath()))
      QFile::remove(info.filePath());
  }
}

}  // namespace

bool writeGameFileAtomically(const QString& path, const QByteArray& bytes, QString* error,
                             platform::FileAccess access) {
  removeSaveLeftovers(QFileInfo(path).absolutePath());
  QString why;
  platform::WriteStep step = platform::WriteStep::Create;
  if (platform::writeFileAtomically(path, bytes, access, &why, &step)) return true;
  const QString cause = saveFailureCause(path, why);
  switch (step) {
    case platform::WriteStep::Create:
      return fail(QCoreApplication::translate("GameFileIo", "ファイルを作成できません（%1）").arg(cause), error);
    case platform::WriteStep::Write:
      return fail(QCoreApplication::translate("GameFileIo", "ファイルに書き込めません（%1）").arg(cause), error);
    case platform::WriteStep::Commit:
      break;
  }
  return fail(QCoreApplication::translate("GameFileIo", "ファイルを保存できません（%1）").arg(cause), error);
}

bool saveGameFile(const QString& path, const SavedGame& game, QString* error) {
  const QByteArray bytes = formatGameFile(game);
  SavedGame check;
  QString why;
  if (!parseGameFile(bytes, &check, &why))
    return fail(QCoreApplication::translate("GameFileIo", "このゲームの状態は保存できません（%1）").arg(why), error);
  if (check != game)
    return fail(
        QCoreApplication::translate("GameFileIo", "このゲームの状態は保存できません（読み戻した内容が一致しません）"),
        error);
  return writeGameFileAtomically(path, bytes, error);
}

namespace {

const char kNotAFile[] =
    QT_TRANSLATE_NOOP("GameFileIo", "ゲームのファイルではありません（通常のファイルではないため読み込めません）");

// Opens a game file only when it is a regular file: a pipe or a device is
// refused before a byte is read.
bool openGameFile(QFile& file, qint64* size, QString* error) {
  switch (platform::openRegularFile(file, size)) {
    case platform::OpenOutcome::Opened:
      return true;
    case platform::OpenOutcome::Missing:
      return fail(QCoreApplication::translate("GameFileIo", "ファイルを開けません（ファイルが見つかりません）"), error);
    case platform::OpenOutcome::NoPermission:
      return fail(QCoreApplication::translate("GameFileIo", "ファイルを開けません（ファイルを読む権限がありません）"),
                  error);
    case platform::OpenOutcome::NotAFile:
      return fail(QCoreApplication::translate("GameFileIo", kNotAFile), error);
    case platform::OpenOutcome::CannotOpen:
      break;
  }
  return fail(QCoreApplication::translate("GameFileIo", "ファイルを開けません"), error);
}

}  // namespace

bool loadGameFile(const QString& path, SavedGame* game, QString* error) {
  QFile file(path);
  qint64 size = 0;
  if (!openGameFile(file, &size, error)) return false;
  // The size the file has, not the bytes read, tells the player how big it is.
  if (size > kMaxGameFileBytes) return fail(gameFileTooLargeText(size), error);
  // One byte more than allowed tells a file that grew since without reading it all.
  const QByteArray bytes = file.read(kMaxGameFileBytes + 1);
  if (file.error() != QFileDevice::NoError)
    return fail(QCoreApplication::translate("GameFileIo", "ファイルを読み込めません"), error);
  return parseGameFile(bytes, game, error);
}

namespace {
bool isWholeGameFile(const QString& path) {
  SavedGame game;
  return loadGameFile(path, &game, nullptr);
}
}  // namespace

}  // namespace quavinto
