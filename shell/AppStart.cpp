// The program's start: the wait window first; it opens the main window.
#include "shell/AppStart.h"

#include "shell/Form1.h"
#include "shell/Form5.h"

namespace quavinto {

void startProgram() {
  auto* wait = new Form5([] {
    auto* form = new Form1;
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
  });
  wait->show();
}

}  // namespace quavinto
