// The program's start: the wait window first, then the main window.
#pragma once

#include <QString>

namespace quavinto {

class Form1;

// Shows the wait window, which opens the main window; a `file` given (a
// picture or a saved game) is opened in it once it shows.
void startProgram(const QString& file = QString());

// Opens `file` in the main window as the picture command or the game-file
// read would once it is chosen: a .QVD file as a saved game, anything else
// as a picture. A file that cannot be used is reported as through the
// dialogs, and the board stays as it was.
void openGivenFile(Form1& form, const QString& file);

}  // namespace quavinto
