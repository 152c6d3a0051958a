// The main window's file commands and its file drops: the picture command,
// reading and saving a game, and a picture file dropped from the file manager.
// Each handler translates its event, shows the dialog the operation of
// pictures/ or persistence/ set up, and hands the choice to the operation
// that does the work.
#include "persistence/GameCommands.h"
#include "pictures/PictureLoading.h"
#include "platform/FileDialog.h"
#include "platform/FileNames.h"
#include "platform/MsgBox.h"
#include "shell/Form1.h"
#include "shell/Messages.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

namespace quavinto {
namespace {

// The one local file a drop carries, or an empty name for anything else.
QString droppedFile(const QMimeData* mime) {
  if (!mime || !mime->hasUrls() || mime->urls().size() != 1) return QString();
  const QUrl url = mime->urls().first();
  if (!url.isLocalFile()) return QString();
  // The path's own bytes, so that a name that is not UTF-8 still opens.
  if (url.host().isEmpty())
    return platform::fileNameFromBytes(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
  return url.toLocalFile();
}

// The save command: the dialog is set up, shown with no owner, and a chosen
// file is written; Cancel gives a Cancelled save.
GameSave saveThroughDialog(BoardWindow& w, platform::CommonDialog& dlg) {
  const platform::ChoiceCheck check = prepareSaveDialog(w, dlg);
  if (!dlg.showOpen(nullptr, check)) return GameSave{};
  return saveChosenGame(w, dlg.fileName);
}

}  // namespace

void Form1::LoadPictureEx_Click() {
  // The game in play stops before the dialog opens, over this window.
  preparePictureDialog(*this, *cmdlgall);
  tellPictureOutcome(cmdlgall->showOpen(this) ? takePictureFile(*this, cmdlgall->fileName) : pictureNotChosen());
  offerLoadedPictureGame();
}

void Form1::ReadData_Click() {
  const platform::ChoiceCheck check = prepareReadDialog(*this, *cmdlgall);
  answerGameRead(cmdlgall->showOpen(nullptr, check) ? readGameFile(*this, cmdlgall->fileName) : GameRead{});
}

void Form1::SaveData_Click() { tellSaveOutcome(saveThroughDialog(*this, *cmdlgall)); }

void Form1::answerGameRead(const GameRead& read) {
  if (!read.read()) {
    tellReadOutcome(read);
    return;
  }
  if (platform::MsgBox(resumeText(), 52) == platform::vbYes)
    resumeReadGame(*this);
  else
    declineReadGame(*this);
}

void Form1::saveGameBeforeLeaving() {
  // A file that cannot be written brings the dialog back, so the game is not
  // lost with the program; cancelling the dialog gives up saving.
  for (;;) {
    const GameSave save = saveThroughDialog(*this, *cmdlgall);
    if (save.outcome != SaveOutcome::Failed) return;
    tellSaveOutcome(save);
  }
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
  if (!commandsHeld() && !droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
  const QString path = droppedFile(event->mimeData());
  if (commandsHeld() || path.isEmpty()) return;
  event->acceptProposedAction();
  // The picture is loaded once the drop has returned: the file manager's drag
  // ends at once instead of waiting on a long decode or on a refusal message
  // the player has still to close. A drop that cannot become the board leaves
  // the game in play as it was.
  QTimer::singleShot(0, this, [this, path] {
    if (commandsHeld()) return;
    tellPictureOutcome(loadChosenPicture(*this, path, true));
    offerLoadedPictureGame();
  });
}

}  // namespace quavinto
