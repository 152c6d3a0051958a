// Choosing the picture the board is made of, by the picture dialog or by
// dropping a file on the main window. Choosing always stops a game in play.
#pragma once

#include <QString>

#include <cstdint>

namespace quavinto {

class Form1;

// The picture dialog's filter list: BMP, GIF, JPEG, all files.
QString pictureFilter();
// 1 BMP, 2 GIF, 3 JPG by the path's last three characters, "BMP" or "bmp" and
// so on; 0 for anything else ("Jpg", "jpeg", "png").
int16_t pictureTypeOf(const QString& path);
// Stops the game in play: the menus return to their idle state.
void stopForPicture(Form1& f);
// Takes `path` as the chosen picture: PictureFile changes; an accepted kind
// rebuilds the board in solved order. Returns true when the board was rebuilt.
bool loadChosenPicture(Form1& f, const QString& path);

}  // namespace quavinto
