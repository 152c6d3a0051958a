// Saving the game in play to a game file, and reading one back to resume it.
//
// Reading checks the whole file and the picture it names before anything
// changes: a damaged file or a missing picture is reported and the game in
// play, the board and every setting stay as they were.
#include "persistence/GameCommands.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "core/GameFlow.h"
#include "core/MenuStates.h"
#include "core/PieceDrawing.h"
#include "persistence/GameFileDialog.h"
#include "persistence/GameFileIo.h"
#include "pictures/BoardLayout.h"
#include "pictures/RecentPictures.h"
#include "platform/Clock.h"
#include "platform/FileDialog.h"
#include "platform/MsgBox.h"
#include "platform/PictureBox.h"

namespace quavinto {
namespace {

QString saveTitle() { return QCoreApplication::translate("GameCommands", "ゲームの状態を保存"); }
QString readTitle() { return QCoreApplication::translate("GameCommands", "ゲームの状態を読み出し"); }
QString resumeText() { return QCoreApplication::translate("GameCommands", "ゲームを再開始します"); }
QString missingPictureText() {
  return QCoreApplication::translate("GameCommands", "データファイルの画像\r\nファイルがみつかりません。");
}
// The program carries on after a refused file, so the text ends by saying
// what the player needs to know: the game on screen is as it was.
QString readErrorText(const QString& description) {
  return QCoreApplication::translate("GameCommands",
                                     "エラー%1が発生しました。\r\nゲームは読み込まれず、何も変わっていません。")
      .arg(description);
}
QString saveErrorText(const QString& description) {
  return QCoreApplication::translate("GameCommands", "ゲームを保存できませんでした。\r\n%1").arg(description);
}

}  // namespace

SaveOutcome saveGame(BoardWindow& w, platform::CommonDialog& dlg) {
  GameState& g = w.state();
  MainVars& v = w.vars();
  // A paused game is saved with the time played before the pause.
  v.ElapsedSeconds = playedSeconds(w, platform::secondsSinceMidnight());
  g.FileDialogMode = QStringLiteral("SAVE");
  g.FileDialogTitle = saveTitle();
  if (!GameFileDialog(g, dlg, v.PictureFile)) return SaveOutcome::Cancelled;
  applyMenuEvent(w, MenuEvent::GameSaved);
  QString error;
  if (saveGameFile(g.GameFileName, captureSavedGame(g, v), &error)) return SaveOutcome::Saved;
  platform::MsgBox(saveErrorText(error), 48);
  return SaveOutcome::Failed;
}

void saveGameBeforeLeaving(BoardWindow& w, platform::CommonDialog& dlg) {
  while (saveGame(w, dlg) == SaveOutcome::Failed) {
  }
}

void readGame(BoardWindow& w, platform::CommonDialog& dlg) {
  GameState& g = w.state();
  g.FileDialogMode = QStringLiteral("READ");
  g.FileDialogTitle = readTitle();
  // The cell under the floating piece may still show its former piece after
  // a drop, also when the game was stopped by a picture choice since.
  hideFloatingPiece(w);
  if (!GameFileDialog(g, dlg)) return;
  readGameFile(w, g.GameFileName);
}

bool readGameFile(BoardWindow& w, const QString& path, ResumeQuestion question) {
  GameState& g = w.state();
  MainVars& v = w.vars();
  g.GameFileName = path;
  SavedGame game;
  QString error;
  if (!loadGameFile(g.GameFileName, &game, &error)) {
    platform::MsgBox(readErrorText(error), 16);
    return false;
  }
  // PictureFile keeps naming the picture on the board until the file's own
  // picture has been found and decoded: a refused read leaves it alone.
  if (!game.pictureFile.trimmed().isEmpty() && !QFileInfo(game.pictureFile).isFile()) {
    platform::MsgBox(missingPictureText(), 48);
    return false;
  }
  // Fitted to the screen as the file's view setting will show it.
  const BoardPicture picture = prepareBoardPicture(w, game.pictureFile, game.HyoujiFlag, game.Xn, game.Yn);
  if (picture.outcome == PictureOutcome::Unusable) {
    platform::MsgBox(readErrorText(picture.why), 16);
    return false;
  }
  if (picture.outcome == PictureOutcome::GridTooSmall) {
    platform::MsgBox(boardTooSmallText(picture.image.width(), picture.image.height(), game.Xn, game.Yn), 48);
    return false;
  }

  // The game in play, if any, ends here: its moves and clock belong to a
  // board that is now the file's.
  endGame(w, GameEnd::Read);
  applySavedGame(game, g, v);
  g.ResumeFlag = 1;
  BuildBoardFrom(w, picture);
  // The file's picture reached the board as a chosen one would: it heads the
  // recent pictures (the built-in picture has no file to list).
  if (!game.pictureFile.trimmed().isEmpty()) rememberRecentPicture(game.pictureFile);
  // The file's colour and view take effect as a confirmed settings dialog's
  // would: arranging the window for the new board sets the caption's colours,
  // and the scale menu follows the view.
  applyMenuEvent(w, MenuEvent::GameRead);
  {
    PreparingGuard guard(w);
    w.showWaitNotice(true, true);
    bringReversedUpToDate(w);
    drawAllCells(w);
    w.refreshBoard();
    // The floating piece shows cell (1, 1) in its true look, as the board would.
    w.moveFloating(0, 0);
    copyPiece(w, w.floatingDc(), 0, 0, 0, 0, g.RMap[1][1]);
    w.refreshFloating();
    w.showWaitNotice(false);
  }
  if (question == ResumeQuestion::Resume || platform::MsgBox(resumeText(), 52) == platform::vbYes) {
    BeginPlay(w);
  } else {
    // Declined: the board holds the file's arrangement and no game runs, even
    // when one was in play before the read, so its clock can never mix with the
    // file's time.
    endGame(w, GameEnd::Declined);
    applyMenuEvent(w, MenuEvent::ReadDeclined);
  }
  return true;
}

}  // namespace quavinto
