// The main window's side of the kept game: the offer to go on with the last
// game at the start, or with a loaded picture's own game.
#include <QCoreApplication>
#include <QFileInfo>
#include <utility>

#include "core/GameFlow.h"
#include "persistence/GameCommands.h"
#include "persistence/GameFileIo.h"
#include "persistence/KeptGame.h"
#include "persistence/PictureKey.h"
#include "platform/MsgBox.h"
#include "shell/Form1.h"
#include "shell/GameInPlay.h"
#include "shell/Messages.h"
#include "shell/RecordsDialog.h"

namespace quavinto {
namespace {

QString goOnText() { return QCoreApplication::translate("KeptGameOffer", "前回のゲームを続けますか？"); }

// Which game the question offers: its picture, grid, time played and moves.
QString keptGameLine(const SavedGame& game, const KeptFigures& figures) {
  const QString picture = game.pictureFile.trimmed().isEmpty()
                              ? QCoreApplication::translate("KeptGameOffer", "標準の画像")
                              : QFileInfo(game.pictureFile).fileName();
  return QCoreApplication::translate("KeptGameOffer", "%1　%2×%3　%4　手数 %5")
      .arg(picture)
      .arg(game.Xn)
      .arg(game.Yn)
      .arg(playTimeText(game.seconds))
      .arg(figures.moves);
}
QString setAsideText(const QString& why, const QString& file) {
  return QCoreApplication::translate("KeptGameOffer", "前回のゲームは続けられません（%1）。\r\n%2 として残しました。")
      .arg(why, file);
}

}  // namespace

void Form1::offerKeptGame() {
  if (!keeper->keeping()) return;
  const QList<KeptGame> games = keeper->games().list();
  if (!games.isEmpty()) offerGame(games.first());
}

void Form1::offerLoadedPictureGame() {
  if (!std::exchange(pictureLoaded_, false) || !keeper->keeping() || gs_.GameRunning == 1 || commandsHeld()) return;
  // The picture's own game, known by the picture file it was played on.
  for (const KeptGame& kept : keeper->games().list()) {
    SavedGame game;
    if (loadGameFile(kept.filePath(), &game, nullptr) && !game.pictureFile.trimmed().isEmpty() &&
        game.pictureFile == v_.PictureFile) {
      offerGame(kept);
      return;
    }
  }
}

void Form1::offerGame(const KeptGame& kept) {
  SavedGame game;
  QString why;
  if (!kept.check(&game, &why)) {
    kept.setAside();
    platform::MsgBox(setAsideText(why, kept.badPath()), 48);
    return;
  }
  const KeptFigures figures = kept.figures();
  if (platform::MsgBox(goOnText() + QStringLiteral("\r\n") + keptGameLine(game, figures), 36) != platform::vbYes) {
    if (!kept.retire()) inPlay_->tellKeptGameUnwritable(kept.folder());
    return;
  }
  // Resumed as a read game is, with the moves it had made; the game-file
  // dialogs keep the player's own last file, not the kept one.
  const QString chosen = gs_.GameFileName;
  play_.carriedMoves = figures.moves;
  play_.carriedFewest = figures.fewest;
  play_.carriedHints = figures.hints;
  // The player has already said to go on: no resume question.
  const GameRead read = readGameFile(*this, kept.filePath());
  if (read.read())
    resumeReadGame(*this);
  else
    tellReadOutcome(read);
  play_.carriedMoves = 0;
  play_.carriedFewest = -1;
  play_.carriedHints = 0;
  gs_.GameFileName = chosen;
  // The read has said why it refused the game; it is not offered again.
  if (!read.read()) kept.setAside();
}

}  // namespace quavinto
