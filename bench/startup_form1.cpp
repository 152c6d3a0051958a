// Start-up probe: the program's own start (application, Japanese interface,
// main window) up to the main window shown and, with a kept game present, its
// checks up to the question whether to go on with it; prints when that
// happened, whether a kept game was found usable, and the peak resident
// memory, then exits.
#include "bench/ProcessProbe.h"
#include "persistence/KeptGame.h"
#include "platform/UiSetup.h"
#include "shell/Form1.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QUAVINTO"));
  platform::setUpJapaneseUi(app);
  quavinto::Form1 form;
  form.show();
  if (!benchprobe::waitUntilExposed(form)) return 2;
  quavinto::SavedGame game;
  QString why;
  const quavinto::KeptGame kept;
  const bool usable = kept.exists() && kept.check(&game, &why);
  const int64_t shown = benchprobe::monotonicNs();
  std::printf("shown_ns=%lld kept=%d peak_kb=%lld\n", static_cast<long long>(shown), usable ? 1 : 0,
              static_cast<long long>(benchprobe::peakResidentKb()));
  return 0;
}
