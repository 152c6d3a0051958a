// The main window: the menu bar, the board with its floating piece and wait
// notice, the finished-picture view, and the game it owns.
//
// Form1 holds the one GameState, the window's own variables and the game in
// play (GameInPlay: clock, pause, kept game, notices), and implements
// BoardWindow (a GameHost), through which the puzzle core and the operations
// draw, lay out the board and set menu states. Every handler of the window
// lives in shell/ and is short: it translates an event and calls the named
// operations of core/, interaction/, pictures/ and persistence/.
#pragma once

#include "core/BoardWindow.h"
#include "persistence/GameCommands.h"
#include "platform/ImageBox.h"
#include "platform/PictureBox.h"

#include <QDateTime>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>

#include <functional>

class QAction;
class QMenu;

namespace platform {
class CommonDialog;
}

namespace quavinto {

class KeyboardPlay;
class HintMarks;
class GameInPlay;
class GameKeeper;
class KeptGame;
class PictureKeys;
class RecentPicturesMenu;

class Form1 : public QMainWindow, public BoardWindow {
  Q_OBJECT
public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // GameHost
  GameState& state() override { return gs_; }
  const GameState& state() const override { return gs_; }
  MainVars& vars() override { return v_; }
  PlayState& play() override { return play_; }
  void playEvent(PlayEvent event) override;
  QImage* boardPicture() override { return Picture1->pictureBitmap(); }
  platform::Hdc boardDc() override { return Picture1->hdc(); }
  platform::Hdc floatingDc() override { return Picture2->hdc(); }
  platform::Hdc reversedDc() override { return Picture4->hdc(); }
  QSize boardSize() override { return Picture1->size(); }
  void refreshBoard() override { Picture1->refresh(); }
  void repaintBoardNow() override { Picture1->repaintNow(); }
  void refreshFloating() override { Picture2->refresh(); }
  void refreshReversed() override { Picture4->refresh(); }
  QPoint floatingPos() override { return Picture2->pos(); }
  void moveFloating(int left, int top) override { Picture2->move(left, top); }
  void showWaitNotice(bool visible, bool sharedLeft = false) override;
  void startFloatingDrag() override;
  void setPreparing(bool preparing) override {
    preparing_ = preparing;
    updatePlayCommands();
  }
  bool preparing() const override { return preparing_; }
  void setMenuEnabled(Menu menu, bool enabled) override;
  void processEvents() override;
  void playStarted() override;
  // The stop on a board cell without a piece: both messages, then the end.
  void emptyCellReached(int32_t x, int32_t y) override;
  bool menuEnabled(Menu menu) const;

  // BoardWindow
  platform::PictureBox* boardBox() const override { return Picture1; }
  platform::PictureBox* floatingBox() const override { return Picture2; }
  platform::PictureBox* viewBox() const override { return Picture3; }
  platform::PictureBox* reversedBox() const override { return Picture4; }
  platform::ImageBox* viewImage() const override { return Image1; }
  QLabel* viewCaption() const override { return Label1_0; }
  const QImage& defaultPicture() const override { return Image2; }

  // Operations of the window.
  void ResetView();
  void ScaleFinishedView() override;
  void ArrangeWindow() override;
  void applyBackgroundColour(bool captionBlackOtherwise) override;
  QColor backgroundColour() const;
  // The width the menu bar needs to show every command without folding.
  int menuBarWidth() const;
  // The narrowest the window may be: the menu bar and the clock beside it
  // (see clockRoom()).
  int narrowestWidth() const;
  // The room the clock takes at the right end of the menu bar with its widest
  // usual reading of time and moves. A window too narrow for the menus and the
  // clock grows to fit them, in every language; one wide enough keeps the
  // design's size.
  int clockRoom() const;

  // Menu handlers.
  void GStart_Click();
  void GStop_Click();
  void XX1_Click();
  void XX2_Click();
  void XX4_Click();
  void SetData1_Click();
  void LoadPictureEx_Click();
  void ReadData_Click();
  void SaveData_Click();
  void Fin_Click();
  void Index_Click();
  void Key_Search_Click();
  void About_Help_Click();
  void About_Proguram_Click();
  // Commands beyond the design's, after its items in the Game menu.
  void Undo_Click();
  void Redo_Click();
  void Pause_Click();
  void Records_Click();
  void Hint_Click();
  void ClickToPickUp_Click();

  // The game in play: its clock, pause, kept game and notices; the window
  // shows what it says.
  GameInPlay& inPlay() { return *inPlay_; }
  const GameInPlay& inPlay() const { return *inPlay_; }
  // The content key of the picture on the board, computed on a worker as the
  // picture arrives: the records and the kept games know a picture by it.
  PictureKeys* pictureKeys = nullptr;
  void pictureReachedBoard() override;
  // Keeps the game in play on disk, for the next start if this one is lost.
  GameKeeper* keeper = nullptr;
  // At the start: offers the newest kept game, when there is one.
  void offerKeptGame();
  // After a picture command that loaded a picture: offers the game kept for
  // that picture, when there is one and no game is in play.
  void offerLoadedPictureGame();
  // After a game file read: a refusal is told; a game read onto the board is
  // resumed when the player says so, else the board keeps it with no game.
  void answerGameRead(const GameRead& read);
  // Saving as the program ends, until the file is written or the player
  // cancels the dialog.
  void saveGameBeforeLeaving();

