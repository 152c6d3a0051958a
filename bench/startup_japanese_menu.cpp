// The yardstick for start-up and memory: a plain Qt main window of the main
// window's size with the same menu bar, set up for the interface's language
// by the same set-up as the program (Qt's Japanese translation and a Japanese
// font, or the program's English translation), so it pays the translation and
// font loading any window with these texts pays. The language comes from the
// environment, as the program's does. Prints when it was shown, its peak
// resident memory, its menu count and the language it was set up in.
#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <cmath>
#include <cstdio>

#include "bench/JapaneseMenuBar.h"
#include "bench/ProcessProbe.h"
#include "platform/UiSetup.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QUAVINTO"));
  const bool translated = platform::setUpUi(app, platform::uiLanguageFromEnvironment());
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
  std::printf("shown_ns=%lld peak_kb=%lld menus=%lld english=%d translated=%d\n", static_cast<long long>(shown),
              static_cast<long long>(benchprobe::peakResidentKb()),
              static_cast<long long>(window.menuBar()->actions().size()),
              platform::currentUiLanguage() == platform::UiLanguage::English ? 1 : 0, translated ? 1 : 0);
  return 0;
}
