// The yield a long step makes between its pieces, so the window stays alive
// (painted, menus usable) while a game is prepared.
//
// Handing control to the window system costs a system call even when nothing
// is waiting, and a game start yields once per piece: nine hundred times on a
// 30 x 30 board, more than the start's own work. So a yield hands control over
// only when the window has not been served for a short interval, well under a
// screen frame, and otherwise returns at once: every call stays a yield, and
// anything the player does meanwhile is handled within that interval.
#pragma once

#include <QElapsedTimer>

namespace platform {

// Longest time pending window events wait during a long step, in milliseconds.
constexpr int kYieldIntervalMs = 8;

class EventYield {
 public:
  explicit EventYield(int intervalMs = kYieldIntervalMs) : intervalMs_(intervalMs) {}
  // Handles the pending window events when the interval has passed since
  // this yield last did so (always the first time); returns whether it did.
  bool operator()();

 private:
  int intervalMs_;
  QElapsedTimer sinceHandled_;
};

// The main window's yield.
bool yieldToWindow();

}  // namespace platform
