// Start-up probe: the program's own start (application, interface in the
// environment's language, main window) up to the main window shown and, with
// ten kept games present, their listing and the newest one's checks up to the
// question whether to go on with it; prints when that
// happened, whether a kept game was found usable, the peak resident memory and
// the language set up, then exits.
#include "bench/ProcessProbe.h"
#include "persistence/KeptGame.h"
#include "platform/UiSetup.h"
#include "shell/Form1.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QUAVINTO"));
  const bool translated = platform::setUpUi(app, platform::uiLanguageFromEnvironment());
  quavinto::Form1 form;
  form.show();
  if (!benchprobe::waitUntilExposed(form)) return 2;
  quavinto::SavedGame game;
  QString why;
  const QList<quavinto::KeptGame> kept = quavinto::KeptGames().list();
  const bool usable = kept.size() == quavinto::kKeptGames && kept.first().check(&game, &why);
  const int64_t shown = benchprobe::monotonicNs();
  std::printf("shown_ns=%lld kept=%d peak_kb=%lld english=%d translated=%d\n", static_cast<long long>(shown),
              usable ? 1 : 0, static_cast<long long>(benchprobe::peakResidentKb()),
              platform::currentUiLanguage() == platform::UiLanguage::English ? 1 : 0, translated ? 1 : 0);
  return 0;
}
