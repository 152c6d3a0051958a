// The kept-game figures, offscreen, on the benchmark's 2048 x 1536 picture
// cut into 30 x 30 pieces with a game in play:
//
//   autosave_write_vs_save: the wall time of one write of the kept game (the
//     board taken, the folder made if needed, the file written atomically)
//     against one save of the same game to a game file (the board taken and
//     written atomically, the dialog left out); medians of interleaved runs.
//     Target: at most 1.2.
//   autosave_writes_per_second_fast_moves: kept-game writes per second while
//     moves come every 40 ms for three seconds of real play through the event
//     loop; the last move must be in the kept game half a second later.
//     Target: at most 2.
//   autosave_ui_block_vs_frame: the window thread's time for one autosave of
//     the 30 x 30 game (the board copied for the writer thread, which writes
//     and syncs it) against a 16 ms frame; median. Target: at most 0.1.
//   completion_ui_block_256mb_picture_vs_frame: with a picture file of 256 MB
//     on a 2 x 1 board whose content key was computed as the picture loaded,
//     the window thread's time from the last move until it is free again (the
//     congratulation, the records and the kept game's end, every box answered
//     at once) against a 16 ms frame; median. Target: at most 1.
//
// Prints one line per figure, "name: value", and the details on standard
// error; exits 1 when a figure misses its target or a step did not do its work.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "core/PlayMoves.h"
#include "persistence/GameFileIo.h"
#include "persistence/KeptGame.h"
#include "persistence/PictureKey.h"
#include "pictures/PictureLoading.h"
#include "platform/Clock.h"
#include "platform/MsgBox.h"
#include "platform/SettingsStore.h"
#include "shell/Form1.h"

