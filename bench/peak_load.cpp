// Memory probe of a picture load: the shown main window, idle, then the
// picture dialog answered with the photo given as the argument, as a player
// loads it from the menu. Prints the resident memory when idle, the peak
// while loading, and the bytes of the board picture the load produced.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "bench/LoadPhoto.h"
#include "platform/FileDialog.h"
#include "platform/MsgBox.h"
#include "platform/Screen.h"
#include "platform/UiSetup.h"
#include "shell/Form1.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  const QString photo = QString::fromLocal8Bit(argv[1]);
  QApplication::setApplicationName(QStringLiteral("QUAVINTO"));
  platform::setUpJapaneseUi(app);
  platform::setScreenOverride(0, 0, QRect(0, 0, benchload::kScreenWidth, benchload::kScreenHeight));
  int boxes = 0;
  platform::setMsgBoxResponder([&](const QString&, int, const QString&) {
    ++boxes;
    return platform::vbOK;
  });
  platform::setFileDialogResponder([&](const platform::CommonDialog&) { return std::optional<QString>(photo); });
  quavinto::Form1 form;
  form.show();
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

  if (!benchload::resetPeakResident()) return 3;
  const qint64 idle = benchload::statusKb("VmRSS");
  form.LoadPictureEx_Click();
  const qint64 peak = benchload::statusKb("VmHWM");
  if (boxes != 0 || form.vars().PictureFile != photo) return 4;
  std::printf("idle_kb=%lld\npeak_kb=%lld\nboard_bytes=%lld\nboard=%dx%d\n", static_cast<long long>(idle),
              static_cast<long long>(peak), static_cast<long long>(form.Picture1->picture().sizeInBytes()),
              form.Picture1->picture().width(), form.Picture1->picture().height());
  return 0;
}
