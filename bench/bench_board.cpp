// QUAVINTO's benchmarks: each figure is a ratio of two measurements taken in
// the same run, offscreen: on a 2048 x 1536 picture cut into 30 x 30 pieces,
// and on the largest board the picture command builds (a 12-megapixel photo
// fitted to a 1920 x 1080 screen, 30 x 30 pieces).
//
// In-process figures run under Google Benchmark and count the CPU time of the
// whole process (every thread), which other programs on a busy machine
// disturb far less than the time on the clock. A figure against memcpy pairs
// each run of the work with a memcpy of its picture's bytes timed just before
// it, so the yardstick meets the caches as the work leaves them; the figure is
// the median over repetitions of each repetition's median pair ratio.
// Start-up time and peak memory are measured on separate small programs
// started from here. Prints one line per figure, "name: value"; the detailed
// Google Benchmark report goes to standard error. Exits 1 when a measured
// step did not do its work or a figure misses its target.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/ProcessProbe.h"
#include "core/GameFlow.h"
#include "core/PieceDrawing.h"
#include "core/PlayMoves.h"
#include "persistence/Records.h"
#include "platform/Clock.h"
#include "interaction/BoardMoves.h"
#include "persistence/KeptGame.h"
#include "pictures/BoardLayout.h"
#include "pictures/RecentPictures.h"
#include "platform/ManualDrag.h"
#include "platform/MsgBox.h"
#include "platform/PictureBox.h"
#include "platform/SettingsStore.h"
#include "shell/Form1.h"
#include "shell/GameInPlay.h"
#include "shell/Messages.h"

extern char** environ;

namespace {

using namespace benchsupport;
using quavinto::Form1;

constexpr int kStartupRuns = 25;
constexpr int kPeakRuns = 5;

// Keeps the median of every benchmark, by name, and passes the report on.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  MedianReporter() : benchmark::ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) failures.push_back(run.run_name.function_name + ": " + run.error_message);
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
      Median& m = medians[run.run_name.function_name];
      m.cpuTime = run.GetAdjustedCPUTime();
      for (const auto& [name, counter] : run.counters) m.counters[name] = counter.value;
    }
    benchmark::ConsoleReporter::ReportRuns(runs);
  }
  struct Median {
    double cpuTime = 0;
    std::map<std::string, double> counters;
  };
  std::map<std::string, Median> medians;
  std::vector<std::string> failures;
};

// A shown main window with its board, and the memcpy yardstick of its picture.
struct Board {
  QImage picture;
  Form1 form;
  std::unique_ptr<MemcpyReference> reference;
  int pieceArea() { return form.vars().PieceWidth * form.vars().PieceHeight; }
};

// The 2048 x 1536 board most figures use, and the largest board the program builds.
Board* gBoard = nullptr;
Board* gLargest = nullptr;

// Times one memcpy of the board's picture outside the benchmark's own timing.
int64_t timeReference(benchmark::State& state, Board& board) {
  state.PauseTiming();
  const int64_t ns = board.reference->copyOnce();
  state.ResumeTiming();
  return ns;
}

// Reports the pairs as the "vs_memcpy" counter; false (and the run marked
// failed) when the yardstick did not copy the picture.
bool reportAgainstMemcpy(benchmark::State& state, Board& board, const PairedRatios& ratios) {
  if (!board.reference->copyIsExact()) {
    state.SkipWithError("the memcpy yardstick did not copy the picture");
    return false;
  }
  state.counters["vs_memcpy"] = ratios.median();
  return true;
}

// Clears the reversed image so that a check afterwards proves the method built it.
void clearReversed() { gBoard->form.Picture4->retained().fill(0); }

void checkReversed(benchmark::State& state) {
  const quavinto::MainVars& v = gBoard->form.vars();
  const QString problem = reversedImageProblem(gBoard->form.Picture4->retained(), gBoard->form.Picture1->picture(),
                                               kGrid, kGrid, v.PieceWidth, v.PieceHeight);
  if (!problem.isEmpty()) state.SkipWithError(problem.toStdString().c_str());
}

void BM_drawreverse(benchmark::State& state) {
  clearReversed();
  PairedRatios ratios;
  for (auto _ : state) {
    const int64_t reference = timeReference(state, *gBoard);
    const int64_t start = processCpuNs();
    quavinto::DrawReverse(gBoard->form);
    ratios.add(processCpuNs() - start, reference);
  }
  if (reportAgainstMemcpy(state, *gBoard, ratios)) checkReversed(state);
}

