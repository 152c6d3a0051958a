// Best times: every completed game is kept for its picture and grid, the ten
// best of each in a small text file of the player's own data folder.
//
// A picture is known by its content (a hash of its file), so a photo renamed
// or moved keeps its records; the built-in picture has a key of its own. The
// file is read only when a game is completed or the records are shown, never
// at start-up. Every change takes a lock and reads the file again first, so
// two copies of the program finishing at once lose no record; it is written
// whole to a new file that then replaces the old one.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

namespace quavinto {

struct Record {
  QString picture;  // the picture's key
  int xn = 0;
  int yn = 0;
  int32_t seconds = 0;
  int moves = 0;
  QDateTime when;        // local date and time of the completion
  bool resumed = false;  // the game was resumed from a saved game
  int fewest = -1;       // the fewest moves that solved the game from its start; -1 not known
  int hints = 0;         // hints used
  bool operator==(const Record& o) const {
    return picture == o.picture && xn == o.xn && yn == o.yn && seconds == o.seconds && moves == o.moves &&
           when == o.when && resumed == o.resumed && fewest == o.fewest && hints == o.hints;
  }
};

constexpr int kRecordsKept = 10;  // per picture and grid
constexpr qint64 kRecordsFileLimit = 4 * 1024 * 1024;

// Faster first; on equal times fewer moves, then the earlier game.
bool betterThan(const Record& a, const Record& b);
// The records as lines of text, and back. Lists of the first version (seven
// fields, before the fewest moves and hints were kept) read with those
// unknown and none; every list is written in the second. Parsing fails on any
// line that is not a record, and on a missing or unknown header.
QByteArray formatRecords(const QList<Record>& records);
bool parseRecords(const QByteArray& text, QList<Record>* records);
// Whether `text` is a records list of a later version than this program reads:
// such a file is never set aside or replaced.
bool isNewerRecords(const QByteArray& text);
// Orders every picture's and grid's records best first and keeps the best ten.
void keepBest(QList<Record>& records);

// $XDG_DATA_HOME/quavinto, by default ~/.local/share/quavinto.
QString recordsFolder();

class RecordStore {
 public:
  explicit RecordStore(const QString& folder = recordsFolder());
  QString filePath() const { return file_; }

  struct Outcome {
    bool ok = true;           // read, and written where asked
    bool setAside = false;    // a damaged file was kept as ….bad and a new list begun
    bool unreadable = false;  // the file could not be read; it was left as it was
    int place = 0;            // add(): 1 to 10 when the game entered the best ten
    QString problem;          // why not ok: the folder or file that failed
    bool busy = false;        // another copy held the records longer than this store waits
    bool newer = false;       // the file is of a later version of the program: read as unreadable, left alone
  };
  // How long a change waits for another copy's change to the records; the
  // window's thread waits only a moment and leaves longer waits to a worker.
  void setLockWait(int ms) { lockWaitMs_ = ms; }
  // Adds a completed game.
  Outcome add(const Record& record);
  // The picture's records, grids from the smallest, each grid's best first.
  Outcome read(const QString& picture, QList<Record>* records);
  // Forgets every record of the picture.
  Outcome clear(const QString& picture);

 private:
  // Reads the whole list under the lock; a file read and found damaged is set
  // aside, one that cannot be read is left alone and fails.
  bool load(QList<Record>* all, Outcome* out, bool locked = true);
  bool save(const QList<Record>& all, Outcome* out);
  // Locks, reads the whole list again, edits it and writes it.
  bool change(Outcome* out, const std::function<void(QList<Record>&)>& edit);
  QString folder_;
  QString file_;
  int lockWaitMs_ = 5000;
};

}  // namespace quavinto
