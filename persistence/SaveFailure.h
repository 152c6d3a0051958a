// Why a game file could not be written, told to the player in Japanese.
//
// The file system reports failures as the system's English text. The player
// is told the common causes in Japanese instead: a full disk, a folder the
// player may not write to, a read-only disk, a name that is too long, a
// folder that does not exist. The system's own text is shown only when none
// of these fits.
#pragma once

#include <QString>

namespace quavinto {

// The cause of a failed write to `path`, in Japanese. `systemText` is what
// the file layer reported; it is matched against the system's texts of the
// known causes, then the path and its folder are examined, and only when
// nothing fits is `systemText` itself returned.
QString saveFailureCause(const QString& path, const QString& systemText);

// The Japanese text of a known cause by its system error number, or an empty
// string for a number that is not one of the common causes.
QString causeOfErrorNumber(int errorNumber);

}  // namespace quavinto