void BM_perpixel_reverse(benchmark::State& state) {
  clearReversed();
  for (auto _ : state) reverseByPixels(gBoard->form);
  checkReversed(state);
}

// A whole game start up to its question, answered No so the next one can follow.
void gameStarts(benchmark::State& state, Board& board) {
  Form1& form = board.form;
  int questions = 0;
  const platform::MsgBoxResponder previous =
      platform::setMsgBoxResponder([&](const QString& text, int, const QString&) {
        if (text == quavinto::startQuestionText()) ++questions;
        return platform::vbNo;
      });
  settleEvents();
  PairedRatios ratios;
  for (auto _ : state) {
    const int64_t reference = timeReference(state, board);
    const int64_t start = processCpuNs();
    form.GStart_Click();
    ratios.add(processCpuNs() - start, reference);
    // The repaint the start queued belongs to the time after the question.
    state.PauseTiming();
    settleEvents(5);
    state.ResumeTiming();
  }
  platform::setMsgBoxResponder(previous);
  if (!reportAgainstMemcpy(state, board, ratios)) return;
  if (questions != int(state.iterations())) {
    state.SkipWithError("a start did not reach its question");
    return;
  }
  const QString problem = boardProblem(form.Picture1->retained(), form.Picture1->picture(), form.state(), form.vars());
  if (!problem.isEmpty()) state.SkipWithError(problem.toStdString().c_str());
}

void BM_gamestart(benchmark::State& state) { gameStarts(state, *gBoard); }
void BM_gamestart_largest_board(benchmark::State& state) { gameStarts(state, *gLargest); }

QPoint cellCentre(const quavinto::MainVars& v, int col, int row) {
  return QPoint((col - 1) * v.PieceWidth + v.PieceWidth / 2, (row - 1) * v.PieceHeight + v.PieceHeight / 2);
}

void BM_drop_repaint(benchmark::State& state) {
  Form1& form = gBoard->form;
  quavinto::GameState& g = form.state();
  const quavinto::MainVars& v = form.vars();
  const platform::MsgBoxResponder previous =
      platform::setMsgBoxResponder([](const QString&, int, const QString&) { return platform::vbYes; });
  form.GStart_Click();
  platform::setMsgBoxResponder(previous);
  if (g.GameRunning != 1) {
    state.SkipWithError("the game did not start");
    return;
  }
  settleEvents();
  qint64 painted = 0;
  int drop = 0;
  for (auto _ : state) {
    ++drop;
    const QPoint floating = form.Picture2->pos();
    const int floatCol = floating.x() / v.PieceWidth + 1, floatRow = floating.y() / v.PieceHeight + 1;
    int fromCol = 1 + (7 * drop) % kGrid, fromRow = 1 + (11 * drop) % kGrid;
    if (fromCol == floatCol && fromRow == floatRow) fromCol = fromCol % kGrid + 1;
    int toCol = 1 + (13 * drop + 5) % kGrid, toRow = 1 + (17 * drop + 3) % kGrid;
    if (toCol == fromCol && toRow == fromRow) toRow = toRow % kGrid + 1;
    const int16_t picked = g.Map[fromCol][fromRow], covered = g.Map[toCol][toRow];

    const QPoint from = cellCentre(v, fromCol, fromRow), to = cellCentre(v, toCol, toRow);
    quavinto::Picture1_MouseDown(form, 1, from.x(), from.y());
    platform::cancelDrag();
    settleEvents();
    platform::PictureBox::resetPaintedPixels();
    quavinto::Picture1_DragDrop(form, quavinto::floatingTag(), to.x(), to.y());
    settleEvents();
    const qint64 pixels = platform::PictureBox::paintedPixels();
    painted += pixels;

    if (g.Map[toCol][toRow] != picked || g.Map[fromCol][fromRow] != covered) {
      state.SkipWithError("a drop did not exchange the two pieces");
      return;
    }
    // The cell the piece left must show its new piece: at least one piece repainted.
    if (pixels < gBoard->pieceArea()) {
      state.SkipWithError("a drop repainted less than the cell it emptied");
      return;
    }
  }
  state.counters["pixels_per_piece"] = double(painted) / double(state.iterations()) / gBoard->pieceArea();
}

