// Text-to-number reading and half-to-even rounding.
#include "platform/Numeric.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace platform {

double val(const QString& text) {
  // Blanks are ignored wherever they stand, as the player's typed counts and
  // hand-edited settings may carry them.
  std::string s;
  for (const QChar c : text) {
    if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
      continue;
    s.push_back(c.unicode() < 128 ? char(c.unicode()) : '\x01');
  }
  size_t i = 0;
  std::string number;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
  bool digits = false;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) { number.push_back(s[i++]); digits = true; }
  if (i < s.size() && s[i] == '.') {
    number.push_back(s[i++]);
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) { number.push_back(s[i++]); digits = true; }
  }
  if (!digits) return 0.0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    std::string exponent = "e";
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
    bool expDigits = false;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) { exponent.push_back(s[j++]); expDigits = true; }
    if (expDigits) number += exponent;
  }
  const double value = std::strtod(number.c_str(), nullptr);
  return std::isfinite(value) ? value : (value > 0 ? std::numeric_limits<double>::max() : -std::numeric_limits<double>::max());
}

double roundHalfEven(double value) {
  // Worked out with exact operations only (floor, the subtraction of a value's
  // own whole part, comparison), so the result never depends on the rounding
  // mode in force, and no compiler can move a mode change around it.
  if (!std::isfinite(value)) return value;
  const double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction < 0.5) return whole;
  if (fraction > 0.5) return whole + 1.0;
  return std::fmod(whole, 2.0) == 0.0 ? whole : whole + 1.0;
}

std::optional<int16_t> toInt16(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = roundHalfEven(value);
  if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
  return int16_t(rounded);
}

int16_t clampToInt16(double value) {
  if (std::isnan(value)) return 0;
  const double rounded = roundHalfEven(value);
  if (rounded < -32768.0) return -32768;
  if (rounded > 32767.0) return 32767;
  return int16_t(rounded);
}

QString signedText(long long value) {
  return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

}  // namespace platform
