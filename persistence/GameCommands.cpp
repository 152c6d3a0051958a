// Saving the game in play to a game file, and reading one back to resume it.
//
// Reading checks the whole file and the picture it names before anything
// changes: a damaged file or a missing picture is reported and the game in
// play, the board and every setting stay as they were.
#include "core/GameFlow.h"
#include "core/MenuStates.h"
#include "core/PieceDrawing.h"
#include "persistence/GameFileDialog.h"
#include "persistence/GameFileIo.h"
#include "pictures/BoardLayout.h"
#include "platform/Clock.h"
#include "platform/MsgBox.h"
#include "shell/Form1.h"

#include <QFileInfo>

namespace quavinto {
namespace {

QString saveTitle() { return QStringLiteral(u"ゲームの状態を保存"); }
QString readTitle() { return QStringLiteral(u"ゲームの状態を読み出し"); }
QString resumeText() { return QStringLiteral(u"ゲームを再開始します"); }
QString missingPictureText() { return QStringLiteral(u"データファイルの画像\r\nファイルがみつかりません。"); }
// The program carries on after a refused file, so the text ends by saying
// what the player needs to know: the game on screen is as it was.
QString readErrorText(const QString& description) {
  return QStringLiteral(u"エラー") + description +
         QStringLiteral(u"が発生しました。\r\nゲームは読み込まれず、何も変わっていません。");
}
QString saveErrorText(const QString& description) {
  return QStringLiteral(u"ゲームを保存できませんでした。\r\n") + description;
}

}  // namespace

void Form1::SaveData_Click() {
  v_.ElapsedSeconds = elapsedSeconds(gs_, v_, platform::secondsSinceMidnight());
  gs_.FileDialogMode = QStringLiteral("SAVE");
  gs_.FileDialogTitle = saveTitle();
  if (!GameFileDialog(gs_, *cmdlgall, v_.PictureFile)) return;
  applyMenuEvent(*this, MenuEvent::GameSaved);
  QString error;
  if (!saveGameFile(gs_.GameFileName, captureSavedGame(gs_, v_), &error))
    platform::MsgBox(saveErrorText(error), 48);
}

void Form1::ReadData_Click() {
  if (preparing_) return;
  gs_.FileDialogMode = QStringLiteral("READ");
  gs_.FileDialogTitle = readTitle();
  // The cell under the floating piece may still show its former piece after
  // a drop, also when the game was stopped by a picture choice since.
  hideFloatingPiece(*this);
  if (!GameFileDialog(gs_, *cmdlgall)) return;

  SavedGame game;
  QString error;
  if (!loadGameFile(gs_.GameFileName, &game, &error)) {
    platform::MsgBox(readErrorText(error), 16);
    return;
  }
  // PictureFile keeps naming the picture on the board until the file's own
  // picture has been found and decoded: a refused read leaves it alone.
  QImage picture = Image2;
  const QString path = game.pictureFile.trimmed();
  if (!path.isEmpty()) {
    if (!QFileInfo(game.pictureFile).isFile()) {
      platform::MsgBox(missingPictureText(), 48);
      return;
    }
    // Fitted to the screen as the file's view setting will show it.
    const int16_t windowView = gs_.HyoujiFlag;
    gs_.HyoujiFlag = game.HyoujiFlag;
    const bool decoded = loadBoardPicture(*this, game.pictureFile, &picture, &error);
    gs_.HyoujiFlag = windowView;
    if (!decoded) {
      platform::MsgBox(readErrorText(error), 16);
      return;
    }
  }
  if (!boardFits(picture.width(), picture.height(), game.Xn, game.Yn)) {
    platform::MsgBox(boardTooSmallText(picture.width(), picture.height(), game.Xn, game.Yn), 48);
    return;
  }

  applySavedGame(game, gs_, v_);
  gs_.ResumeFlag = 1;
  BuildBoardFrom(*this, picture);
  // The file's colour and view take effect as a confirmed settings dialog's
  // would: the caption's text colour and the scale menu follow them.
  applyBackgroundColour(true);
  applyMenuEvent(*this, MenuEvent::GameRead);
  {
    PreparingGuard guard(*this);
    showWaitNotice(true, true);
    DrawReverse(*this);
    drawAllCells(*this);
    Picture1->refresh();
    // The floating piece shows cell (1, 1) in its true look, as the board would.
    Picture2->move(0, 0);
    copyPiece(*this, Picture2->hdc(), 0, 0, 0, 0, gs_.RMap[1][1]);
    Picture2->refresh();
    showWaitNotice(false);
  }
  if (platform::MsgBox(resumeText(), 52) == platform::vbYes) {
    BeginPlay(*this);
  } else {
    // Declined: the board holds the file's arrangement and no game runs, even
    // when one was in play before the read, so its clock can never mix with the
    // file's time.
    gs_.GameRunning = 0;
    applyMenuEvent(*this, MenuEvent::ReadDeclined);
  }
}

}  // namespace quavinto
