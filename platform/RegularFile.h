// Opening a file for reading only when it is a regular file.
//
// A named pipe would block the program until a writer came and a device such
// as /dev/zero never ends, so both are refused before a byte is read. On POSIX
// the file is opened without waiting and checked through the opened handle, so
// it cannot be swapped for something else between the check and the read.
#pragma once

#include <QFile>

namespace platform {

enum class OpenOutcome { Opened, Missing, NoPermission, NotAFile, CannotOpen };

// Opens `file` (its name already set) read-only. On success `size` (when
// given) receives the file's size in bytes.
OpenOutcome openRegularFile(QFile& file, qint64* size = nullptr);

}  // namespace platform
