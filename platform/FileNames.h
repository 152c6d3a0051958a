// File names as the file system holds them: bytes, not text.
//
// A name that is not UTF-8 (a file from an old archive or another system's
// disk) still names a file the player may want to open. The toolkit turns
// such bytes into U+FFFD, after which the name opens nothing. Here each byte
// that is not part of a valid UTF-8 sequence is kept as one character of the
// range U+DC80..U+DCFF (a surrogate that no text holds on its own), so that
// the name turns back into the very same bytes. Valid UTF-8 names read as
// they always have.
#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The name for `bytes` (an argument, a line of one of the program's lists).
QString fileNameFromBytes(const QByteArray& bytes);
// The bytes to hand the file system for `name`.
QByteArray fileNameBytes(const QString& name);
// `name` as the player sees it: each byte kept from a non-UTF-8 name shows
// as U+FFFD.
QString shownFileName(const QString& name);

// The entry of `folder` that shows as `shown` (a name picked in a dialog
// that lists names with U+FFFD for their bytes that are not UTF-8): the name
// itself when it exists or shows no U+FFFD, the one entry that shows so, or
// `shown` unchanged when none or several do.
QString entryShownAs(const QString& folder, const QString& shown);

enum class PathKind { Missing, File, Folder, Other };
// What `name` is, following symbolic links, asked with the name's own bytes.
PathKind pathKind(const QString& name);

}  // namespace platform
