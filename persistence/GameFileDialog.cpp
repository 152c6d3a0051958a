// The game-file dialog's set-up and result.
#include "persistence/GameFileDialog.h"

#include <QCoreApplication>

#include "pictures/PathDirectory.h"

namespace quavinto {

QString gameFileFilter() { return QStringLiteral(u"GAMEDATA(*.QVD)|*.QVD|すべて(*.*)|*.*"); }

bool GameFileDialog(GameState& g, platform::CommonDialog& dlg) {
  dlg.fileName.clear();
  if (!g.GameFileName.isEmpty()) {
    dlg.initDir = PathDirectory(g.GameFileName);
    dlg.fileName = g.GameFileName;
  } else {
    dlg.initDir = QCoreApplication::applicationDirPath();
  }
  dlg.dialogTitle = g.FileDialogTitle;
  dlg.filter = gameFileFilter();
  dlg.defaultExt = QStringLiteral(".QVD");
  dlg.filterIndex = 1;
  if (g.FileDialogMode == QLatin1String("SAVE"))
    dlg.flags = platform::kOfnOverwritePrompt | platform::kOfnHideReadOnly | platform::kOfnPathMustExist |
                platform::kOfnCreatePrompt;
  else if (g.FileDialogMode == QLatin1String("READ"))
    dlg.flags = platform::kOfnFileMustExist | platform::kOfnHideReadOnly;
  dlg.cancelError = true;
  if (!dlg.showOpen()) return false;
  g.GameFileName = dlg.fileName;
  return true;
}

}  // namespace quavinto
