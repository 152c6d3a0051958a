// Number rules shared by the settings store, the dialogs and the game file.
//
// Reading a number from text takes the number written at its start, blanks
// ignored, and stops at the first character that cannot continue it; text with
// no number gives 0 (" 12" gives 12, "7x" gives 7, "abc" gives 0). Assigning a
// real to an integer rounds to the nearest, halves to the even neighbour.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace platform {

double val(const QString& text);
// Nearest integer, halves to even (2.5 gives 2, 3.5 gives 4).
double roundHalfEven(double value);
// The rounded value when it fits a signed 16-bit integer.
std::optional<int16_t> toInt16(double value);
// The rounded value clamped to the signed 16-bit range.
int16_t clampToInt16(double value);
// Decimal text with one leading blank for values of 0 or more, "-" otherwise.
QString signedText(long long value);

}  // namespace platform
