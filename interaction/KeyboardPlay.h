// Playing without a mouse: while a game is in play the board takes the
// keyboard focus and shows a focus cell. Arrow keys move it (no wrapping),
// Space or Enter picks up its piece and then exchanges it with the piece of
// the target cell, Escape cancels a pick-up, and R turns the focus cell's
// piece. The focus cell's outline shows only once the player uses a key, as
// desktops show focus to keyboard users, and hides again at a mouse press, so
// it never covers the picture for a player who plays by mouse; a piece the
// keys held is let go at that press. Keys build the same moves the pointer
// does and play them through the same one place, so the board, the grids, the
// history, the completion check and the timing cannot differ from mouse play;
// while the pointer drags a piece no key moves the focus cell, picks up or
// turns one. The focus cell is announced to assistive technology through the
// board's accessible description.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

namespace quavinto {

class GameHost;

class KeyboardPlay : public QObject {
  Q_OBJECT
public:
  // Watches `board` (the board area) for keys; `floating` is the floating piece.
  KeyboardPlay(GameHost& host, QWidget* board, QWidget* floating);

  int focusColumn() const { return col_; }
  int focusRow() const { return row_; }
  bool holding() const { return holding_; }
  // Whether the focus outline is drawn over the board now.
  bool outlineShown() const;
  // The text announced for the focus cell, column, row and orientation,
  // and whether a piece is held.
  QString focusDescription() const;
  // Called when play starts: focus cell (1, 1), nothing held, focus on the board.
  void playStarted();
  // Redraws the outline (after the game or the board changed).
  void refresh();
  // Lets go of a piece the keys were holding (a move taken back moved it).
  void letGo();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void moveFocus(int dc, int dr);
  void select();
  void turn();
  void announce();

  GameHost& host_;
  QPointer<QWidget> board_;
  QPointer<QWidget> floating_;
  QWidget* outline_ = nullptr;
  int col_ = 1;
  int row_ = 1;
  bool holding_ = false;
  bool keyboardInUse_ = false;  // a key was used since the last mouse press
  int heldCol_ = 0;
  int heldRow_ = 0;
};

}  // namespace quavinto
