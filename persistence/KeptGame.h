// The kept game: the game in play written by itself to the player's state
// folder, so that a crash, a kill or a lost session costs at most the last
// half-second of play, and offered at the next start.
//
// KeptGame is the file side: one game file, "last-game.QVD", in
// $XDG_STATE_HOME/quavinto (by default ~/.local/state/quavinto), written
// atomically in the game file's own format, checked before it is offered and
// set aside as "last-game.QVD.bad" when it cannot be used. GameKeeper decides
// when to write it from the game's events. Neither touches the player's own
// game files.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "core/GameHost.h"
#include "persistence/GameFile.h"

class QTimer;

namespace quavinto {

// $XDG_STATE_HOME/quavinto, with ~/.local/state when XDG_STATE_HOME is unset
// or not an absolute path.
QString keptGameFolder();

// $XDG_DATA_HOME/quavinto/ended-games: the kept games that ended but could
// not be removed, one SHA-256 of the file per line.
QString endedGamesFile();

class KeptGame {
 public:
  // `endedList` remembers the games whose kept file could not be removed; it
  // lies outside `folder`, which may be the folder that cannot be written.
  explicit KeptGame(const QString& folder = keptGameFolder(), const QString& endedList = endedGamesFile());
  QString folder() const { return folder_; }
  QString filePath() const;
  QString badPath() const { return filePath() + QStringLiteral(".bad"); }
  bool exists() const;
  // Writes `game` atomically, making the folder when needed. A game that
  // its file could not carry (a board whose grid and pieces disagree) is
  // Refused; a folder or file that cannot be written is Unwritable, with a
  // Japanese description in *error. Either way the kept game on disk, if
  // any, is as it was.
  enum class Outcome { Written, Refused, Unwritable };
  Outcome write(const SavedGame& game, QString* error) const;
  void remove() const;
  // Removes the kept game of a game that has ended. When the folder will not
  // let it go (it cannot be written), the game's end is remembered instead,
  // in this run and in the ended list, so it is never offered again; false
  // then.
  bool retire() const;
  // Whether the kept game on disk is one whose end was remembered.
  bool ended() const;
  // Whether the kept game can be resumed: the file passes every check of a
  // game file and its picture (none for the built-in one) is a file the
  // picture reader can read. Otherwise false with the reason in *why.
  bool check(SavedGame* game, QString* why) const;
  // Moves an unusable kept game aside (replacing an older one set aside), or
  // removes it when it cannot be moved; it is never offered again.
  void setAside() const;

 private:
  QByteArray contentKey() const;
  QString folder_;
  QString endedList_;
};

// The game in play is kept after each move (through a timer, so at most two
// writes a second and the last move always within half a second), at a pause
// (a minimised window or another program taking the focus pauses the game),
// at the end of a game whose board is about to be replaced, and when the
// window asks for it (exit, log-out). However a game ends, its kept game is
// removed; a new game's start replaces what was kept before.
class GameKeeper : public QObject {
 public:
  static constexpr int kIntervalMs = 500;

  GameKeeper(GameHost& host, QObject* parent);
  // The game's events, as the window receives them.
  void playEvent(PlayEvent event);
  // Writes the game in play now (nothing when no game is in play).
  void keepNow();
  // Removes the kept game: the player chose not to keep it.
  void discard();
  // Writes what the timer is waiting to write, at once (tests, bench).
  void writePending();
  // While the player thinks, the time played still grows: every half-second
  // of play the game is kept again when its whole seconds changed and the
  // last write is half a second old, so a kill loses no more time than a move.
  void keepTime();
  bool pending() const;
  // Where the game is kept (tests point it elsewhere).
  void setFolder(const QString& folder, const QString& endedList = endedGamesFile()) {
    file_ = KeptGame(folder, endedList);
  }
  const KeptGame& file() const { return file_; }
  // Called with the folder each time a write fails; the window tells the
  // player once.
  std::function<void(const QString& folder)> onWriteFailed;
  int writes() const { return writes_; }

 private:
  void write(const SavedGame& game);
  void gameEnded();
  // Lets the kept game go; the window hears when it could not.
  void retire();
  SavedGame capture() const;

  GameHost& host_;
  KeptGame file_;
  QTimer* timer_ = nullptr;
  QTimer* ticks_ = nullptr;   // keepTime() every half-second of play
  double lastWriteAt_ = -1;   // seconds since midnight of the last write
  int32_t lastSeconds_ = -1;  // the time played that the last write kept
  SavedGame pending_;  // the board after the last move, waiting for the timer
  bool inPlay_ = false;
  bool paused_ = false;
  int writes_ = 0;
};

}  // namespace quavinto