// Starts a game on the benchmark board unless one is in play.
bool gameInPlay(Form1& form) {
  if (form.state().GameRunning == 1) return true;
  const platform::MsgBoxResponder previous =
      platform::setMsgBoxResponder([](const QString&, int, const QString&) { return platform::vbYes; });
  form.GStart_Click();
  platform::setMsgBoxResponder(previous);
  settleEvents();
  return form.state().GameRunning == 1;
}

// Undoing an exchange repaints the two cells it changed and nothing more.
void BM_undo_repaint(benchmark::State& state) {
  Form1& form = gBoard->form;
  quavinto::GameState& g = form.state();
  if (!gameInPlay(form)) {
    state.SkipWithError("no game in play");
    return;
  }
  qint64 painted = 0;
  int move = 0;
  for (auto _ : state) {
    ++move;
    const quavinto::Cell a{1 + (7 * move) % kGrid, 1 + (11 * move) % kGrid};
    quavinto::Cell b{1 + (13 * move + 5) % kGrid, 1 + (17 * move + 3) % kGrid};
    if (a == b) b.row = b.row % kGrid + 1;
    const quavinto::GameState before = g;
    quavinto::playMove(form, quavinto::Move::exchange(a, b));
    settleEvents();
    platform::PictureBox::resetPaintedPixels();
    const bool undone = quavinto::undoMove(form);
    settleEvents();
    painted += platform::PictureBox::paintedPixels();
    if (!undone || g.Map != before.Map || g.RMap != before.RMap) {
      state.SkipWithError("an undo did not give the grids back");
      return;
    }
  }
  state.counters["pixels_per_piece"] = double(painted) / double(state.iterations()) / gBoard->pieceArea();
}

// Ten ticks of the clock repaint no pixel of the board or the floating piece.
void BM_clock_tick(benchmark::State& state) {
  Form1& form = gBoard->form;
  if (!gameInPlay(form)) {
    state.SkipWithError("no game in play");
    return;
  }
  double now = 40000;
  platform::setClock([&now] { return now; });
  qint64 painted = 0;
  for (auto _ : state) {
    settleEvents();
    platform::PictureBox::resetPaintedPixels();
    const QString before = form.inPlay().clockText();
    for (int tick = 0; tick < 10; ++tick) {
      now += 1;
      form.inPlay().tickClock();
      settleEvents();
    }
    painted += platform::PictureBox::paintedPixels();
    if (form.inPlay().clockText() == before) {
      state.SkipWithError("the clock did not move");
      break;
    }
  }
  platform::setClock({});
  state.counters["board_pixels"] = double(painted);
}

// A helper program's run: when it was started, what it printed, how it ended.
struct ChildRun {
  int64_t startedNs = 0;
  std::string output;
  bool ok = false;
};

// The environment with `lang` as the desktop's only language setting, or as
// it is when `lang` is empty.
std::vector<std::string> environmentWith(const std::string& lang) {
  std::vector<std::string> out;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (!lang.empty() && (name == "LANGUAGE" || name == "LC_ALL" || name == "LC_MESSAGES" || name == "LANG")) continue;
    out.push_back(entry);
  }
  if (!lang.empty()) out.push_back("LANG=" + lang);
  return out;
}

ChildRun runChild(const std::string& program, const std::string& lang = std::string()) {
  ChildRun run;
  std::vector<std::string> environment = environmentWith(lang);
  std::vector<char*> env;
  for (std::string& entry : environment) env.push_back(entry.data());
  env.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = 0;
  run.startedNs = benchprobe::monotonicNs();
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, env.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return run;
  }
  char buffer[512];
  ssize_t got = 0;
  while ((got = read(out[0], buffer, sizeof buffer)) > 0) run.output.append(buffer, size_t(got));
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

// The value of "key=value" in a helper's output, or -1.
int64_t reported(const std::string& output, const std::string& key) {
  const size_t at = output.find(key + "=");
  if (at == std::string::npos) return -1;
  return std::strtoll(output.c_str() + at + key.size() + 1, nullptr, 10);
}

struct ProcessFigures {
  double startupRatio = 0;
  double startupRatioEnglish = 0;
  double peakRatio = 0;
  std::vector<std::string> failures;
};

// The desktop settings the start-up is timed under, one per language.
constexpr const char* kJapaneseDesktop = "ja_JP.UTF-8";
constexpr const char* kEnglishDesktop = "en_US.UTF-8";

