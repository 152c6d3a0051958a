// The kept games: each game in play written by itself to the player's state
// folder, so that a crash, a kill or a lost session costs at most the last
// half-second of play, and offered again: the newest at the next start, and
// a picture's own when that picture is loaded again.
//
// KeptGame is one of them on disk: a game file "game-<id>.QVD" in
// $XDG_STATE_HOME/quavinto (by default ~/.local/state/quavinto), written
// atomically in the game file's own format, with the figures the game file
// does not carry (the picture's content key, the moves made) beside it in
// "game-<id>.figures"; <id> names the picture's content and the grid, so
// each picture and grid has one. It is checked before it is offered and set
// aside as "….QVD.bad" when it cannot be used. KeptGames is the folder: the
// ten newest are kept, and one running copy of the program holds it, so a
// second copy neither offers, writes nor removes a game the first plays.
// GameKeeper decides when to write from the game's events, and writes on a
// thread of its own. None of them touches the player's own game files.
#pragma once

#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <functional>
#include <memory>

#include "core/GameHost.h"
#include "persistence/GameFile.h"

class QLockFile;
class QTimer;

namespace quavinto {

// $XDG_STATE_HOME/quavinto, with ~/.local/state when XDG_STATE_HOME is unset
// or not an absolute path.
QString keptGameFolder();

// $XDG_DATA_HOME/quavinto/ended-games: the kept games that ended but could
// not be removed, one SHA-256 of the file per line.
QString endedGamesFile();

// What a kept game carries beside the game file: figures of ours that later
// ones can join, one "name value" line each.
struct KeptFigures {
  QString picture;  // the picture's content key
  int moves = 0;    // moves made and not taken back
  int fewest = -1;  // the fewest moves that solve the game from its start; -1 unknown
  int hints = 0;    // hints used
  bool operator==(const KeptFigures& o) const {
    return picture == o.picture && moves == o.moves && fewest == o.fewest && hints == o.hints;
  }
};
QByteArray formatKeptFigures(const KeptFigures& figures);
// False for anything that is not a figures file of ours.
bool parseKeptFigures(const QByteArray& text, KeptFigures* figures);

// The name of the kept game of the picture with content key `picture` on a
// `xn` by `yn` grid.
QString keptGameName(const QString& picture, int xn, int yn);

class KeptGame {
 public:
  // The kept game `name` in `folder`. `endedList` remembers the games whose
  // kept file could not be removed; it lies outside `folder`, which may be
  // the folder that cannot be written.
  explicit KeptGame(const QString& folder = keptGameFolder(), const QString& name = QString(),
                    const QString& endedList = endedGamesFile());
  QString folder() const { return folder_; }
  QString name() const { return name_; }
  QString filePath() const;
  QString figuresPath() const;
  QString badPath() const { return filePath() + QStringLiteral(".bad"); }
  bool exists() const;
  // Writes `game` and its figures atomically, making the folder when needed.
  // A game that its file could not carry (a board whose grid and pieces
  // disagree) is Refused; a folder or file that cannot be written is
  // Unwritable, with a Japanese description in *error. Either way the kept
  // game on disk, if any, is as it was.
  enum class Outcome { Written, Refused, Unwritable };
  // `figuresChanged` false: the figures on disk are these already (the game's
  // time grew while the player thought) and are not written again.
  Outcome write(const SavedGame& game, const KeptFigures& figures, QString* error, bool figuresChanged = true) const;
  // The figures beside the game; none (zero moves) when missing or damaged.
  KeptFigures figures() const;
  void remove() const;
  // Removes the kept game of a game that has ended. When the folder will not
  // let it go (it cannot be written), the game's end is remembered instead,
  // in this run and in the ended list, so it is never offered again; false
  // then.
  bool retire() const;
  // Whether the kept game on disk is one whose end was remembered.
  bool ended() const;
  // Whether the kept game can be resumed: the file passes every check of a
  // game file and its picture (none for the built-in one) is a regular file
  // that begins as a picture of a kind the puzzle takes. Otherwise false with
  // the reason in *why.
  bool check(SavedGame* game, QString* why) const;
  // Moves an unusable kept game aside (replacing an older one set aside), or
  // removes it when it cannot be moved; it is never offered again.
  void setAside() const;

