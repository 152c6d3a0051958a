// A yield that serves the window at most once per short interval.
#include "platform/EventYield.h"

#include <QCoreApplication>

namespace platform {

bool EventYield::operator()() {
  if (sinceHandled_.isValid() && !sinceHandled_.hasExpired(intervalMs_)) return false;
  QCoreApplication::processEvents();
  // Counted from the end: the time spent handling events is not time the
  // window went unserved.
  sinceHandled_.start();
  return true;
}

bool yieldToWindow() {
  static EventYield yield;
  return yield();
}

}  // namespace platform