ProcessFigures measureProcesses(const std::string& folder) {
  ProcessFigures figures;
  const std::string form1 = folder + "/startup_form1", menu = folder + "/startup_japanese_menu",
                    game = folder + "/peak_game";
  std::vector<double> form1Ms, menuMs, menuKb, gameKb, form1EnglishMs, menuEnglishMs;
  const auto startup = [&](const std::string& program, const std::string& lang, std::vector<double>* ms,
                           std::vector<double>* kb) {
    const ChildRun run = runChild(program, lang);
    const int64_t shown = reported(run.output, "shown_ns");
    const int64_t peak = reported(run.output, "peak_kb");
    if (!run.ok || shown <= run.startedNs || peak <= 0) {
      figures.failures.push_back(program + " did not show its window: " + run.output);
      return;
    }
    // The program starts with a kept game to offer, which it must find usable.
    if (program == form1 && reported(run.output, "kept") != 1) {
      figures.failures.push_back(program + " found no usable kept game: " + run.output);
      return;
    }
    // The yardstick must really show the main window's five menus.
    if (program == menu && reported(run.output, "menus") != 5) {
      figures.failures.push_back(program + " did not build the menu bar: " + run.output);
      return;
    }
    // Both must run in the language asked for, with its translation loaded.
    const bool english = lang == kEnglishDesktop;
    if (reported(run.output, "english") != (english ? 1 : 0) || reported(run.output, "translated") != 1) {
      figures.failures.push_back(program + " did not set up its " + (english ? "English" : "Japanese") +
                                 " interface: " + run.output);
      return;
    }
    if (ms) ms->push_back(double(shown - run.startedNs) / 1e6);
    if (kb) kb->push_back(double(peak));
  };
  // One run of each first, to bring the programs and libraries into the cache.
  for (const char* lang : {kJapaneseDesktop, kEnglishDesktop}) {
    startup(menu, lang, nullptr, nullptr);
    startup(form1, lang, nullptr, nullptr);
  }
  // Each figure is the median of pairs started back to back, the yardstick
  // first, so a burst of load from other programs spoils a pair or two, not
  // the figure; the languages take turns.
  PairedRatios japanese, english;
  const auto pair = [&](const char* lang, std::vector<double>* menuTimes, std::vector<double>* form1Times,
                        std::vector<double>* kb, PairedRatios* ratios) {
    const size_t before = menuTimes->size() + form1Times->size();
    startup(menu, lang, menuTimes, kb);
    startup(form1, lang, form1Times, nullptr);
    if (menuTimes->size() + form1Times->size() == before + 2)
      ratios->add(int64_t(form1Times->back() * 1e6), int64_t(menuTimes->back() * 1e6));
  };
  for (int i = 0; i < kStartupRuns; ++i) {
    pair(kJapaneseDesktop, &menuMs, &form1Ms, &menuKb, &japanese);
    pair(kEnglishDesktop, &menuEnglishMs, &form1EnglishMs, nullptr, &english);
  }
  for (int i = 0; i < kPeakRuns; ++i) {
    const ChildRun run = runChild(game);
    const int64_t peak = reported(run.output, "peak_kb");
    if (!run.ok || peak <= 0) {
      figures.failures.push_back(game + " did not start its game: " + run.output);
      continue;
    }
    gameKb.push_back(double(peak));
  }
  figures.startupRatio = japanese.median();
  figures.startupRatioEnglish = english.median();
  if (!menuKb.empty() && !gameKb.empty()) {
    const double pictureBytes = double(kPictureWidth) * kPictureHeight * 4;
    figures.peakRatio = (median(gameKb) - median(menuKb)) * 1024.0 / pictureBytes;
  }
  std::cerr << "start-up to shown, median ms: QUAVINTO " << median(form1Ms) << ", Qt window with the menu bar "
            << median(menuMs) << "; in English: QUAVINTO " << median(form1EnglishMs) << ", Qt window with the menu bar "
            << median(menuEnglishMs) << "\npeak resident, median kB: game " << median(gameKb)
            << ", Qt window with the menu bar " << median(menuKb) << "\n";
  return figures;
}

struct Figure {
  const char* name;
  double value;
  double limit;
  bool atMost;
};

