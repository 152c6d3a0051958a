// Memory probe: the program with the 2048 x 1536 benchmark picture on a
// 30 x 30 board, a game started and painted and 10,000 moves played (each kept
// for undo); prints the peak resident memory.
#include "bench/BenchSupport.h"
#include "bench/ProcessProbe.h"
#include "core/PlayMoves.h"
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
  // Exchanges and turns spread over the board; none completes the puzzle.
  constexpr int kMoves = 10000, n = benchsupport::kGrid;
  for (int i = 0; i < kMoves; ++i) {
    const quavinto::Cell a{1 + (7 * i) % n, 1 + (11 * i) % n}, b{1 + (13 * i + 5) % n, 1 + (17 * i + 3) % n};
    quavinto::playMove(form, i % 3 == 2 ? quavinto::Move::turn(a) : quavinto::Move::exchange(a, b));
  }
  benchsupport::settleEvents(100);
  if (form.play().history.count() < kMoves * 9 / 10) return 5;
  std::printf("peak_kb=%lld\n", static_cast<long long>(benchprobe::peakResidentKb()));
  return 0;
}
