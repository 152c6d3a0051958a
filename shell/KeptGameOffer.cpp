// The main window's side of the kept game: the offer to go on with the last
// game at the start, and the one message when the game cannot be kept.
#include <QCoreApplication>

#include "core/GameFlow.h"
#include "persistence/GameCommands.h"
#include "persistence/KeptGame.h"
#include "platform/ManualDrag.h"
#include "platform/MsgBox.h"
#include "shell/Form1.h"

namespace quavinto {
namespace {

QString goOnText() { return QCoreApplication::translate("KeptGameOffer", "前回のゲームを続けますか？"); }
QString setAsideText(const QString& why, const QString& file) {
  return QCoreApplication::translate("KeptGameOffer", "前回のゲームは続けられません（%1）。\r\n%2 として残しました。")
      .arg(why, file);
}
QString unwritableText(const QString& folder) {
  return QCoreApplication::translate(
             "KeptGameOffer", "ゲームを自動で保存できません。\r\nフォルダー: %1\r\nゲームはこのまま続けられます。")
      .arg(folder);
}

}  // namespace

void Form1::offerKeptGame() {
  const KeptGame kept = keeper->file();
  // A game that ended is never offered, even where its file could not go.
  if (!kept.exists() || kept.ended()) return;
  SavedGame game;
  QString why;
  if (!kept.check(&game, &why)) {
    kept.setAside();
    platform::MsgBox(setAsideText(why, kept.badPath()), 48);
    return;
  }
  if (platform::MsgBox(goOnText(), 36) != platform::vbYes) {
    keeper->discard();
    return;
  }
  // Resumed as a read game is; the game-file dialogs keep the player's own
  // last file, not the kept one.
  const QString chosen = gs_.GameFileName;
  const bool resumed = readGameFile(*this, kept.filePath(), ResumeQuestion::Resume);
  gs_.GameFileName = chosen;
  // The read has said why it refused the game; it is not offered again.
  if (!resumed) kept.setAside();
}

void Form1::tellKeptGameUnwritable(const QString& folder) {
  // Not under a piece being dragged: the next failed write tells instead.
  if (toldKeptUnwritable_ || platform::dragInProgress()) return;
  toldKeptUnwritable_ = true;
  platform::MsgBox(unwritableText(folder), 48);
}

}  // namespace quavinto
