// Choosing the picture the board is made of, by the picture dialog or by
// dropping a file on the main window. The dialog always stops a game in play;
// a drop stops it only when the dropped file becomes the board.
#pragma once

#include <QString>
#include <cstdint>

#include "core/BoardWindow.h"
#include "pictures/BoardLayout.h"

namespace platform {
class CommonDialog;
}

namespace quavinto {

// The picture dialog's filter list: BMP, GIF, JPEG, all files, then PNG,
// WebP, JPEG named ".jpeg", and every picture the program reads.
QString pictureFilter();
// The kind of picture a name promises, which is also its entry in the
// filter list: 1 BMP, 2 GIF, 3 JPG by the name's last three characters,
// "BMP" or "bmp" and so on, nothing else; then 5 ".png", 6 ".webp",
// 7 ".jpeg" in any letter case. 0 for anything else ("Jpg", "tif").
int16_t pictureTypeOf(const QString& path);
// Stops the game in play: the menus return to their idle state.
void stopForPicture(GameHost& h);
// Takes `path` as the chosen picture. When it can become the board, the game
// in play stops (`stopGame`), PictureFile and PictureType change and the
// board is rebuilt in solved order. Otherwise the outcome says why and
// nothing changes.
BoardOutcome loadChosenPicture(BoardWindow& w, const QString& path, bool stopGame = false);

// The picture command's first half: the game in play stops, then `dlg` is set
// up to open where the board's picture lies. The window shows it and hands
// a chosen file to takePictureFile, or reports pictureNotChosen on Cancel.
void preparePictureDialog(BoardWindow& w, platform::CommonDialog& dlg);
// What the picture command comes to when the dialog is cancelled.
BoardOutcome pictureNotChosen();
// A picture file taken as the picture dialog takes the one chosen in it (also
// a file opened with the program from the desktop).
BoardOutcome takePictureFile(BoardWindow& w, const QString& path);

}  // namespace quavinto
