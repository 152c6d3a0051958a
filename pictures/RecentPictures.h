// The pictures that last reached the board, newest first, for the recent
// pictures menu. The list is a small text file, one absolute path a line as
// the file system spells it (UTF-8, or the very bytes of a name that is not), in
// $XDG_STATE_HOME/quavinto/ (~/.local/state/quavinto/ by default), apart from
// the settings store; it is written whole through the atomic writer, so a
// failed write leaves the last list as it was. Nothing here reads pictures.
#pragma once

#include <QString>
#include <QStringList>

#include "core/BoardWindow.h"
#include "pictures/BoardLayout.h"

namespace quavinto {

constexpr int kMaxRecentPictures = 10;

// Where the list lives.
QString recentPicturesFile();
// The list, newest first: at most kMaxRecentPictures absolute paths, each
// once. A missing or unreadable file, or anything but a regular file, reads
// as an empty list; of an oversized one only the first 64 KB are read.
QStringList readRecentPictures();
// `path` becomes the newest entry (moved up when it is there already).
void rememberRecentPicture(const QString& path);
// Takes `path` off the list.
void forgetRecentPicture(const QString& path);
// Empties the list.
void clearRecentPictures();

// Choosing an entry of the recent pictures menu: taken as the picture command
// takes a file chosen in its dialog (the game in play stops, the same checks
// and the same outcome). A picture that has gone is refused as one that cannot
// be opened and is taken off the list.
BoardOutcome openRecentPicture(BoardWindow& w, const QString& path);

}  // namespace quavinto
