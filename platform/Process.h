// Ending the process at once: no close handler runs, no question is asked and
// nothing (the settings included) is written on the way out.
#pragma once

namespace platform {

[[noreturn]] void endProcessNow(int exitCode);

}  // namespace platform
