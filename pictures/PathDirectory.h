// The folder part of a stored path, used as the file dialogs' initial folder.
#pragma once

#include <QString>

namespace quavinto {

// The directory of `path`: everything before its last separator ('/' or, for
// paths read from old game files, '\'), without a trailing separator. A
// root keeps its separator ("/cat.bmp" gives "/", "C:\cat.bmp" gives "C:\").
// A path with no separator at all, the empty one included, gives the
// program's own folder (QCoreApplication::applicationDirPath()).
// "/pics/cat.bmp" gives "/pics"; "/my.dir/cat.bmp" gives "/my.dir".
QString PathDirectory(const QString& path);

}  // namespace quavinto
