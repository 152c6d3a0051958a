// Choosing the game file, for saving and for reading, with the main window's
// one file dialog.
#pragma once

#include "core/GameState.h"
#include "platform/FileDialog.h"

namespace quavinto {

// The filter list of the game-file dialog: game files, then all files.
QString gameFileFilter();

// Sets up `dlg` for its open form, for the window to show with the check
// returned: the folder and name of g.GameFileName (or platform::startFolder's
// and no name the first time), the title g.FileDialogTitle, the game-file
// filter selected, ".QVD" added to a name without extension, flags 0x2806 for
// g.FileDialogMode "SAVE" (a new name goes through the create question) and
// 0x1004 for "READ" (the file must exist); any other mode leaves the flags as
// they were. Cancel is reported as failure. Everything set here stays on
// `dlg` for its next use. In "SAVE" mode choosing an existing file asks before
// replacing it, and the check refuses `pictureInPlay` (the board's picture
// file, empty for the built-in one) with a message: a game saved over it would
// destroy the picture it needs. So is anything that is not a regular file.
// Other modes need no check (an empty one).
platform::ChoiceCheck prepareGameFileDialog(const GameState& g, platform::CommonDialog& dlg,
                                            const QString& pictureInPlay = QString());

// Whether two paths name the same existing file (through links too).
bool sameExistingFile(const QString& a, const QString& b);

}  // namespace quavinto
