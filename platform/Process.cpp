// Immediate end of the process.
#include "platform/Process.h"

#include <cstdlib>

namespace platform {

void endProcessNow(int exitCode) { std::_Exit(exitCode); }

}  // namespace platform
