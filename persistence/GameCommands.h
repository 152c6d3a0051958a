// The two game-file commands: saving the game in play and reading one back to
// resume it. Both ask for the file through the game-file dialog and return
// what became of it; the window tells the player and asks the questions.
#pragma once

#include <QString>

#include "core/BoardWindow.h"
#include "pictures/BoardLayout.h"

namespace platform {
class CommonDialog;
}

namespace quavinto {

// What became of a save: written, given up in the dialog, or refused by the
// disk, `why` then naming what went wrong.
enum class SaveOutcome { Saved, Cancelled, Failed };
struct GameSave {
  SaveOutcome outcome = SaveOutcome::Cancelled;
  QString why;
};

// Works out the play time, asks for a file and writes the game to it.
GameSave saveGame(BoardWindow& w, platform::CommonDialog& dlg);

// What became of a game file read.
enum class ReadOutcome {
  Read,             // the board is the file's; its game waits for the player's word
  Cancelled,        // no file was chosen
  Damaged,          // the file was refused: `why` says why
  PictureMissing,   // the picture the file names is not there
  PictureUnusable,  // its picture cannot be decoded: `why` says why
  GridTooSmall,     // its picture cannot take its grid: `misfit`
};
// Anything but Read left the board, PictureFile and the game in play as they
// were.
struct GameRead {
  ReadOutcome outcome = ReadOutcome::Cancelled;
  QString why;
  GridMisfit misfit;
  bool read() const { return outcome == ReadOutcome::Read; }
};

// Asks for a game file and, when it and its picture are sound, builds its
// board, ready for its game to resume.
GameRead readGame(BoardWindow& w, platform::CommonDialog& dlg);
// Reads the game file `path` as readGame does once it is chosen (a file
// opened with the program from the desktop, a kept game).
GameRead readGameFile(BoardWindow& w, const QString& path);
// The player's answer to a game read: its play resumes, or the board keeps
// the file's arrangement with no game in play.
void resumeReadGame(BoardWindow& w);
void declineReadGame(BoardWindow& w);

}  // namespace quavinto
