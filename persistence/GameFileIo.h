// Reading and saving game files on disk.
//
// Saving goes through a temporary file in the same folder that replaces the
// old file only when every byte was written, so a full disk or a killed
// program never leaves a damaged or shortened game file behind. Reading
// refuses oversized files before reading them and checks the whole file
// before returning anything.
#pragma once

#include <QByteArray>
#include <QString>

#include "persistence/GameFile.h"
#include "platform/AtomicWrite.h"

namespace quavinto {

// A temporary file left by a killed save is removed by a later save into its
// folder once it is this old.
constexpr int kSaveLeftoverSeconds = platform::kWriteLeftoverSeconds;

// Writes `bytes` to `path` through a temporary file in the same folder, then
// renames it over the old file. Every write is checked for its byte count and
// the buffer is flushed and checked before the rename; on any shortfall the
// temporary file is removed, the old file stays as it was, and false is
// returned with a Japanese description in *error (when not null). Temporary
// files that earlier saves into the folder left when killed are removed first.
// A player's game file gets the permissions of any new file of theirs; the
// program's own (the kept game) is the owner's only.
bool writeGameFileAtomically(const QString& path, const QByteArray& bytes, QString* error,
                             platform::FileAccess access = platform::FileAccess::PlayerFile);

// Formats `game`, makes sure the text reads back to the same game (a path that
// the file cannot carry, such as one with a line break, or an inconsistent
// board is refused before anything is written), and writes it atomically.
// Returns false with a Japanese description in *error on any failure.
bool saveGameFile(const QString& path, const SavedGame& game, QString* error);

// Reads `path` (refusing files over kMaxGameFileBytes) and checks it with
// parseGameFile. Returns true and fills *game only for a valid file; otherwise
// false with a Japanese description in *error, and *game untouched.
bool loadGameFile(const QString& path, SavedGame* game, QString* error);

}  // namespace quavinto
