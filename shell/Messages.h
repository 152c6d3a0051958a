// The words the window says when an operation below it reports what became
// of a command: the refusals of a picture, a game file and a save, the
// questions asked between the steps of a start and a read, and the fatal stop
// on a board cell without a piece. Every text keeps the translation context of
// the operation it speaks for.
#pragma once

#include <QString>
#include <cstdint>

#include "core/GameState.h"
#include "persistence/GameCommands.h"
#include "pictures/BoardLayout.h"

namespace quavinto {

QString startQuestionText();
QString resumeText();

// The fatal stop's two texts, for the cell at board point (x, y).
QString invalidPlaceText();
QString errorLogText(const MainVars& v, int16_t xn, int16_t yn, int32_t x, int32_t y);
// Shows both and ends the program at once: nothing is saved or asked.
[[noreturn]] void stopOnEmptyCell(const GameState& g, const MainVars& v, int32_t x, int32_t y);

// The message that refuses a file whose name is of no kind the puzzle takes.
QString pictureNameRefusalText(const QString& path);
// The message that tells the player why a picture cannot be used; for a
// picture too large, the decoder's `why` names its size and the limit.
QString pictureRefusalText(const QString& path, decode::PictureProblem problem, const QString& why = QString());
// The message that refuses a picture and a grid that do not fit.
QString boardTooSmallText(int pictureWidth, int pictureHeight, int xn, int yn);
QString missingPictureText();
QString readErrorText(const QString& description);
QString saveErrorText(const QString& description);

// Each refusal told in its one message; nothing is shown for a picture that
// reached the board, a game that was read or saved, or a cancelled dialog.
void tellPictureOutcome(const BoardOutcome& outcome);
void tellReadOutcome(const GameRead& read);
void tellSaveOutcome(const GameSave& save);

}  // namespace quavinto
