// The player's choices for the commands beyond the design's, kept in a small
// file of the program's own ($XDG_CONFIG_HOME/quavinto/play-options), never
// among the design's settings: "click-to-pick-up 1" a line. The file is read
// as a stranger's (a regular file of at most 4 KB, whole lines of ours) and
// written whole by the one checked writer.
#pragma once

#include <QString>

namespace quavinto {

struct PlayOptions {
  bool clickToPickUp = false;  // a click lifts a piece and a second click drops it
};

QString playOptionsFile();
// The options kept, or the defaults for anything missing, unreadable or not ours.
PlayOptions readPlayOptions();
// False when the file could not be written; the choice then lasts this session.
bool writePlayOptions(const PlayOptions& options);

}  // namespace quavinto
