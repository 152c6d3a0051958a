// Fuzz target of the game-file reader: any bytes must be either refused with
// a description or accepted, and an accepted game must survive being written
// and read back unchanged. Whatever follows the play time is ignored, so an
// accepted input must also read the same with more bytes after it.
#include <cstdint>
#include <cstdlib>

#include "persistence/GameFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  quavinto::SavedGame game;
  QString error;
  if (!quavinto::parseGameFile(bytes, &game, &error)) {
    if (error.isEmpty()) std::abort();  // a refusal always says why
    return 0;
  }
  // A note or an end-of-file mark after the last field changes nothing.
  // (Inputs near the size limit would be pushed over it by the note.)
  if (bytes.size() < quavinto::kMaxGameFileBytes - 16) {
    quavinto::SavedGame withNote;
    if (!quavinto::parseGameFile(bytes + QByteArray("\r\n note \x1a"), &withNote, &error)) std::abort();
    if (withNote != game) std::abort();
  }
  const QByteArray written = quavinto::formatGameFile(game);
  quavinto::SavedGame back;
  QString backError;
  if (!quavinto::parseGameFile(written, &back, &backError)) std::abort();
  if (back != game) std::abort();
  if (quavinto::formatGameFile(back) != written) std::abort();
  return 0;
}
