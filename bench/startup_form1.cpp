// Start-up probe: the program's own start (application, Japanese interface,
// main window) up to the main window shown; prints when that happened and the
// peak resident memory, then exits.
#include "bench/ProcessProbe.h"
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
  const int64_t shown = benchprobe::monotonicNs();
  std::printf("shown_ns=%lld peak_kb=%lld\n", static_cast<long long>(shown),
              static_cast<long long>(benchprobe::peakResidentKb()));
  return 0;
}
