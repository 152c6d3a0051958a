// Scale probe: the program at the device pixel ratio its environment gives
// (QT_SCALE_FACTOR), the photo given as the first argument loaded by the
// picture command on a 30 x 30 board for a 1920 x 1080 screen, and then, by
// the second argument:
//   time  game starts up to their question (answered No, so the next can
//         follow); prints the median CPU time of one start and the number made;
//   peak  one game started and painted; prints the resident memory of the
//         shown window before the photo and the peak after the start.
// Both check that the board draws at the expected ratio and shows the pieces
// the grid names, at its device resolution.
#include <QApplication>
#include <QFile>
#include <cstdio>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/ProcessProbe.h"
#include "platform/MsgBox.h"
#include "platform/PictureBox.h"
#include "platform/UiSetup.h"
#include "shell/Form1.h"
#include "shell/Messages.h"

namespace {

constexpr int kStarts = 15;

long long statusKb(const char* name) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray key = QByteArray(name) + ':';
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
  return -1;
}

// Empty when the board's drawing at the screen's resolution shows what the grid says.
QString drawnProblem(quavinto::Form1& form) {
  platform::PictureBox* board = form.Picture1;
  const qreal ratio = board->deviceRatio();
  if (ratio == 1) return benchsupport::boardProblem(board->retained(), board->picture(), form.state(), form.vars());
  return benchsupport::boardProblem(board->fineRetained(), board->finePicture(), form.state(), form.vars(), ratio);
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 3) return 2;
  const QString photo = QString::fromLocal8Bit(argv[1]);
  const bool timing = qstrcmp(argv[2], "time") == 0;
  QApplication::setApplicationName(QStringLiteral("QUAVINTO"));
  platform::setUpJapaneseUi(app);
  quavinto::Form1 form;
  if (!benchsupport::showAndWait(form)) return 3;
  const long long idleKb = statusKb("VmRSS");
  QString why;
  if (!benchsupport::loadPhotoBoard(form, photo, &why)) {
    std::printf("failed=%s\n", why.toUtf8().constData());
    return 4;
  }
  benchsupport::settleEvents(100);
  const qreal ratio = form.Picture1->deviceRatio();
  const double wanted =
      qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR") ? 1.0 : qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
  if (ratio != wanted || form.devicePixelRatioF() != wanted) {
    std::printf("failed=the board draws at %g device pixels a pixel, not %g\n", ratio, wanted);
    return 5;
  }

  int questions = 0;
  platform::setMsgBoxResponder([&](const QString& text, int, const QString&) {
    if (text == quavinto::startQuestionText()) ++questions;
    return timing ? platform::vbNo : platform::vbYes;
  });
  std::vector<double> startNs;
  for (int run = 0; run < (timing ? kStarts : 1); ++run) {
    const int64_t start = benchsupport::processCpuNs();
    form.GStart_Click();
    startNs.push_back(double(benchsupport::processCpuNs() - start));
    // The repaint the start queued belongs to the time after the question.
    benchsupport::settleEvents(timing ? 5 : 100);
  }
  if (questions != int(startNs.size()) || (!timing && form.state().GameRunning != 1)) {
    std::printf("failed=a start did not reach its question or did not begin the game\n");
    return 6;
  }
  const QString problem = drawnProblem(form);
  if (!problem.isEmpty()) {
    std::printf("failed=%s\n", problem.toUtf8().constData());
    return 7;
  }
  if (timing)
    std::printf("start_ns=%.0f\nstarts=%zu\n", benchsupport::median(startNs), startNs.size());
  else
    std::printf("idle_kb=%lld\npeak_kb=%lld\n", idleKb, static_cast<long long>(benchprobe::peakResidentKb()));
  std::printf("ratio=%g\nboard=%dx%d\n", ratio, form.Picture1->picture().width(), form.Picture1->picture().height());
  return 0;
}
