// The kept game on disk, and when it is written.
#include "persistence/KeptGame.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>
#include <QtConcurrent>
#include <algorithm>
#include <cctype>

#include "core/GameFlow.h"
#include "persistence/GameFileIo.h"
#include "persistence/PictureKey.h"
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
constexpr qint64 kMaxFiguresBytes = 4096;

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

QByteArray formatKeptFigures(const KeptFigures& figures) {
  QByteArray text = "QUAVINTO kept game 1\npicture " + figures.picture.toUtf8() + "\nmoves " +
                    QByteArray::number(figures.moves) + "\n";
  if (figures.fewest >= 0) text += "fewest " + QByteArray::number(figures.fewest) + "\n";
  return text + "hints " + QByteArray::number(figures.hints) + "\n";
}

bool parseKeptFigures(const QByteArray& text, KeptFigures* figures) {
  const QList<QByteArray> lines = text.split('\n');
  if (lines.value(0) != "QUAVINTO kept game 1" || !text.endsWith('\n')) return false;
  KeptFigures read;
  bool movesSeen = false;
  // Plain digits only: a sign, a space or a NUL is damage.
  const auto count = [](const QByteArray& value, int* out) {
    if (value.isEmpty() || value.size() > 9 || !std::all_of(value.begin(), value.end(), ::isdigit)) return false;
    *out = value.toInt();
    return true;
  };
  for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
    const QByteArray& line = lines[i];
    const qsizetype space = line.indexOf(' ');
    const QByteArray name = line.left(space), value = space < 0 ? QByteArray() : line.mid(space + 1);
    if (name == "picture") {
      read.picture = QString::fromLatin1(value);
    } else if (name == "moves") {
      if (!count(value, &read.moves)) return false;
      movesSeen = true;
    } else if (name == "fewest") {
      if (!count(value, &read.fewest)) return false;
    } else if (name == "hints") {
      if (!count(value, &read.hints)) return false;
    }
    // Lines of later figures are passed over; figures written before the
    // fewest moves and hints were kept read as unknown and none.
  }
  if (!movesSeen || read.picture.isEmpty()) return false;
  *figures = read;
  return true;
}

QString keptGameName(const QString& picture, int xn, int yn) {
  const QByteArray what = picture.toUtf8() + ' ' + QByteArray::number(xn) + 'x' + QByteArray::number(yn);
  return QStringLiteral("game-") +
         QString::fromLatin1(QCryptographicHash::hash(what, QCryptographicHash::Sha256).toHex().left(16));
}

KeptGame::KeptGame(const QString& folder, const QString& name, const QString& endedList)
    : folder_(folder), name_(name), endedList_(endedList) {}

QString KeptGame::filePath() const {
  return folder_ + QLatin1Char('/') + (name_.isEmpty() ? QStringLiteral("last-game") : name_) + QStringLiteral(".QVD");
}

QString KeptGame::figuresPath() const {
  return folder_ + QLatin1Char('/') + (name_.isEmpty() ? QStringLiteral("last-game") : name_) +
         QStringLiteral(".figures");
}

bool KeptGame::exists() const { return QFileInfo::exists(filePath()); }

KeptFigures KeptGame::figures() const {
  KeptFigures figures;
  parseKeptFigures(readCapped(figuresPath(), kMaxFiguresBytes), &figures);
  return figures;
}

KeptGame::Outcome KeptGame::write(const SavedGame& game, const KeptFigures& figures, QString* error,
                                  bool figuresChanged) const {
  // Checked as a save checks it: only a file that reads back as this game is
  // ever written.
  const QByteArray bytes = formatGameFile(game);
  SavedGame check;
  if (!parseGameFile(bytes, &check, error) || check != game) return Outcome::Refused;
  if (!QDir().mkpath(folder_)) {
    if (error) *error = QCoreApplication::translate("KeptGame", "フォルダーを作成できません");
    return Outcome::Unwritable;
  }
  // The figures first: a game file never stands beside figures of an
  // earlier game for long, and the figures alone are never offered.
  if ((figuresChanged &&
       !platform::writeFileAtomically(figuresPath(), formatKeptFigures(figures), platform::FileAccess::OwnerOnly)) ||
      !writeGameFileAtomically(filePath(), bytes, error, platform::FileAccess::OwnerOnly))
    return Outcome::Unwritable;
  return Outcome::Written;
}

void KeptGame::remove() const {
  QFile::remove(filePath());
  QFile::remove(figuresPath());
}

