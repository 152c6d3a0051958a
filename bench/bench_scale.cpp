// The board on a screen of two device pixels a pixel against one: each figure
// pairs a run of the scale probe (scale_game) at QT_SCALE_FACTOR=2 with one at
// 1, back to back, offscreen, on the same 12-megapixel photo (4032 x 3024)
// loaded by the picture command on a 30 x 30 board for a 1920 x 1080 screen,
// where the board is 1044 x 783 pixels either way, so four times as many
// device pixels at 2:
//
//   game_start_scale2_vs_scale1: the CPU time of one game start up to its
//     question (the median of fifteen starts in each probe) at 2 against 1;
//     median of five pairs. Target: at most 4.5.
//   peak_memory_scale2_vs_scale1: the peak resident memory of a probe that has
//     loaded the photo and started a game, above that probe's shown window
//     before the photo, at 2 against 1; median of three pairs. Target: at
//     most 4.5.
//
// Prints one line per figure, "name: value", and the details on standard
// error; exits 1 when a figure misses its target or a probe did not do its work.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

namespace {

constexpr int kTimePairs = 5;
constexpr int kPeakPairs = 3;

double reported(const QByteArray& output, const char* key) {
  for (const QByteArray& line : output.split('\n'))
    if (line.startsWith(QByteArray(key) + '=')) return line.mid(int(qstrlen(key)) + 1).toDouble();
  return -1;
}

// One probe run at `scale`; its output, or empty with `failures` told why.
QByteArray probe(const QString& photo, const char* mode, int scale, std::vector<std::string>* failures) {
  const QString program =
      QFileInfo(QCoreApplication::applicationFilePath()).absolutePath() + QStringLiteral("/scale_game");
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_FONT_DPI"})
    environment.remove(QString::fromLatin1(name));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(program, {photo, QString::fromLatin1(mode)});
  const bool ended = process.waitForFinished(300000);
  const QByteArray out = process.readAllStandardOutput();
  if (!ended || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
      reported(out, "ratio") != scale) {
    failures->push_back(std::string("scale_game ") + mode + " at scale " + std::to_string(scale) + " failed (exit " +
                        std::to_string(process.exitCode()) + "): " + out.toStdString() +
                        process.readAllStandardError().toStdString());
    return {};
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir work;
  // The player's own settings, kept games and records are neither read nor written.
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
    qputenv(name, work.path().toLocal8Bit());
  std::vector<std::string> failures;
  const QString photo = work.filePath(QStringLiteral("photo.jpg"));
  QString why;
  if (!benchsupport::writeLargestPhoto(photo, &why)) {
    std::cerr << why.toStdString() << "\n";
    return 1;
  }

  benchsupport::PairedRatios starts;
  std::vector<double> oneMs, twoMs;
  for (int pair = 0; pair < kTimePairs && failures.empty(); ++pair) {
    const QByteArray one = probe(photo, "time", 1, &failures), two = probe(photo, "time", 2, &failures);
    if (one.isEmpty() || two.isEmpty()) break;
    oneMs.push_back(reported(one, "start_ns") / 1e6);
    twoMs.push_back(reported(two, "start_ns") / 1e6);
    starts.add(int64_t(reported(two, "start_ns")), int64_t(reported(one, "start_ns")));
  }
  std::cerr << "game start, median CPU ms: scale 1 " << benchsupport::median(oneMs) << ", scale 2 "
            << benchsupport::median(twoMs) << "\n";

  std::vector<double> peaks;
  for (int pair = 0; pair < kPeakPairs && failures.empty(); ++pair) {
    const QByteArray one = probe(photo, "peak", 1, &failures), two = probe(photo, "peak", 2, &failures);
    if (one.isEmpty() || two.isEmpty()) break;
    const double extraOne = reported(one, "peak_kb") - reported(one, "idle_kb"),
                 extraTwo = reported(two, "peak_kb") - reported(two, "idle_kb");
    if (extraOne <= 0 || extraTwo <= 0) {
      failures.push_back("a probe reported no memory above its idle window");
      break;
    }
    peaks.push_back(extraTwo / extraOne);
    std::cerr << "peak above the idle window: scale 1 " << extraOne / 1024 << " MB (idle "
              << reported(one, "idle_kb") / 1024 << " MB), scale 2 " << extraTwo / 1024 << " MB (idle "
              << reported(two, "idle_kb") / 1024 << " MB)\n";
  }

  struct Figure {
    const char* name;
    double value;
    double limit;
  };
  const Figure figures[] = {{"game_start_scale2_vs_scale1", starts.median(), 4.5},
                            {"peak_memory_scale2_vs_scale1", benchsupport::median(peaks), 4.5}};
  bool allMet = failures.empty();
  for (const Figure& f : figures) {
    std::printf("%s: %.2f\n", f.name, f.value);
    if (!(f.value > 0 && f.value <= f.limit)) {
      std::cerr << f.name << " misses its target (at most " << f.limit << ")\n";
      allMet = false;
    }
  }
  for (const std::string& failure : failures) std::cerr << "failed: " << failure << "\n";
  std::fflush(stdout);
  return allMet ? 0 : 1;
}
