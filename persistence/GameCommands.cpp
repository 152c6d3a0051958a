// Saving the game in play to a game file, and reading one back to resume it.
//
// Reading checks the whole file and the picture it names before anything
// changes: a damaged file or a missing picture is refused and the game in
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
#include "platform/PictureBox.h"

namespace quavinto {
namespace {

QString saveTitle() { return QCoreApplication::translate("GameCommands", "ゲームの状態を保存"); }
QString readTitle() { return QCoreApplication::translate("GameCommands", "ゲームの状態を読み出し"); }
}  // namespace

platform::ChoiceCheck prepareSaveDialog(BoardWindow& w, platform::CommonDialog& dlg) {
  GameState& g = w.state();
  MainVars& v = w.vars();
  // A paused game is saved with the time played before the pause, and the
  // time spent in the dialog is not play.
  v.ElapsedSeconds = playedSeconds(w, platform::secondsSinceMidnight());
  g.FileDialogMode = QStringLiteral("SAVE");
  g.FileDialogTitle = saveTitle();
  return prepareGameFileDialog(g, dlg, v.PictureFile);
}

GameSave saveChosenGame(BoardWindow& w, const QString& path) {
  GameState& g = w.state();
  g.GameFileName = path;
  applyMenuEvent(w, MenuEvent::GameSaved);
  GameSave save;
  save.outcome =
      saveGameFile(g.GameFileName, captureSavedGame(g, w.vars()), &save.why) ? SaveOutcome::Saved : SaveOutcome::Failed;
  return save;
}

platform::ChoiceCheck prepareReadDialog(BoardWindow& w, platform::CommonDialog& dlg) {
  GameState& g = w.state();
  g.FileDialogMode = QStringLiteral("READ");
  g.FileDialogTitle = readTitle();
  // The cell under the floating piece may still show its former piece after
  // a drop, also when the game was stopped by a picture choice since.
  hideFloatingPiece(w);
  return prepareGameFileDialog(g, dlg);
}

GameRead readGameFile(BoardWindow& w, const QString& path) {
  GameState& g = w.state();
  MainVars& v = w.vars();
  g.GameFileName = path;
  SavedGame game;
  GameRead read;
  if (!loadGameFile(g.GameFileName, &game, &read.why)) {
    read.outcome = ReadOutcome::Damaged;
    return read;
  }
  // PictureFile keeps naming the picture on the board until the file's own
  // picture has been found and decoded: a refused read leaves it alone.
  if (!game.pictureFile.trimmed().isEmpty() && !QFileInfo(game.pictureFile).isFile()) {
    read.outcome = ReadOutcome::PictureMissing;
    return read;
  }
  // Fitted to the screen as the file's view setting will show it.
  const BoardPicture picture = prepareBoardPicture(w, game.pictureFile, game.HyoujiFlag, game.Xn, game.Yn);
  if (picture.outcome == PictureOutcome::Unusable) {
    read.outcome = ReadOutcome::PictureUnusable;
    read.why = picture.why;
    return read;
  }
  if (picture.outcome == PictureOutcome::GridTooSmall) {
    read.outcome = ReadOutcome::GridTooSmall;
    read.misfit = picture.misfit;
    return read;
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
  read.outcome = ReadOutcome::Read;
  return read;
}

void resumeReadGame(BoardWindow& w) { BeginPlay(w); }

void declineReadGame(BoardWindow& w) {
  // The board holds the file's arrangement and no game runs, even when one was
  // in play before the read, so its clock can never mix with the file's time.
  endGame(w, GameEnd::Declined);
  applyMenuEvent(w, MenuEvent::ReadDeclined);
}

}  // namespace quavinto