  // The elements of the window, by their design names.
  QWidget* Client = nullptr;                // the window's background
  platform::PictureBox* Picture1 = nullptr; // the board
  platform::PictureBox* Picture2 = nullptr; // the floating piece
  QLabel* Label2_0 = nullptr;               // wait notice, first line
  QLabel* Label2_1 = nullptr;               // wait notice, second line
  platform::PictureBox* Picture3 = nullptr; // the finished-picture view
  platform::ImageBox* Image1 = nullptr;     // the finished picture in the view
  QLabel* Label1_0 = nullptr;               // caption of the view
  platform::PictureBox* Picture4 = nullptr; // the reversed image, out of view
  QImage Image2;                            // copy of the default picture
  platform::CommonDialog* cmdlgall = nullptr;
  KeyboardPlay* keys = nullptr;             // play by keyboard

  QMenu* TopFile = nullptr;
  QAction* LoadPictureEx = nullptr;
  RecentPicturesMenu* RecentPictures = nullptr;  // recent pictures
  QAction* ReadData = nullptr;
  QAction* SaveData = nullptr;
  QAction* Fin = nullptr;
  QMenu* Game = nullptr;
  QAction* GStart = nullptr;
  QAction* GStop = nullptr;
  QAction* SetData1 = nullptr;
  QMenu* ScaleAll = nullptr;
  QAction* XX1 = nullptr;
  QAction* XX2 = nullptr;
  QAction* XX4 = nullptr;
  QMenu* HELP = nullptr;
  QAction* Index = nullptr;
  QAction* Key_Search = nullptr;
  QAction* About_Help = nullptr;
  QAction* About_Proguram = nullptr;
  QAction* Undo = nullptr;
  QAction* Redo = nullptr;
  QAction* Pause = nullptr;
  QAction* Records = nullptr;
  QAction* Hint = nullptr;
  QAction* ClickToPickUp = nullptr;
  HintMarks* hintMarks = nullptr;  // the hint's outline over the board
  QLabel* clockLabel = nullptr;   // over the right end of the menu bar
  QWidget* pauseCover = nullptr;  // hides the board and the view while paused

  // The closing steps both exit paths share: the confirmation, MemDC released,
  // the settings saved, and during a game the offer to save it. False when
  // the player cancelled; then nothing was released or written.
  bool confirmExit();
  // Replaced in tests: how the program ends after a confirmed exit.
  std::function<void()> endProgram;
  // The desktop session is ending (log-out, shutdown): the same questions as
  // the close box, when `mayAsk` says the player may be asked. True lets the
  // session end; false asks it to stay (the player cancelled, or a game is
  // being prepared or a leave question is already up). With no leave to ask,
  // nothing is written, as for a process that is killed.
  bool sessionEnding(const std::function<bool()>& mayAsk);

protected:
  void closeEvent(QCloseEvent* event) override;
  // Once the window system has framed the window, its outer size is set again
  // with the frame known: at the first event after the window is on screen
  // with its frame reported, or after a bounded wait when none is reported.
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // A window back in its normal state from maximised or minimised is sized
  // again when the board or the view changed meanwhile.
  void changeEvent(QEvent* event) override;
  // A picture file dropped from the file manager loads as if chosen.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  // Whether commands and input that would rebuild the board are held back:
  // the one test every such handler and the menu dispatch make.
  bool commandsHeld() const { return preparing_; }
  // A menu command, and whether it waits while a game is being prepared.
  enum class WhilePreparing { Runs, HeldBack };
  QAction* addCommand(QMenu* menu, const QString& caption, void (Form1::*handler)(), WhilePreparing hold);
  void frameReported();
  void buildWidgets();
  void buildMenus();
  void buildPlayCommands();
  void updatePlayCommands();
  // The clock's figures over the right end of the menu bar, where it has room.
  void placeClock();
  void showPause(bool paused);
  void showRecords(const QString& pictureKey);
  void offerGame(const KeptGame& kept);
  void form_load();
  void onBoardDrop(QWidget* dragged, QPoint p);
  void onFloatingDrop(QWidget* dragged, QPoint p);
  void scaleTo(QAction* item, int16_t zoom);
  // Moves the window back by what a resize from `before` (its frame then) pushed
  // past the edges of its screen's free area.
  void keepGrowthOnScreen(const QRect& before);
  bool confirmExitSteps();
  // After a confirmed exit: the drag dropped and the program ended at once.
  void endConfirmed();

  GameState gs_;
  MainVars v_;
  PlayState play_;
  GameInPlay* inPlay_ = nullptr;
  bool pictureLoaded_ = false;  // a picture reached the board since the last offer
  bool preparing_ = false;
  bool exitConfirmed_ = false;
  bool askingToLeave_ = false;  // the exit question or the save offer is up
  bool shownOnce_ = false;
  bool awaitingFrame_ = false;
  bool frameCheckPosted_ = false;
  bool arrangeWhenNormal_ = false;  // arranged while maximised or minimised
  QPoint lastPressGlobal_;
  Qt::MouseButton lastPressButton_ = Qt::LeftButton;
};

// The tag of a dragged control ("Pic2", "Pic3"), empty for others.
QString tagOf(const QWidget* control);

}  // namespace quavinto
