// The yardstick for start-up and memory: a plain Qt main window of the main
// window's size with the same Japanese menu bar, set up as any Japanese
// window must be (Qt's Japanese translation loaded, a Japanese font chosen),
// so it pays the translation and font loading any window with text pays.
// Prints when it was shown, its peak resident memory and its menu count.
#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <cmath>
#include <cstdio>

#include "bench/JapaneseMenuBar.h"
#include "bench/ProcessProbe.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QUAVINTO"));
  benchmenu::setUpJapaneseText(app);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("QUAVINTO"));
  // 8664 x 4608 twips, the main window's size, at the screen's resolution.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpiX = screen ? screen->logicalDotsPerInchX() : 96, dpiY = screen ? screen->logicalDotsPerInchY() : 96;
  window.resize(int(std::lround(8664 * dpiX / 1440)), int(std::lround(4608 * dpiY / 1440)));
  benchmenu::buildMenuBar(window.menuBar());
  window.show();
  if (!benchprobe::waitUntilExposed(window)) return 2;
  const int64_t shown = benchprobe::monotonicNs();
  std::printf("shown_ns=%lld peak_kb=%lld menus=%lld\n", static_cast<long long>(shown),
              static_cast<long long>(benchprobe::peakResidentKb()),
              static_cast<long long>(window.menuBar()->actions().size()));
  return 0;
}
