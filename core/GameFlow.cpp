// Game start, shuffle, completion and stop.
#include "core/GameFlow.h"

#include <QCoreApplication>
#include <cmath>
#include <limits>
#include <utility>

#include "core/FewestMoves.h"
#include "core/Geometry.h"
#include "core/MenuStates.h"
#include "core/PieceDrawing.h"
#include "platform/Clock.h"
#include "platform/Numeric.h"
#include "platform/TextFigures.h"

namespace quavinto {
namespace {

QString twoDigits(int64_t value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

}  // namespace

void shuffleStep(GameHost& h, int i, double u) {
  GameState& g = h.state();
  const int n = g.Xn * g.Yn;
  const int colA = homeColumn(g.Xn, i), rowA = homeRow(g.Xn, i);
  int r = int(std::floor(u * n)) + 1;
  r = std::clamp(r, 1, n);
  const int colB = homeColumn(g.Xn, r), rowB = homeRow(g.Xn, r);
  const int16_t flag = i % 2 == 0 ? 1 : 0;
  g.RMap[colA][rowA] = flag;
  g.RMap[colB][rowB] = flag;
  std::swap(g.Map[colA][rowA], g.Map[colB][rowB]);
}

bool prepareStart(GameHost& h) {
  if (h.preparing()) return false;
  GameState& g = h.state();
  MainVars& v = h.vars();
  {
    PreparingGuard guard(h);
    platform::Randomize(platform::secondsSinceMidnight());
    endGame(h, GameEnd::NewGame);
    applyMenuEvent(h, MenuEvent::StartPreparing);
    h.showWaitNotice(true);
    const int n = g.Xn * g.Yn;
    bringReversedUpToDate(h);
    // The window is served after each piece, as while building the reversed
    // image; commands that would disturb the board are held back meanwhile.
    for (int i = 1; i <= n; ++i) {
      shuffleStep(h, i, platform::Rnd());
      h.processEvents();
    }
    // Step i changes cell i, so every cell changes: each is drawn once, in
    // reading order, with what the last step that changed it left there.
    drawAllCells(h);
    h.refreshBoard();

    h.moveFloating(0, 0);
    platform::BitBlt(h.floatingDc(), 0, 0, v.PieceWidth, v.PieceHeight, h.boardDc(), 0, 0, platform::SRCCOPY);
    h.refreshFloating();
    h.showWaitNotice(false);
  }
  return true;
}

void beginStartedGame(GameHost& h) {
  h.state().ResumeFlag = 0;
  BeginPlay(h);
}

void declineStart(GameHost& h) {
  applyMenuEvent(h, MenuEvent::StartDeclined);
  endGame(h, GameEnd::Declined);
}

void BeginPlay(GameHost& h) {
  GameState& g = h.state();
  h.refreshBoard();
  g.GameRunning = 1;
  PlayState& p = h.play();
  p.history.clear();
  p.paused = false;
  p.pausedSeconds = 0;
  p.movesBefore = std::exchange(p.carriedMoves, 0);
  p.hintsBefore = std::exchange(p.carriedHints, 0);
  p.hintsNow = 0;
  // A resumed game keeps the figure of its start; any other is measured from
  // the board it begins with (a game read from a file, from the position
  // read), and a resumed game whose figure was not kept from where it stands.
  const int carriedFewest = std::exchange(p.carriedFewest, -1);
  p.fewest = carriedFewest >= 0 ? carriedFewest : p.movesBefore + fewestMoves(g);
  p.finished = false;
  applyMenuEvent(h, MenuEvent::PlayBegun);
  h.vars().StartTime = int32_t(platform::roundHalfEven(platform::secondsSinceMidnight()));
  h.playStarted();
  h.playEvent(PlayEvent::Began);
}

void endGame(GameHost& h, GameEnd why) {
  h.state().GameRunning = 0;
  PlayState& p = h.play();
  p.history.clear();
  p.paused = false;
  p.finished = why == GameEnd::Completed;
  p.lastEnd = why;
  h.playEvent(PlayEvent::Ended);
}

int32_t playedSeconds(GameHost& h, double now) {
  const PlayState& p = h.play();
  // Each hint since play began is time on the clock, as a pause is time off.
  return elapsedSeconds(h.state(), h.vars(), p.paused ? p.pausedAt : now,
                        p.pausedSeconds - double(kHintSeconds) * p.hintsNow);
}

bool pauseGame(GameHost& h) {
  PlayState& p = h.play();
  if (h.state().GameRunning != 1 || h.preparing() || p.paused) return false;
  p.paused = true;
  p.pausedAt = platform::secondsSinceMidnight();
  h.playEvent(PlayEvent::Paused);
  return true;
}

bool resumeGame(GameHost& h) {
  PlayState& p = h.play();
  if (!p.paused) return false;
  // The pause is taken off to the fraction of a second; only the time played
  // is rounded to whole seconds, so short pauses cannot add up to a frozen
  // clock and the clock never steps back as play goes on.
  double pause = platform::secondsSinceMidnight() - p.pausedAt;
  if (pause < 0) pause += 86400;
  p.pausedSeconds += pause;
  p.paused = false;
  h.playEvent(PlayEvent::Resumed);
  return true;
}

int32_t elapsedSeconds(const GameState& g, const MainVars& v, double now, double pausedSeconds) {
  // The pauses are taken off whole, to the fraction, and only then is the
  // time rounded; a time that comes out negative passed midnight.
  int64_t t = int64_t(platform::roundHalfEven(now - v.StartTime - std::fmod(pausedSeconds, 86400.0)));
  while (t < 0) t += 86400;
  if (g.ResumeFlag == 1) t += v.SavedSeconds;
  // A saved time near the 32-bit limit must not wrap into a negative time.
  return int32_t(std::clamp<int64_t>(t, 0, std::numeric_limits<int32_t>::max()));
}

QString completionText(int32_t seconds) {
  const int64_t hours = seconds / 3600;
  const int64_t minutes = (seconds - hours * 3600) / 60;
  const int64_t secs = seconds % 60;
  // One text for each length of game, so a language that leaves out the
  // units not reached can; each figure comes two-digit and plain.
  const QStringList figures{twoDigits(hours),       twoDigits(minutes),       twoDigits(secs),
                            QString::number(hours), QString::number(minutes), QString::number(secs)};
  static constexpr platform::MarkedText kTexts[] = {
      //: %1, %2, %3: hours, minutes, seconds with two digits; %4, %5, %6: the same without a leading zero.
      QT_TRANSLATE_NOOP3("GameFlow", "おめでとうございます。\r\n      完成です。\r\n時間は\r\n%1時間%2分%3秒です。",
                         "an hour or more"),
      //: %1, %2, %3: hours, minutes, seconds with two digits; %4, %5, %6: the same without a leading zero.
      QT_TRANSLATE_NOOP3("GameFlow", "おめでとうございます。\r\n      完成です。\r\n時間は\r\n%1時間%2分%3秒です。",
                         "under an hour"),
      //: %1, %2, %3: hours, minutes, seconds with two digits; %4, %5, %6: the same without a leading zero.
      QT_TRANSLATE_NOOP3("GameFlow", "おめでとうございます。\r\n      完成です。\r\n時間は\r\n%1時間%2分%3秒です。",
                         "under a minute")};
  const platform::MarkedText& text = kTexts[hours > 0 ? 0 : minutes > 0 ? 1 : 2];
  return platform::withFigures(QCoreApplication::translate("GameFlow", text.source, text.comment), figures);
}

void CheckComplete(GameHost& h) {
  GameState& g = h.state();
  if (!isSolved(g) || g.GameRunning != 1) return;

  PlayState& p = h.play();
  p.finalSeconds = playedSeconds(h, platform::secondsSinceMidnight());
  p.finalMoves = p.moves();
  p.finalHints = p.hints();
  p.finished = true;
  // The window congratulates while the game is still the one in play.
  h.playEvent(PlayEvent::Completed);
  g.GameRunning = 0;
  applyMenuEvent(h, MenuEvent::PuzzleCompleted);
  drawIntactBoard(h);
  moveFloatingOutOfSight(h);
  endGame(h, GameEnd::Completed);
}

std::optional<Move> takeHint(GameHost& h) {
  PlayState& p = h.play();
  if (h.state().GameRunning != 1 || h.preparing() || p.paused) return std::nullopt;
  const std::optional<Move> hint = hintMove(h.state());
  if (!hint) return std::nullopt;
  ++p.hintsNow;
  h.playEvent(PlayEvent::Hinted);
  return hint;
}

void GStop_Click(GameHost& h) {
  endGame(h, GameEnd::Stopped);
  applyMenuEvent(h, MenuEvent::GameStopped);
  hideFloatingPiece(h);
}

}  // namespace quavinto