QByteArray KeptGame::contentKey() const {
  bool whole = false;
  const QByteArray bytes = readCapped(filePath(), kMaxGameFileBytes, &whole);
  if (!whole) return {};
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool KeptGame::retire() const {
  if (!exists()) return true;
  const QByteArray key = contentKey();
  if (QFile::remove(filePath()) || !exists()) {
    QFile::remove(figuresPath());
    return true;
  }
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

namespace {

// Whether a file starts as a picture of the kinds the puzzle takes does: its
// first bytes read through the regular-file guard, so a pipe never holds the
// start, and no picture reader is loaded before the window is up.
bool startsAsPicture(const QString& path) {
  QFile file(path);
  if (platform::openRegularFile(file) != platform::OpenOutcome::Opened) return false;
  const QByteArray head = file.read(12);
  return head.startsWith("\xff\xd8\xff") || head.startsWith("\x89PNG\r\n\x1a\n") || head.startsWith("GIF87a") ||
         head.startsWith("GIF89a") || head.startsWith("BM") || (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP");
}

}  // namespace

bool KeptGame::check(SavedGame* game, QString* why) const {
  if (!loadGameFile(filePath(), game, why)) return false;
  const QString picture = game->pictureFile.trimmed();
  if (picture.isEmpty()) return true;
  if (!QFileInfo(game->pictureFile).isFile()) {
    *why = QCoreApplication::translate("KeptGame", "画像ファイルがみつかりません");
    return false;
  }
  if (!startsAsPicture(game->pictureFile)) {
    *why = QCoreApplication::translate("KeptGame", "画像を読み込めません");
    return false;
  }
  return true;
}

void KeptGame::setAside() const {
  QFile::remove(badPath());
  if (!QFile::rename(filePath(), badPath())) QFile::remove(filePath());
  QFile::remove(figuresPath());
}

KeptGames::KeptGames(const QString& folder, const QString& endedList) : folder_(folder), endedList_(endedList) {}

KeptGames::~KeptGames() = default;

void KeptGames::takeOverLastGame() const {
  const KeptGame last(folder_, QString(), endedList_);
  if (!last.exists() || last.ended()) return;
  SavedGame game;
  if (!loadGameFile(last.filePath(), &game, nullptr)) return;  // offered, and set aside, as it is
  // Known from now on by its picture's content and grid, as every kept game.
  KeptFigures figures;
  figures.picture = computePictureKey(game.pictureFile.trimmed(), QImage());
  const KeptGame taken = named(keptGameName(figures.picture, game.Xn, game.Yn));
  if (taken.exists()) return;
  if (platform::writeFileAtomically(taken.figuresPath(), formatKeptFigures(figures), platform::FileAccess::OwnerOnly) &&
      !QFile::rename(last.filePath(), taken.filePath()))
    QFile::remove(taken.figuresPath());
}

QList<KeptGame> KeptGames::list() const {
  takeOverLastGame();
  QList<KeptGame> games;
  const QDir dir(folder_);
  const QFileInfoList files = dir.entryInfoList({QStringLiteral("game-*.QVD"), QStringLiteral("last-game.QVD")},
                                                QDir::Files | QDir::NoSymLinks, QDir::Time);
  for (const QFileInfo& file : files) {
    const KeptGame game(folder_,
                        file.completeBaseName() == QLatin1String("last-game") ? QString() : file.completeBaseName(),
                        endedList_);
    if (!game.ended()) games.append(game);
  }
  return games;
}

void KeptGames::trim(const QString& keep) const {
  const QFileInfoList files =
      QDir(folder_).entryInfoList({QStringLiteral("game-*.QVD")}, QDir::Files | QDir::NoSymLinks, QDir::Time);
  int kept = 0;
  for (const QFileInfo& file : files) {
    if (file.completeBaseName() == keep || ++kept < kKeptGames) continue;
    named(file.completeBaseName()).remove();
  }
}

bool KeptGames::hold() {
  if (lock_) return true;
  QDir().mkpath(folder_);
  auto lock = std::make_unique<QLockFile>(folder_ + QStringLiteral("/kept.lock"));
  // Held for as long as the copy runs: only a copy that is gone (its process
  // ended, killed or not) gives it up.
  lock->setStaleLockTime(0);
  if (lock->tryLock(0)) {
    lock_ = std::move(lock);
    return true;
  }
  // A folder that cannot be written holds no lock, and no other copy can
  // hold it either: the failed writes are told instead.
  if (lock->error() != QLockFile::LockFailedError) {
    alone_ = true;
    return true;
  }
  return false;
}

GameKeeper::GameKeeper(GameHost& host, std::function<QFuture<QString>()> pictureKey, QObject* parent)
    : QObject(parent), host_(host), pictureKey_(std::move(pictureKey)), games_(std::make_unique<KeptGames>()) {
  writer_.setMaxThreadCount(1);
  // A write in progress is finished even at exit.
  writer_.setExpiryTimeout(-1);
  games_->hold();
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

GameKeeper::~GameKeeper() { writer_.waitForDone(); }

void GameKeeper::setFolder(const QString& folder, const QString& endedList) {
  finishWrites();
  writtenFigures_.clear();
  games_ = std::make_unique<KeptGames>(folder, endedList);
  games_->hold();
}

void GameKeeper::keepTime() {
  if (!inPlay_ || paused_ || timer_->isActive()) return;
  const double now = platform::secondsSinceMidnight();
  double since = now - lastWriteAt_;
  if (since < 0) since += 86400;
  const Job job = capture();
  if (job.game.seconds == lastSeconds_ || (lastWriteAt_ >= 0 && since < kIntervalMs / 1000.0)) return;
  write(job);
}

GameKeeper::Job GameKeeper::capture() const {
  Job job;
  job.game = captureSavedGame(host_.state(), host_.vars());
  // A paused game is kept with the time played before the pause.
  job.game.seconds = playedSeconds(host_, platform::secondsSinceMidnight());
  job.figures.moves = host_.play().moves();
  job.figures.fewest = host_.play().fewest;
  job.figures.hints = host_.play().hints();
  job.key = key_;
  job.xn = xn_;
  job.yn = yn_;
  return job;
}

// The game is copied here; the writer thread names it (once the picture's key
// is known), writes it, syncs it and keeps the ten newest.
void GameKeeper::write(const Job& job) {
  if (!games_->held()) return;
  lastWriteAt_ = platform::secondsSinceMidnight();
  lastSeconds_ = job.game.seconds;
  writer_.start([this, job, games = KeptGames(games_->folder(), games_->endedList())] {
    QFuture<QString> key = job.key;
    key.waitForFinished();
    if (key.isCanceled() || key.resultCount() == 0) return;
    KeptFigures figures = job.figures;
    figures.picture = key.result();
    const QString name = keptGameName(figures.picture, job.xn, job.yn);
    QString error;
    const auto written = writtenFigures_.constFind(name);
    const KeptGame file = games.named(name);
    // Removed since (an ended game, one set aside), they are written again.
    const bool changed =
        written == writtenFigures_.cend() || !(*written == figures) || !QFileInfo::exists(file.figuresPath());
    const KeptGame::Outcome outcome = file.write(job.game, figures, &error, changed);
    if (outcome == KeptGame::Outcome::Written) {
      // A game new to the folder may make one too many.
      if (written == writtenFigures_.cend()) games.trim(name);
      writtenFigures_.insert(name, figures);
    } else {
      writtenFigures_.remove(name);
    }
    QMetaObject::invokeMethod(
        this, [this, name, outcome] { wrote(name, outcome); }, Qt::QueuedConnection);
  });
}

void GameKeeper::wrote(const QString& name, KeptGame::Outcome outcome) {
  switch (outcome) {
    case KeptGame::Outcome::Written:
      ++writes_;
      current_ = name;
      break;
    case KeptGame::Outcome::Refused:
      break;
    case KeptGame::Outcome::Unwritable:
      if (onWriteFailed) onWriteFailed(games_->folder());
      break;
  }
}

void GameKeeper::finishWrites() {
  writer_.waitForDone();
  // The writer's outcomes, queued for this thread, are taken in now.
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

bool GameKeeper::pending() const { return timer_->isActive(); }

void GameKeeper::writePending() {
  if (timer_->isActive()) {
    timer_->stop();
    write(pending_);
  }
  finishWrites();
}

void GameKeeper::keepSoon() {
  if (!inPlay_) return;
  timer_->stop();
  write(capture());
}

void GameKeeper::keepNow() {
  keepSoon();
  finishWrites();
}

void GameKeeper::discard() {
  timer_->stop();
  retire();
  finishWrites();
}

void GameKeeper::playEvent(PlayEvent event) {
  switch (event) {
    case PlayEvent::Began:
      inPlay_ = true;
      paused_ = false;
      timer_->stop();
      ticks_->start();
      lastSeconds_ = -1;
      key_ = pictureKey_ ? pictureKey_() : QFuture<QString>();
      xn_ = host_.state().Xn;
      yn_ = host_.state().Yn;
      current_.clear();
      // A resumed game is kept at once; a new one replaces the picture's
      // last game on this grid with its first move.
      if (host_.state().ResumeFlag == 1) write(capture());
      break;
    case PlayEvent::Moved:
    case PlayEvent::Hinted:
      if (!inPlay_) break;
      // The board is taken now; the write waits so that quick moves share one.
      pending_ = capture();
      if (!timer_->isActive()) timer_->start();
      break;
    case PlayEvent::Paused:
      keepSoon();
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
  const bool wasPending = timer_->isActive();
  timer_->stop();
  if (inPlay_) {
    switch (host_.play().lastEnd) {
      case GameEnd::Picture:
      case GameEnd::Read:
        // Left for another picture or a game of the player's: the game waits
        // in its picture's place, with its last move, for that picture to
        // come back.
        if (wasPending) write(pending_);
        break;
      default:
        // Solved, stopped, the settings, a new start: a game the player has
        // left is never offered again.
        retire();
        break;
    }
  }
  inPlay_ = false;
  paused_ = false;
}

void GameKeeper::retire() {
  if (!games_->held() || !key_.isValid()) return;
  writer_.start([this, key = key_, xn = xn_, yn = yn_, games = KeptGames(games_->folder(), games_->endedList())] {
    QFuture<QString> known = key;
    known.waitForFinished();
    if (known.isCanceled() || known.resultCount() == 0) return;
    if (!games.named(keptGameName(known.result(), xn, yn)).retire())
      QMetaObject::invokeMethod(
          this,
          [this] {
            if (onWriteFailed) onWriteFailed(games_->folder());
          },
          Qt::QueuedConnection);
  });
}

}  // namespace quavinto
