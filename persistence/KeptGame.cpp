// The kept game on disk, and when it is written.
#include "persistence/KeptGame.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>

#include "core/GameFlow.h"
#include "persistence/GameFileIo.h"
#include "platform/AtomicWrite.h"
#include "platform/Clock.h"
#include "platform/RegularFile.h"
#include "platform/XdgFolders.h"

namespace quavinto {

QString keptGameFolder() {
  return platform::xdgFolder(platform::XdgFolder::State) + QStringLiteral("/quavinto");
}

QString endedGamesFile() {
  return platform::xdgFolder(platform::XdgFolder::Data) + QStringLiteral("/quavinto/ended-games");
}

namespace {

// The ended list holds a few short lines; the last ones are the ones that count.
constexpr qint64 kMaxEndedListBytes = 4096;
constexpr int kEndedKept = 20;

// Games whose end was remembered in this run, whether or not the list could
// be written.
QSet<QByteArray>& endedThisRun() {
  static QSet<QByteArray> keys;
  return keys;
}

QByteArray readCapped(const QString& path, qint64 cap, bool* whole = nullptr) {
  QFile file(path);
  qint64 size = 0;
  if (platform::openRegularFile(file, &size) != platform::OpenOutcome::Opened) return {};
  const QByteArray bytes = file.read(cap + 1);
  if (whole) *whole = size <= cap && bytes.size() <= cap && file.error() == QFileDevice::NoError;
  return bytes;
}

QList<QByteArray> readEndedList(const QString& path) {
  QList<QByteArray> keys;
  for (const QByteArray& line : readCapped(path, kMaxEndedListBytes).split('\n'))
    if (line.size() == 64) keys.append(line);
  return keys;
}

}  // namespace

KeptGame::KeptGame(const QString& folder, const QString& endedList) : folder_(folder), endedList_(endedList) {}

QString KeptGame::filePath() const { return folder_ + QStringLiteral("/last-game.QVD"); }

bool KeptGame::exists() const { return QFileInfo::exists(filePath()); }

KeptGame::Outcome KeptGame::write(const SavedGame& game, QString* error) const {
  // Checked as a save checks it: only a file that reads back as this game is
  // ever written.
  const QByteArray bytes = formatGameFile(game);
  SavedGame check;
  if (!parseGameFile(bytes, &check, error) || check != game) return Outcome::Refused;
  if (!QDir().mkpath(folder_)) {
    if (error) *error = QCoreApplication::translate("KeptGame", "フォルダーを作成できません");
    return Outcome::Unwritable;
  }
  return writeGameFileAtomically(filePath(), bytes, error, platform::FileAccess::OwnerOnly) ? Outcome::Written
                                                                                            : Outcome::Unwritable;
}

void KeptGame::remove() const { QFile::remove(filePath()); }

QByteArray KeptGame::contentKey() const {
  bool whole = false;
  const QByteArray bytes = readCapped(filePath(), kMaxGameFileBytes, &whole);
  if (!whole) return {};
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool KeptGame::retire() const {
  if (!exists()) return true;
  const QByteArray key = contentKey();
  if (QFile::remove(filePath()) || !exists()) return true;
  if (key.isEmpty()) return false;
  endedThisRun().insert(key);
  QList<QByteArray> keys = readEndedList(endedList_);
  keys.removeAll(key);
  keys.append(key);
  keys = keys.mid(qMax<qsizetype>(0, keys.size() - kEndedKept));
  QDir().mkpath(QFileInfo(endedList_).path());
  QString error;
  platform::writeFileAtomically(endedList_, keys.join('\n') + '\n', platform::FileAccess::OwnerOnly, &error);
  return false;
}

bool KeptGame::ended() const {
  const QByteArray key = contentKey();
  if (key.isEmpty()) return false;
  return endedThisRun().contains(key) || readEndedList(endedList_).contains(key);
}

bool KeptGame::check(SavedGame* game, QString* why) const {
  if (!loadGameFile(filePath(), game, why)) return false;
  const QString picture = game->pictureFile.trimmed();
  if (picture.isEmpty()) return true;
  if (!QFileInfo(game->pictureFile).isFile()) {
    *why = QCoreApplication::translate("KeptGame", "画像ファイルがみつかりません");
    return false;
  }
  QImageReader reader(game->pictureFile);
  reader.setDecideFormatFromContent(true);
  if (!reader.canRead()) {
    *why = QCoreApplication::translate("KeptGame", "画像を読み込めません");
    return false;
  }
  return true;
}

void KeptGame::setAside() const {
  QFile::remove(badPath());
  if (!QFile::rename(filePath(), badPath())) QFile::remove(filePath());
}

GameKeeper::GameKeeper(GameHost& host, QObject* parent) : QObject(parent), host_(host) {
  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  timer_->setInterval(kIntervalMs);
  // A coarse timer may fire early, and two writes would then come closer
  // than half a second.
  timer_->setTimerType(Qt::PreciseTimer);
  connect(timer_, &QTimer::timeout, this, [this] { write(pending_); });
  ticks_ = new QTimer(this);
  ticks_->setInterval(kIntervalMs);
  connect(ticks_, &QTimer::timeout, this, &GameKeeper::keepTime);
}

void GameKeeper::keepTime() {
  if (!inPlay_ || paused_ || timer_->isActive()) return;
  const double now = platform::secondsSinceMidnight();
  double since = now - lastWriteAt_;
  if (since < 0) since += 86400;
  const SavedGame game = capture();
  if (game.seconds == lastSeconds_ || (lastWriteAt_ >= 0 && since < kIntervalMs / 1000.0)) return;
  write(game);
}

SavedGame GameKeeper::capture() const {
  SavedGame game = captureSavedGame(host_.state(), host_.vars());
  // A paused game is kept with the time played before the pause.
  game.seconds = playedSeconds(host_, platform::secondsSinceMidnight());
  return game;
}

void GameKeeper::write(const SavedGame& game) {
  QString error;
  switch (file_.write(game, &error)) {
    case KeptGame::Outcome::Written:
      ++writes_;
      lastWriteAt_ = platform::secondsSinceMidnight();
      lastSeconds_ = game.seconds;
      break;
    case KeptGame::Outcome::Refused:
      break;
    case KeptGame::Outcome::Unwritable:
      if (onWriteFailed) onWriteFailed(file_.folder());
      break;
  }
}

bool GameKeeper::pending() const { return timer_->isActive(); }

void GameKeeper::writePending() {
  if (!timer_->isActive()) return;
  timer_->stop();
  write(pending_);
}

void GameKeeper::keepNow() {
  if (!inPlay_) return;
  timer_->stop();
  write(capture());
}

void GameKeeper::discard() {
  timer_->stop();
  retire();
}

void GameKeeper::playEvent(PlayEvent event) {
  switch (event) {
    case PlayEvent::Began:
      inPlay_ = true;
      paused_ = false;
      timer_->stop();
      ticks_->start();
      lastSeconds_ = -1;
      // A resumed game is kept at once; a new one replaces the last game.
      if (host_.state().ResumeFlag == 1)
        write(capture());
      else
        file_.remove();
      break;
    case PlayEvent::Moved:
      if (!inPlay_) break;
      // The board is taken now; the write waits so that quick moves share one.
      pending_ = capture();
      if (!timer_->isActive()) timer_->start();
      break;
    case PlayEvent::Paused:
      keepNow();
      paused_ = true;
      ticks_->stop();
      break;
    case PlayEvent::Resumed:
      paused_ = false;
      ticks_->start();
      break;
    case PlayEvent::Completed:
      break;
    case PlayEvent::Ended:
      gameEnded();
      break;
  }
}

void GameKeeper::gameEnded() {
  ticks_->stop();
  timer_->stop();
  // However it ends (solved, stopped, a new start, another picture, the
  // settings, a game read), a game the player has left is never offered
  // again.
  if (inPlay_) retire();
  inPlay_ = false;
  paused_ = false;
}

void GameKeeper::retire() {
  if (!file_.retire() && onWriteFailed) onWriteFailed(file_.folder());
}

}  // namespace quavinto
