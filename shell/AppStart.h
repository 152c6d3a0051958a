// The program's start: the wait window first, then the main window.
#pragma once

namespace quavinto {

void startProgram();

}  // namespace quavinto
