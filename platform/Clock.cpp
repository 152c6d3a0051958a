// Clock on the local time of day; generator on a 64-bit Mersenne Twister.
#include "platform/Clock.h"

#include <QTime>

#include <cstdint>
#include <cstring>
#include <random>

namespace platform {
namespace {
std::function<double()> gClock;
std::function<double()> gRandom;
std::mt19937_64 gEngine{0x5157A11u};
}  // namespace

double secondsSinceMidnight() {
  if (gClock) return gClock();
  return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void setClock(std::function<double()> clock) { gClock = std::move(clock); }

void Randomize(double seed) {
  uint64_t bits = 0;
  std::memcpy(&bits, &seed, sizeof bits);
  gEngine.seed(bits ^ 0x9E3779B97F4A7C15ull);
}

double Rnd() {
  if (gRandom) return gRandom();
  // 53 random bits scaled into [0, 1): never 1.0, unlike some distributions.
  return double(gEngine() >> 11) * 0x1.0p-53;
}

void setRandom(std::function<double()> generator) { gRandom = std::move(generator); }

}  // namespace platform
