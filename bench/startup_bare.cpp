// The yardstick for start-up and memory: a bare Qt program showing an empty
// main window; prints when it was shown and its peak resident memory.
#include "bench/ProcessProbe.h"

#include <QApplication>
#include <QMainWindow>

#include <cstdio>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.show();
  if (!benchprobe::waitUntilExposed(window)) return 2;
  const int64_t shown = benchprobe::monotonicNs();
  std::printf("shown_ns=%lld peak_kb=%lld\n", static_cast<long long>(shown),
              static_cast<long long>(benchprobe::peakResidentKb()));
  return 0;
}
