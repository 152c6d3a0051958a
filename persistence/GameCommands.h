// The two game-file commands: saving the game in play and reading one back to
// resume it. Both ask for the file through the game-file dialog.
#pragma once

#include <QString>

#include "core/BoardWindow.h"

namespace platform {
class CommonDialog;
}

namespace quavinto {

enum class SaveOutcome { Saved, Cancelled, Failed };

// Works out the play time, asks for a file and writes the game to it; a
// file that cannot be written is reported.
SaveOutcome saveGame(BoardWindow& w, platform::CommonDialog& dlg);
// Saving as the program ends: a file that cannot be written brings the
// dialog back, so the game is not lost with the program; cancelling the
// dialog gives up saving.
void saveGameBeforeLeaving(BoardWindow& w, platform::CommonDialog& dlg);
// Asks for a game file and, when it and its picture are sound, builds its
// board and offers to resume its game. Anything refused is reported and the
// board, PictureFile and the game in play stay as they were.
void readGame(BoardWindow& w, platform::CommonDialog& dlg);
// Reads the game file `path` as readGame does once it is chosen (a file
// opened with the program from the desktop). With ResumeQuestion::Resume the
// game resumes without the question: the player has already said so. True
// when the board was built from the file.
enum class ResumeQuestion { Ask, Resume };
bool readGameFile(BoardWindow& w, const QString& path, ResumeQuestion question = ResumeQuestion::Ask);

}  // namespace quavinto
