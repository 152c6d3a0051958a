// What the puzzle core needs from the main window, without knowing widgets.
//
// The core draws only through device contexts and asks the window to refresh
// areas, move the floating piece, show the wait notice and set menu states. The
// main window implements this; core tests implement it over plain images.
#pragma once

#include "core/GameState.h"
#include "core/PlayState.h"

#include <QImage>
#include <QPoint>
#include <QSize>

namespace quavinto {

// The menu commands whose enabled state the game changes.
enum class Menu { GStart, GStop, SaveData, ReadData, ScaleAll, Game, SetData1, LoadPictureEx, Fin };

class GameHost {
public:
  virtual ~GameHost() = default;

  virtual GameState& state() = 0;
  virtual MainVars& vars() = 0;
  virtual PlayState& play() = 0;
  // The game's events: the window updates its clock and commands, answers
  // completion with the congratulation, and keeps the records.
  virtual void playEvent(PlayEvent event) = 0;

  // The board's assigned picture: the source of every unreversed piece.
  virtual QImage* boardPicture() = 0;
  virtual platform::Hdc boardDc() = 0;      // the board's retained drawing
  virtual platform::Hdc floatingDc() = 0;   // the floating piece's retained drawing
  virtual platform::Hdc reversedDc() = 0;   // the reversed image
  virtual QSize boardSize() = 0;

  virtual void refreshBoard() = 0;
  virtual void repaintBoardNow() = 0;
  virtual void refreshFloating() = 0;
  virtual void refreshReversed() = 0;
  virtual QPoint floatingPos() = 0;
  virtual void moveFloating(int left, int top) = 0;

  // The two-line notice shown while a game is being prepared; shown, it is
  // centred on the board and painted at once. With `sharedLeft` both lines
  // take the first line's left edge.
  virtual void showWaitNotice(bool visible, bool sharedLeft = false) = 0;
  // Starts the manual drag of the floating piece from a press.
  virtual void startFloatingDrag() = 0;
  // While a game is being prepared, commands that would rebuild the board
  // (start, picture, settings, game read, exit) and board input are held back.
  virtual void setPreparing(bool preparing) = 0;
  virtual bool preparing() const = 0;
  virtual void setMenuEnabled(Menu menu, bool enabled) = 0;
  // Play has begun (the clock runs): the board takes the keyboard focus.
  virtual void playStarted() {}
  // Lets the window paint and the player use the menus during a long step.
  virtual void processEvents() = 0;
  // A piece was looked up in a board cell that holds none, at board point
  // (x, y): the window tells the player and ends the program at once.
  virtual void emptyCellReached(int32_t x, int32_t y) = 0;
};

// Holds commands and board input back for as long as it lives.
class PreparingGuard {
public:
  explicit PreparingGuard(GameHost& host) : host_(host) { host_.setPreparing(true); }
  ~PreparingGuard() { host_.setPreparing(false); }
  PreparingGuard(const PreparingGuard&) = delete;
  PreparingGuard& operator=(const PreparingGuard&) = delete;

private:
  GameHost& host_;
};

}  // namespace quavinto
