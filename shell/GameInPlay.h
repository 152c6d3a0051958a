// The game in play as the main window shows it, apart from the widgets: the
// clock's figures and the once-a-second timer that brings them up to date,
// the pause as the game reports it (and the pause when another program takes
// the focus), the kept game following play, the notices after a completed
// game, and the troubles with the records and the kept game, each told once
// per run. It reaches the window only through the small Window hooks, so its
// rules hold the same over any GameHost, with or without a window.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "core/GameHost.h"
#include "persistence/Records.h"

class QTimer;

namespace quavinto {

class GameKeeper;
class PictureKeys;

// The clock's reading: the time played and the moves made.
QString clockFigures(int32_t seconds, int moves);
// The notice after a completed game: its place when it entered the best ten,
// and that it took the fewest moves, one line each; empty when neither.
QString completedGameNotice(const Record& record, int place, bool inFewest);

class GameInPlay : public QObject {
 public:
  // What the game in play asks of the window.
  struct Window {
    // The clock's figures or its description changed (read them here).
    std::function<void()> showClock;
    // The board is covered while paused, and shown again.
    std::function<void(bool paused)> showPause;
    // A message box, by its style code.
    std::function<void(const QString& text, int style)> tell;
  };

  // `keeper` keeps the game on disk and `keys` knows the board's picture;
  // both outlive this object.
  GameInPlay(GameHost& host, GameKeeper& keeper, PictureKeys& keys, Window window, QObject* parent = nullptr);

  // The game's events, as the core reports them to the window.
  void playEvent(PlayEvent event);

  // The time played and the moves while a game is in play or just completed,
  // nothing otherwise; from the moment the puzzle is solved, the final ones.
  QString clockText() const;
  // The same with the fewest moves that solve the game, when they are known.
  QString clockTextWithFewest() const;
  // What screen readers hear the clock is: the fewest moves always said.
  QString clockDescription() const;
  // Brings the figures up to date; the window hears when they changed.
  void tickClock();
  // The figures as last shown, without and with the fewest moves.
  QString shownFigures() const { return shown_; }
  QString shownFiguresWithFewest() const { return shownFull_; }
  // Whether the timer runs: during play, not paused.
  bool clockRunning() const;

  // Begins on the content key of the board's picture, if not begun already.
  void preparePictureKey();
  // Where the records are kept (replaced in tests).
  QString recordsPath;
  // Tells the player once per run that the records were set aside or cannot
  // be kept.
  void tellRecordsProblem(const RecordStore::Outcome& outcome);
  // Tells the player once per run that the game cannot be kept.
  void tellKeptGameUnwritable(const QString& folder);

 private:
  // A completed game joins the records; its place and the fewest moves are
  // told in one notice after the congratulation.
  void recordCompletedGame();
  void recorded(const Record& record, bool inFewest, const RecordStore::Outcome& outcome);

  GameHost& host_;
  GameKeeper& keeper_;
  PictureKeys& keys_;
  Window window_;
  QTimer* ticks_ = nullptr;
  QString shown_, shownFull_, shownDescription_;
  bool toldRecordsUnwritable_ = false;
  bool toldRecordsSetAside_ = false;
  bool toldKeptUnwritable_ = false;
};

}  // namespace quavinto
