// The two game-file commands: saving the game in play and reading one back to
// resume it. Each sets up the game-file dialog, the window shows it, and the
// chosen file is taken here; what became of it is returned, and the window
// tells the player and asks the questions.
#pragma once

#include <QString>

#include "core/BoardWindow.h"
#include "pictures/BoardLayout.h"
#include "platform/FileDialog.h"

namespace quavinto {

// What became of a save: written, given up in the dialog, or refused by the
// disk, `why` then naming what went wrong.
enum class SaveOutcome { Saved, Cancelled, Failed };
struct GameSave {
  SaveOutcome outcome = SaveOutcome::Cancelled;
  QString why;
};

// Works out the play time and sets up `dlg` as the save dialog; returns the
// check the window shows it with. Cancel there is a Cancelled save.
platform::ChoiceCheck prepareSaveDialog(BoardWindow& w, platform::CommonDialog& dlg);
// Writes the game in play to the chosen `path`, which becomes GameFileName.
GameSave saveChosenGame(BoardWindow& w, const QString& path);

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

// Hides the floating piece and sets up `dlg` as the read dialog; returns the
// check the window shows it with. Cancel there is a Cancelled read.
platform::ChoiceCheck prepareReadDialog(BoardWindow& w, platform::CommonDialog& dlg);
// Reads the game file `path` (chosen in the read dialog, opened with the
// program from the desktop, a kept game) and, when it and its picture are
// sound, builds its board, ready for its game to resume.
GameRead readGameFile(BoardWindow& w, const QString& path);
// The player's answer to a game read: its play resumes, or the board keeps
// the file's arrangement with no game in play.
void resumeReadGame(BoardWindow& w);
void declineReadGame(BoardWindow& w);

}  // namespace quavinto
