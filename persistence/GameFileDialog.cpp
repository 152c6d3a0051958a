// The game-file dialog's set-up and result.
#include "persistence/GameFileDialog.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "pictures/PathDirectory.h"
#include "platform/StartFolders.h"

namespace quavinto {

QString gameFileFilter() {
  return QCoreApplication::translate("GameFileDialog", "GAMEDATA(*.QVD)|*.QVD|すべて(*.*)|*.*");
}

namespace {
QString pictureInPlayText() {
  return QCoreApplication::translate("GameFileDialog",
                                     "このファイルは今のゲームで使っている画像です。\r\n"
                                     "画像に上書きしてゲームを保存することはできません。別の名前を選んでください。");
}
QString notAFileText() {
  return QCoreApplication::translate(
      "GameFileDialog",
      "このファイルは通常のファイルではないため、ゲームを保存できません。\r\n別の名前を選んでください。");
}
}  // namespace

bool sameExistingFile(const QString& a, const QString& b) {
  if (a.trimmed().isEmpty() || b.trimmed().isEmpty()) return false;
  const QString ca = QFileInfo(a).canonicalFilePath();
  return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

platform::ChoiceCheck prepareGameFileDialog(const GameState& g, platform::CommonDialog& dlg,
                                            const QString& pictureInPlay) {
  dlg.fileName.clear();
  if (!g.GameFileName.isEmpty()) {
    dlg.initDir = PathDirectory(g.GameFileName);
    dlg.fileName = g.GameFileName;
  } else {
    dlg.initDir = platform::startFolder(platform::StartFolder::GameFiles);
  }
  dlg.dialogTitle = g.FileDialogTitle;
  dlg.filter = gameFileFilter();
  dlg.defaultExt = QStringLiteral(".QVD");
  dlg.filterIndex = 1;
  const bool saving = g.FileDialogMode == QLatin1String("SAVE");
  if (saving)
    dlg.flags = platform::kOfnOverwritePrompt | platform::kOfnHideReadOnly | platform::kOfnPathMustExist |
                platform::kOfnCreatePrompt;
  else if (g.FileDialogMode == QLatin1String("READ"))
    dlg.flags = platform::kOfnFileMustExist | platform::kOfnHideReadOnly;
  dlg.cancelError = true;
  platform::ChoiceCheck check;
  if (saving) {
    check = [pictureInPlay](const QString& path) {
      // A pipe or a device would be replaced by the game file, or block the save.
      const QFileInfo info(path);
      if (info.exists() && !info.isFile()) return notAFileText();
      return sameExistingFile(path, pictureInPlay) ? pictureInPlayText() : QString();
    };
  }
  return check;
}

}  // namespace quavinto