 private:
  QByteArray contentKey() const;
  QString folder_;
  QString name_;
  QString endedList_;
};

constexpr int kKeptGames = 10;

class KeptGames {
 public:
  explicit KeptGames(const QString& folder = keptGameFolder(), const QString& endedList = endedGamesFile());
  ~KeptGames();
  QString folder() const { return folder_; }
  QString endedList() const { return endedList_; }
  KeptGame named(const QString& name) const { return KeptGame(folder_, name, endedList_); }
  // The kept games on disk that have not ended, the most recently written
  // first. The single kept game of earlier versions ("last-game.QVD") is
  // taken over as the newest of them first.
  QList<KeptGame> list() const;
  // Removes the oldest beyond kKeptGames, never `keep`.
  void trim(const QString& keep) const;
  // Holds the folder for this copy of the program: false while another
  // running copy holds it. A hold left by a copy that was killed is taken over.
  bool hold();
  bool held() const { return lock_ != nullptr || alone_; }

 private:
  void takeOverLastGame() const;
  QString folder_;
  QString endedList_;
  std::shared_ptr<QLockFile> lock_;
  bool alone_ = false;  // no lock could be made where no other copy can make one either
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

  // `pictureKey` gives, on the window's thread, the content key of the
  // picture on the board, as a future the writer thread waits on.
  GameKeeper(GameHost& host, std::function<QFuture<QString>()> pictureKey, QObject* parent);
  ~GameKeeper() override;
  // The game's events, as the window receives them.
  void playEvent(PlayEvent event);
  // Copies the game in play for the writer thread and returns at once
  // (nothing when no game is in play).
  void keepSoon();
  // Writes the game in play now (nothing when no game is in play) and waits
  // until it is on disk: for the exit and the log-out.
  void keepNow();
  // Removes the kept game: the player chose not to keep it.
  void discard();
  // Writes what the timer is waiting to write, at once, and waits for the
  // writer (tests, bench).
  void writePending();
  // Waits until every write and removal asked for is done.
  void finishWrites();
  // While the player thinks, the time played still grows: every half-second
  // of play the game is kept again when its whole seconds changed and the
  // last write is half a second old, so a kill loses no more time than a move.
  void keepTime();
  bool pending() const;
  // Where the games are kept (tests point it elsewhere); the folder is held
  // for this copy when no other running copy holds it.
  void setFolder(const QString& folder, const QString& endedList = endedGamesFile());
  const KeptGames& games() const { return *games_; }
  // Whether this copy of the program keeps games: false while another
  // running copy holds the folder.
  bool keeping() const { return games_->held(); }
  // The kept game of the game in play or, once it ended, of the last one
  // (empty name before the picture's key is known).
  KeptGame current() const { return games_->named(current_); }
  // Called with the folder each time a write fails; the window tells the
  // player once.
  std::function<void(const QString& folder)> onWriteFailed;
  int writes() const { return writes_; }

 private:
  // What one write takes to the writer thread: all taken on the window's
  // thread, so the board may change at once.
  struct Job {
    SavedGame game;
    KeptFigures figures;
    QFuture<QString> key;
    int xn = 0, yn = 0;
  };
  Job capture() const;
  void write(const Job& job);
  void gameEnded();
  // Lets the kept game go; the window hears when it could not.
  void retire();
  void wrote(const QString& name, KeptGame::Outcome outcome);

  GameHost& host_;
  std::function<QFuture<QString>()> pictureKey_;
  std::unique_ptr<KeptGames> games_;
  QThreadPool writer_;    // one thread: writes and removals in the order asked
  QString current_;       // name of the kept game of the game in play
  // The figures last written beside each kept game (the writer thread's own).
  QHash<QString, KeptFigures> writtenFigures_;
  QFuture<QString> key_;  // the content key of the game in play's picture
  int xn_ = 0, yn_ = 0;   // its grid
  QTimer* timer_ = nullptr;
  QTimer* ticks_ = nullptr;   // keepTime() every half-second of play
  double lastWriteAt_ = -1;   // seconds since midnight of the last write
  int32_t lastSeconds_ = -1;  // the time played that the last write kept
  Job pending_;               // the board after the last move, waiting for the timer
  bool inPlay_ = false;
  bool paused_ = false;
  int writes_ = 0;
};

}  // namespace quavinto
