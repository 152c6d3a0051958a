// A main window played as the player would, for suites that follow whole
// flows: a private settings store, scripted boxes and file dialog, a fake
// clock, a temporary folder, and the moves of a player solving the board.
#pragma once

#include "shell/Form1.h"
#include "support/TestSupport.h"

#include <QObject>
#include <QPoint>
#include <QTemporaryDir>

#include <memory>

namespace testsupport {

class PlayedWindow {
 public:
  // Everything fresh, the clock at `clockStart` seconds since midnight.
  explicit PlayedWindow(double clockStart);
  ~PlayedWindow();

  quavinto::Form1& form() { return *form_; }
  quavinto::GameState& state();
  quavinto::MainVars& vars();
  ScriptedBoxes& boxes() { return boxes_; }
  ScriptedFileDialog& files() { return files_; }
  FakeClock& clock() { return clock_; }

  // A new shown window with an xn x yn grid on the built-in picture.
  void open(int xn, int yn);
  // The start command, its question answered Yes or No.
  void start(bool yes);
  // A file in the temporary folder.
  QString path(const QString& name) const;
  QPoint cellCentre(int col, int row);
  // Solves the board with the mouse: each piece fetched home by a drag (each
  // drag checked to have put it there), then every reversed piece turned with
  // the right button.
  void solveByMouse();

 private:
  PrivateSettings settings_;
  ScriptedBoxes boxes_;
  FakeClock clock_;
  ScriptedFileDialog files_;
  QTemporaryDir tmp_;
  std::unique_ptr<quavinto::Form1> form_;
};

}  // namespace testsupport
