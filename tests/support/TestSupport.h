// Shared test fixtures: scripted message boxes, a private settings store, a fake
// clock and generator, and the board checker.
#pragma once

#include "core/GameHost.h"
#include "platform/FileDialog.h"
#include "platform/MsgBox.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace quavinto {
class Form1;
class Form2;
}

namespace testsupport {

struct ShownBox {
  QString text;
  int style = 0;
  QString title;
};

// Records every message box and answers from a script (default: OK for OK
// boxes, Yes for Yes/No boxes, OK for OK/Cancel boxes).
class ScriptedBoxes {
public:
  ScriptedBoxes();
  ~ScriptedBoxes();
  void answer(int code) { script_.push_back(code); }
  QList<ShownBox> shown;
  // Runs before the answer is returned (for example to look at the state).
  std::function<void(const ShownBox&)> onShow;

private:
  std::deque<int> script_;
  platform::MsgBoxResponder previous_;
};

// Answers the file dialog from a script, one answer per showing: a path as the
// player would type it, or a null text for Cancel (also when the script has
// run out). Records every dialog as it was shown.
class ScriptedFileDialog {
public:
  explicit ScriptedFileDialog(std::deque<QString> answers = {});
  ~ScriptedFileDialog();
  std::deque<QString> script;
  std::vector<platform::CommonDialog> shown;

private:
  platform::FileDialogResponder previous_;
};

// Points the settings store, and the state folder that holds the recent
// pictures list, at a fresh temporary folder for the test's life.
class PrivateSettings {
public:
  PrivateSettings();
  ~PrivateSettings();
  QString path() const;
  QTemporaryDir dir;

 private:
  QByteArray oldDataHome_;
  QByteArray oldStateHome_;
};

// A clock the test sets by hand, in seconds since midnight.
class FakeClock {
public:
  explicit FakeClock(double start = 36000.0);
  ~FakeClock();
  double now;
};

// The program in English (its translation, an English locale) for the
// scope's life; afterwards its texts are the Japanese sources again. Fails
// the test when the translation cannot be loaded.
class EnglishUi {
 public:
  EnglishUi();
  ~EnglishUi();
};

// Rows of hostile stand-ins for a file the program reads, in a column "kind":
// a named pipe with no writer, a link to /dev/zero, a folder, a regular file
// one byte over the reader's cap, and the file's content with a NUL in it.
void addHostileFileRows();
// Puts the stand-in of `kind` at `path`; `cap` is the reader's size limit and
// `withNul` the content with its NUL. Arms an alarm, so a reader that waits on
// the pipe ends the test instead of stalling it; disarm with alarm(0).
bool makeHostileFile(const QString& path, const QString& kind, qint64 cap, const QByteArray& withNul);

// A generator that replays the given numbers, then repeats the last one.
class FakeRandom {
public:
  explicit FakeRandom(std::vector<double> values);
  ~FakeRandom();

private:
  std::vector<double> values_;
  size_t next_ = 0;
};

// The source picture's rectangle of piece k, rotated by 180 degrees when asked.
QImage pieceImage(const QImage& source, const quavinto::GameState& g, const quavinto::MainVars& v, int k,
                  bool reversed);
// Compares every board cell with the piece Map names there, rotated exactly
// when RMap is 1. `skipCol`, `skipRow` name a cell not checked (the one hidden
// under the floating piece), 0 for none. Returns an empty string when all
// cells match, else a description of the first mismatch.
// Acts on the modal settings dialog once it is open (the test fails when no
// settings dialog opens).
void whenSettingsDialogOpens(std::function<void(quavinto::Form2&)> act);

// Runs the current row of a data-driven test in a child process with the
// screen scaled by `scale`, when this process runs at another scale (the
// scale is fixed once the application exists). Returns "ran here" when the
// row is this process's to run, "" when the child passed it, else its output.
QString runRowAtScale(double scale);

// A game state of an xn x yn grid with every piece home and upright.
quavinto::GameState solvedState(int xn, int yn);

QString checkBoard(const QImage& board, const QImage& source, const quavinto::GameState& g,
                   const quavinto::MainVars& v, int skipCol = 0, int skipRow = 0);

// What the player sees of the game in the real window: the floating piece, when
// it lies on the board, sits on one cell and shows that cell's piece and look,
// and every other cell of the board's drawing shows the piece and look Map and
// RMap say. The reversed image covers the board. Empty when all is right,
// else the first problem found.
QString windowBoardProblem(quavinto::Form1& f);
// The menu states that follow from the game alone: start and stop, saving
// only while a game is in play, the scale menu only while the view is shown.
QString menuProblem(const quavinto::Form1& f);
// The enabled state of the seven commands of the menu table, in its column
// order, as "EDDE..." (E enabled, D disabled).
QString menuStates(const quavinto::Form1& f);

}  // namespace testsupport