namespace {

using namespace benchsupport;

constexpr int kWriteRuns = 41;
constexpr int kMoveEveryMs = 40;
constexpr int kPlayMs = 3000;

double medianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

quavinto::Move nthMove(int n) {
  const quavinto::Cell a{1 + (7 * n) % kGrid, 1 + (11 * n) % kGrid};
  quavinto::Cell b{1 + (13 * n + 5) % kGrid, 1 + (17 * n + 3) % kGrid};
  if (a == b) b.row = b.row % kGrid + 1;
  return n % 3 == 0 ? quavinto::Move::turn(a) : quavinto::Move::exchange(a, b);
}

constexpr double kFrameNs = 16e6;
constexpr qint64 kLargePictureBytes = 256LL << 20;
constexpr int kCompletionRuns = 7;

// Games on a 2 x 1 board of a picture whose file is 256 MB (a small PNG with
// the rest of the file after its end), each finished by its last move.
double completionBlockWith256MbPicture(const QString& folder, std::vector<std::string>* failures) {
  const QString path = folder + QStringLiteral("/large.png");
  {
    QImage picture = makeDetailedPicture(240, 120);
    QFile file(path);
    if (!picture.save(&file, "PNG")) {
      failures->push_back("the large picture was not written");
      return 0;
    }
    const QByteArray tail(1 << 20, '\0');
    while (file.size() < kLargePictureBytes) file.write(tail);
  }
  quavinto::Form1 form;
  form.state().Xn = 2;
  form.state().Yn = 1;
  form.ResetView();
  const platform::MsgBoxResponder previous =
      platform::setMsgBoxResponder([](const QString&, int, const QString&) { return platform::vbYes; });
  std::vector<double> blocks;
  if (!quavinto::takePictureFile(form, path).built()) failures->push_back("the large picture was refused");
  // The player looks at the board for longer than the hash takes.
  form.pictureKeys->waitForKey();
  for (int run = 0; run < kCompletionRuns && form.Picture1->picture().width() > 0; ++run) {
    form.GStart_Click();
    quavinto::GameState& g = form.state();
    quavinto::InitMap(g);
    g.RMap = quavinto::Grid{};
    g.RMap[1][1] = 1;
    QElapsedTimer timer;
    timer.start();
    quavinto::playMove(form, quavinto::Move::turn({1, 1}));
    blocks.push_back(double(timer.nsecsElapsed()) / kFrameNs);
    if (g.GameRunning != 0) failures->push_back("the last move did not finish the game");
    form.keeper->finishWrites();
  }
  platform::setMsgBoxResponder(previous);
  QFile::remove(path);
  std::cerr << "completion with a 256 MB picture, window thread: " << medianOf(blocks) * 16 << " ms\n";
  return medianOf(blocks);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir work;
  // The player's own settings and kept game are neither read nor written.
  setenv("XDG_CONFIG_HOME", work.path().toLocal8Bit().constData(), 1);
  setenv("XDG_STATE_HOME", (work.path() + QStringLiteral("/state")).toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  platform::setSettingsRoot(work.path());

  quavinto::Form1 form;
  QString why;
  if (!buildBoard(form, makeDetailedPicture(kPictureWidth, kPictureHeight), kGrid, kGrid, &why)) {
    std::cerr << "the board refused the picture: " << why.toStdString() << "\n";
    return 1;
  }
  const platform::MsgBoxResponder previous =
      platform::setMsgBoxResponder([](const QString&, int, const QString&) { return platform::vbYes; });
  form.GStart_Click();
  platform::setMsgBoxResponder(previous);
  if (form.state().GameRunning != 1) {
    std::cerr << "the game did not start\n";
    return 1;
  }
  for (int n = 1; n <= 20; ++n) quavinto::playMove(form, nthMove(n));
  form.keeper->writePending();
  std::vector<std::string> failures;

  // One kept-game write against one save, interleaved.
  const QString saved = work.path() + QStringLiteral("/mine.QVD");
  std::vector<double> ratios;
  const int writesBefore = form.keeper->writes();
  for (int run = 0; run < kWriteRuns; ++run) {
    QElapsedTimer timer;
    timer.start();
    form.keeper->keepNow();
    const qint64 keptNs = timer.nsecsElapsed();
    timer.restart();
    quavinto::MainVars& v = form.vars();
    v.ElapsedSeconds = quavinto::playedSeconds(form, platform::secondsSinceMidnight());
    QString error;
    const bool ok = quavinto::saveGameFile(saved, quavinto::captureSavedGame(form.state(), v), &error);
    const qint64 saveNs = timer.nsecsElapsed();
    if (!ok) failures.push_back("a save failed: " + error.toStdString());
    if (saveNs > 0) ratios.push_back(double(keptNs) / double(saveNs));
  }
  if (form.keeper->writes() - writesBefore != kWriteRuns) failures.push_back("not every kept-game write was made");
  quavinto::SavedGame kept, mine;
  if (!quavinto::loadGameFile(form.keeper->current().filePath(), &kept, nullptr) ||
      !quavinto::loadGameFile(saved, &mine, nullptr) || kept.Map != mine.Map || kept.RMap != mine.RMap)
    failures.push_back("the kept game and the saved game differ");
  const double writeRatio = medianOf(ratios);

  // The window thread's share of one autosave.
  std::vector<double> blocks;
  for (int run = 0; run < kWriteRuns; ++run) {
    form.keeper->finishWrites();
    QElapsedTimer timer;
    timer.start();
    form.keeper->keepSoon();
    blocks.push_back(double(timer.nsecsElapsed()) / kFrameNs);
  }
  form.keeper->finishWrites();
  const double uiBlock = medianOf(blocks);

  // Moves faster than the timer, through the event loop as a player makes them.
  const int writesAtStart = form.keeper->writes();
  QElapsedTimer play;
  play.start();
  int n = 100;
  while (play.elapsed() < kPlayMs) {
    quavinto::playMove(form, nthMove(++n));
    QElapsedTimer gap;
    gap.start();
    while (gap.elapsed() < kMoveEveryMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  const double playedSeconds = play.elapsed() / 1000.0;
  const int writes = form.keeper->writes() - writesAtStart;
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < quavinto::GameKeeper::kIntervalMs + 100)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  if (!quavinto::loadGameFile(form.keeper->current().filePath(), &kept, nullptr) || kept.Map != form.state().Map ||
      kept.RMap != form.state().RMap)
    failures.push_back("the last move is not in the kept game half a second later");
  if (writes < 1) failures.push_back("no kept-game write while moves came");
  const double perSecond = writes / playedSeconds;
  std::cerr << "kept-game write vs save, median of " << ratios.size() << " pairs: " << writeRatio << "\n"
            << (n - 100) << " moves in " << playedSeconds << " s, " << writes << " kept-game writes\n";

  const double completionBlock = completionBlockWith256MbPicture(work.path(), &failures);

  struct Figure {
    const char* name;
    double value;
    double limit;
  };
  const Figure figures[] = {{"autosave_write_vs_save", writeRatio, 1.2},
                            {"autosave_writes_per_second_fast_moves", perSecond, 2.0},
                            {"autosave_ui_block_vs_frame", uiBlock, 0.1},
                            {"completion_ui_block_256mb_picture_vs_frame", completionBlock, 1.0}};
  bool allMet = failures.empty();
  for (const Figure& f : figures) {
    std::printf("%s: %.2f\n", f.name, f.value);
    if (f.value <= 0 || f.value > f.limit) {
      std::cerr << f.name << " misses its target (at most " << f.limit << ")\n";
      allMet = false;
    }
  }
  for (const std::string& failure : failures) std::cerr << "failed: " << failure << "\n";
  std::fflush(stdout);
  return allMet ? 0 : 1;
}
