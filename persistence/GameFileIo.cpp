// Game files on disk: atomic saving through QSaveFile, bounded reading.
#include "persistence/GameFileIo.h"

#include <QFile>
#include <QSaveFile>

#include "persistence/SaveFailure.h"
#include "platform/RegularFile.h"

namespace quavinto {
namespace {

bool fail(const QString& what, QString* error) {
  if (error) *error = what;
  return false;
}

}  // namespace

bool writeGameFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  // Unbuffered, so that each write reaches the file at once and its count is
  // the truth: a buffered tail flushed inside commit() can fail unnoticed, and
  // commit() then renames a shortened file over the old one.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return fail(QStringLiteral(u"ファイルを作成できません（%1）").arg(saveFailureCause(path, file.errorString())),
                error);
  qint64 done = 0;
  while (done < bytes.size()) {
    const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
    if (n <= 0) break;
    done += n;
  }
  if (done != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError) {
    const QString why = file.errorString();
    file.cancelWriting();
    file.commit();  // discards the temporary file after cancelWriting()
    return fail(QStringLiteral(u"ファイルに書き込めません（%1）").arg(saveFailureCause(path, why)), error);
  }
  if (!file.commit())
    return fail(QStringLiteral(u"ファイルを保存できません（%1）").arg(saveFailureCause(path, file.errorString())),
                error);
  return true;
}

bool saveGameFile(const QString& path, const SavedGame& game, QString* error) {
  const QByteArray bytes = formatGameFile(game);
  SavedGame check;
  QString why;
  if (!parseGameFile(bytes, &check, &why))
    return fail(QStringLiteral(u"このゲームの状態は保存できません（%1）").arg(why), error);
  if (check != game)
    return fail(QStringLiteral(u"このゲームの状態は保存できません（読み戻した内容が一致しません）"), error);
  return writeGameFileAtomically(path, bytes, error);
}

namespace {

const char16_t kNotAFile[] = u"ゲームのファイルではありません（通常のファイルではないため読み込めません）";

// Opens a game file only when it is a regular file: a pipe or a device is
// refused before a byte is read.
bool openGameFile(QFile& file, QString* error) {
  switch (platform::openRegularFile(file)) {
    case platform::OpenOutcome::Opened:
      return true;
    case platform::OpenOutcome::Missing:
      return fail(QStringLiteral(u"ファイルを開けません（ファイルが見つかりません）"), error);
    case platform::OpenOutcome::NoPermission:
      return fail(QStringLiteral(u"ファイルを開けません（ファイルを読む権限がありません）"), error);
    case platform::OpenOutcome::NotAFile:
      return fail(QString::fromUtf16(kNotAFile), error);
    case platform::OpenOutcome::CannotOpen:
      break;
  }
  return fail(QStringLiteral(u"ファイルを開けません"), error);
}

}  // namespace

bool loadGameFile(const QString& path, SavedGame* game, QString* error) {
  QFile file(path);
  if (!openGameFile(file, error)) return false;
  // One byte more than allowed tells an oversized file without reading it all.
  const QByteArray bytes = file.read(kMaxGameFileBytes + 1);
  if (file.error() != QFileDevice::NoError) return fail(QStringLiteral(u"ファイルを読み込めません"), error);
  return parseGameFile(bytes, game, error);
}

}  // namespace quavinto
