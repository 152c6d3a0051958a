// Where the picture and game-file dialogs open before the player has chosen a
// file. A program run from a folder of its own (a build, or a copy the player
// put somewhere) opens them there, beside itself. An installed program lives
// in a folder such as /usr/games that holds no pictures and where the player
// cannot save: it opens them in the player's own folders instead, the
// desktop's pictures folder (XDG_PICTURES_DIR) for pictures and the home
// folder for saved games.
#pragma once

#include <QString>

namespace platform {

enum class StartFolder { Pictures, GameFiles };

// Whether the program in `programDir` is installed: it sits in the installed
// layout (its help in ../share/quavinto), or the player cannot write there.
bool isInstalledProgram(const QString& programDir);

// The folder a dialog of `kind` first opens in, for the program in
// `programDir` (empty: the running program's own folder).
QString startFolder(StartFolder kind, const QString& programDir = QString());

}  // namespace platform
