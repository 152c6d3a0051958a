// Opens the main window (the wait window comes in front of it).
#include "shell/AppStart.h"

#include "shell/Form1.h"

namespace quavinto {

void startProgram() {
  auto* form = new Form1;
  form->setAttribute(Qt::WA_DeleteOnClose);
  form->show();
}

}  // namespace quavinto
