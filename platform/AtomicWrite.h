// Writing a whole file so that it is either the new bytes or the old file.
//
// Every file the program writes goes through writeFileAtomically: the bytes go
// to a new temporary file "<name>.XXXXXX" (six letters or digits) in the same
// folder, each write, the flush to the disk and the close are checked, and
// only then is the temporary file renamed over the destination. A full disk or
// a killed program therefore never leaves a shortened file where a whole one
// was, and a symbolic link planted at the destination is replaced, never
// followed.
#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

enum class FileAccess {
  OwnerOnly,   // the program's own files: readable and writable by the owner alone
  PlayerFile,  // a file the player saves: the permissions any new file of theirs gets
};

// A temporary file left by a killed write is removed by a later write of the
// same file once it is this old (another copy may be writing it now).
constexpr int kWriteLeftoverSeconds = 300;

// What failed when writeFileAtomically returns false.
enum class WriteStep { Create, Write, Commit };

// Writes `bytes` to `path` as described above. On failure the temporary file
// is removed, the old file is untouched, *error (when given) receives the
// system's short text of the cause and *failedStep the step that failed.
// For OwnerOnly files, temporary files of the same destination left by a
// killed write are removed first; a player's file replacing an older one
// keeps the older one's permissions.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, FileAccess access, QString* error = nullptr,
                         WriteStep* failedStep = nullptr);

// Tests only: every write fails with "no space left" once this many bytes of
// the file have been written; a negative count turns the failure off.
void setWriteFailureForTests(qint64 bytesBeforeFailure);

}  // namespace platform
