// Memory probe: the program with the 2048 x 1536 benchmark picture on a
// 30 x 30 board and a game started and painted; prints the peak resident memory.
#include "bench/BenchSupport.h"
#include "bench/ProcessProbe.h"
#include "platform/MsgBox.h"
#include "platform/UiSetup.h"
#include "shell/Form1.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QUAVINTO"));
  platform::setUpJapaneseUi(app);
  quavinto::Form1 form;
  {
    const QImage picture =
        benchsupport::makeDetailedPicture(benchsupport::kPictureWidth, benchsupport::kPictureHeight);
    if (!benchsupport::buildBoard(form, picture, benchsupport::kGrid, benchsupport::kGrid, nullptr)) return 2;
  }
  if (!benchsupport::showAndWait(form)) return 3;
  platform::setMsgBoxResponder([](const QString&, int, const QString&) { return platform::vbYes; });
  form.GStart_Click();
  benchsupport::settleEvents(100);
  if (form.state().GameRunning != 1) return 4;
  std::printf("peak_kb=%lld\n", static_cast<long long>(benchprobe::peakResidentKb()));
  return 0;
}
