// Time of day and random numbers, both replaceable so tests can replay them.
//
// The game times play on the time-of-day clock (seconds since local midnight,
// with a fraction) and shuffles with a generator uniform on [0, 1). A test
// installs a fake clock to cross midnight or to play for ten hours in no time,
// and a fake generator to replay a shuffle exactly.
#pragma once

#include <functional>

namespace platform {

double secondsSinceMidnight();
// Installs a clock; an empty function restores the real one.
void setClock(std::function<double()> clock);

// Seeds the generator (the game seeds it from the clock).
void Randomize(double seed);
// The next number, uniform on [0, 1).
double Rnd();
// Installs a generator; an empty function restores the real one.
void setRandom(std::function<double()> generator);

}  // namespace platform