// Ten photos of 6000 x 4000 in `folder`, each on the recent pictures list.
bool fillRecentPictures(const QString& folder) {
  QImage photo(6000, 4000, QImage::Format_RGB32);
  for (int y = 0; y < photo.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
    for (int x = 0; x < photo.width(); ++x) line[x] = qRgb(x % 256, y % 256, (x ^ y) & 255);
  }
  const QString first = folder + QStringLiteral("/recent-0.jpg");
  if (!photo.save(first, "JPEG", 90)) return false;
  for (int i = 0; i < quavinto::kMaxRecentPictures; ++i) {
    const QString path = folder + QStringLiteral("/recent-%1.jpg").arg(i);
    if (i > 0 && !QFile::copy(first, path)) return false;
    quavinto::rememberRecentPicture(path);
  }
  return quavinto::readRecentPictures().size() == quavinto::kMaxRecentPictures;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir settings;
  // The player's own settings are neither read nor written, here or in the helpers.
  setenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit().constData(), 1);
  // A player's records file of 10,000 games is there for every program started
  // here: reading it must stay off the start-up path.
  setenv("XDG_DATA_HOME", (settings.path() + "/data").toLocal8Bit().constData(), 1);
  // A full recent pictures list of 24-megapixel photos without thumbnails:
  // start-up must read none of them.
  setenv("XDG_STATE_HOME", settings.path().toLocal8Bit().constData(), 1);
  setenv("XDG_CACHE_HOME", settings.path().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  platform::setSettingsRoot(settings.path());
  if (!fillRecentPictures(settings.path())) {
    std::cerr << "the recent pictures list could not be filled\n";
    return 1;
  }
  // Repetitions of different benchmarks are interleaved in random order, so a
  // burst of load from other programs falls on both sides of a ratio alike.
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::string minTime = "--benchmark_min_time=0.2";
  args.insert(args.begin() + 1, {interleave.data(), minTime.data()});
  int benchArgc = int(args.size());
  benchmark::Initialize(&benchArgc, args.data());

  Board board;
  board.picture = makeDetailedPicture(kPictureWidth, kPictureHeight);
  QString why;
  if (!buildBoard(board.form, board.picture, kGrid, kGrid, &why)) {
    std::cerr << "the board refused the picture: " << why.toStdString() << "\n";
    return 1;
  }
  if (!showAndWait(board.form)) {
    std::cerr << "the main window was never exposed\n";
    return 1;
  }
  gBoard = &board;
  board.reference = std::make_unique<MemcpyReference>(board.picture);
  {
    QList<quavinto::Record> records;
    for (int i = 0; i < 10000; ++i)
      records.append({QStringLiteral("sha256:%1").arg(i / 10, 64, 16, QLatin1Char('0')), 1 + i % 30, 1 + i / 30 % 30,
                      60 + i, 40 + i % 500, QDateTime(QDate(2026, 1, 1), QTime(12, 0)).addSecs(i), i % 7 == 0});
    QDir().mkpath(quavinto::recordsFolder());
    QFile file(quavinto::RecordStore().filePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(quavinto::formatRecords(records)) <= 0) {
      std::cerr << "the records file was not written\n";
      return 1;
    }
  }

  Board largest;
  {
    // A message box would wait for a player; its text says what went wrong.
    QString message;
    const platform::MsgBoxResponder previous =
        platform::setMsgBoxResponder([&](const QString& text, int, const QString&) {
          message = text;
          return platform::vbOK;
        });
    const bool loaded = loadLargestBoard(largest.form, settings.path(), &why);
    platform::setMsgBoxResponder(previous);
    if (!loaded) {
      std::cerr << "the largest board was not built: " << why.toStdString() << " " << message.toStdString() << "\n";
      return 1;
    }
  }
  if (!showAndWait(largest.form)) {
    std::cerr << "the largest board's window was never exposed\n";
    return 1;
  }
  largest.picture = largest.form.Picture1->picture();
  {
    // The start-up is timed with ten kept games, the newest of the largest
    // board to offer, in a state folder no window of this driver holds, and
    // the full recent pictures list beside them, as a player has both.
    setenv("XDG_STATE_HOME", (settings.path() + QStringLiteral("/state")).toLocal8Bit().constData(), 1);
    for (int i = 0; i < quavinto::kMaxRecentPictures; ++i)
      quavinto::rememberRecentPicture(settings.filePath(QStringLiteral("recent-%1.jpg").arg(i)));
    if (quavinto::readRecentPictures().size() != quavinto::kMaxRecentPictures) {
      std::cerr << "the recent pictures list could not be filled beside the kept games\n";
      return 1;
    }
    const quavinto::SavedGame kept = quavinto::captureSavedGame(largest.form.state(), largest.form.vars());
    const quavinto::KeptGames games;
    for (int i = quavinto::kKeptGames; i >= 1; --i) {
      quavinto::KeptFigures figures;
      figures.picture = QStringLiteral("builtin");
      figures.moves = i;
      const quavinto::KeptGame game = games.named(quavinto::keptGameName(figures.picture, i, 30));
      if (game.write(kept, figures, &why) != quavinto::KeptGame::Outcome::Written) {
        std::cerr << "no kept game written: " << why.toStdString() << "\n";
        return 1;
      }
      // Written a second apart, so the newest is the last one written.
      QFile(game.filePath()).setFileTime(QDateTime::currentDateTime().addSecs(-i), QFileDevice::FileModificationTime);
    }
  }
  largest.reference = std::make_unique<MemcpyReference>(largest.picture);
  gLargest = &largest;
  std::cerr << "largest board: picture " << largest.picture.width() << " x " << largest.picture.height() << ", pieces "
            << largest.form.vars().PieceWidth << " x " << largest.form.vars().PieceHeight << "\n";

  const auto add = [](const char* name, void (*fn)(benchmark::State&), int repetitions) {
    return benchmark::RegisterBenchmark(name, fn)
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly(true)
        ->MeasureProcessCPUTime()
        ->Unit(benchmark::kMicrosecond);
  };
  add("drawreverse", BM_drawreverse, 15);
  add("perpixel_reverse", BM_perpixel_reverse, 5);
  add("gamestart", BM_gamestart, 15);
  add("gamestart_largest_board", BM_gamestart_largest_board, 15);
  add("drop_repaint", BM_drop_repaint, 5)->Iterations(20);
  add("undo_repaint", BM_undo_repaint, 5)->Iterations(20);
  add("clock_tick", BM_clock_tick, 1)->Iterations(1);

  MedianReporter reporter;
  reporter.SetOutputStream(&std::cerr);
  reporter.SetErrorStream(&std::cerr);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::vector<std::string> failures = reporter.failures;

  const ProcessFigures processes =
      measureProcesses(QFileInfo(QCoreApplication::applicationFilePath()).absolutePath().toStdString());
  failures.insert(failures.end(), processes.failures.begin(), processes.failures.end());

  const auto time = [&](const char* name) { return reporter.medians[name].cpuTime; };
  const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
  const auto counter = [&](const char* name, const char* key) { return reporter.medians[name].counters[key]; };
  const Figure figures[] = {
      {"drawreverse_vs_memcpy", counter("drawreverse", "vs_memcpy"), 5, true},
      {"perpixel_vs_drawreverse", ratio(time("perpixel_reverse"), time("drawreverse")), 50, false},
      {"gamestart_vs_memcpy", counter("gamestart", "vs_memcpy"), 12, true},
      {"gamestart_largest_board_vs_memcpy", counter("gamestart_largest_board", "vs_memcpy"), 8, true},
      {"drop_pixels_repainted_vs_piece", counter("drop_repaint", "pixels_per_piece"), 2, true},
      {"undo_pixels_repainted_vs_piece", counter("undo_repaint", "pixels_per_piece"), 2, true},
      {"clock_tick_board_pixels_repainted", counter("clock_tick", "board_pixels"), 0, true},
      {"startup_vs_japanese_menu_qt", processes.startupRatio, 1.25, true},
      {"startup_vs_japanese_menu_qt_english", processes.startupRatioEnglish, 1.25, true},
      {"peak_memory_vs_picture", processes.peakRatio, 6, true},
  };
  bool allMet = failures.empty();
  for (const Figure& f : figures) {
    std::printf("%s: %.2f\n", f.name, f.value);
    // A figure whose target is zero is met at zero; any other must be measured.
    const bool measured = f.value > 0 || (f.limit == 0 && f.value == 0);
    const bool met = measured && (f.atMost ? f.value <= f.limit : f.value >= f.limit);
    if (!met) {
      std::cerr << f.name << " misses its target (" << (f.atMost ? "at most " : "at least ") << f.limit << ")\n";
      allMet = false;
    }
  }
  for (const std::string& failure : failures) std::cerr << "failed: " << failure << "\n";
  std::fflush(stdout);
  gBoard = nullptr;
  gLargest = nullptr;
  return allMet ? 0 : 1;
}
