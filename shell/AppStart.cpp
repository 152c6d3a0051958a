// The program's start: the wait window first; it opens the main window.
#include "shell/AppStart.h"

#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include "persistence/GameCommands.h"
#include "pictures/PictureLoading.h"
#include "platform/FileDialog.h"
#include "platform/FileNames.h"
#include "shell/CommandLine.h"
#include "shell/Form1.h"
#include "shell/Form5.h"
#include "shell/Messages.h"

namespace quavinto {

void startProgram(const QString& file) {
  auto* wait = new Form5([file] {
    auto* form = new Form1;
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
    // A file given to open wins; the kept game waits for a start without one.
    if (file.isEmpty()) {
      QTimer::singleShot(0, form, [form] { form->offerKeptGame(); });
      return;
    }
    // Once the window has shown itself, as if the player had chosen the file.
    QTimer::singleShot(0, form, [form, file] { openGivenFile(*form, file); });
  });
  wait->show();
}

void openGivenFile(Form1& form, const QString& file) {
  // The game file records the picture's path, so a relative name is made whole.
  QString path = QFileInfo(file).absoluteFilePath();
  // A name the dialogs would not accept (missing, in a folder that cannot be
  // read) is refused with their message; the rest as after a dialog.
  if (platform::pathKind(path) != platform::PathKind::Folder) {
    platform::CommonDialog dialog;
    dialog.flags = platform::kOfnFileMustExist | platform::kOfnHideReadOnly;
    path = dialog.finishChoice(path);
    if (path.isEmpty()) return;
  }
  if (isGameFilePath(path)) {
    form.answerGameRead(readGameFile(form, path));
    return;
  }
  const BoardOutcome picture = takePictureFile(form, path);
  tellPictureOutcome(picture);
  if (picture.built()) form.offerLoadedPictureGame();
}

}  // namespace quavinto
