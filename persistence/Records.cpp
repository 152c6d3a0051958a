// The records file: its lines, the ten best, and changes made under a lock.
#include "persistence/Records.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>
#include <algorithm>

#include "platform/AtomicWrite.h"
#include "platform/RegularFile.h"
#include "platform/XdgFolders.h"

namespace quavinto {
namespace {

const QByteArray kHeaderPrefix = QByteArrayLiteral("QUAVINTO records ");
const QByteArray kHeader = QByteArrayLiteral("QUAVINTO records 2");
const QByteArray kFirstHeader = QByteArrayLiteral("QUAVINTO records 1");
const QString kDateFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

// A lock left by a program that died is taken over after this long.
constexpr int kStaleLockMs = 30000;

bool sameBoard(const Record& a, const Record& b) { return a.picture == b.picture && a.xn == b.xn && a.yn == b.yn; }

// A count is written as plain digits: anything else in it (a sign, a space, a
// NUL that would end the number early) is damage, not a shorter number.
int count(const QByteArray& field, bool* ok) {
  *ok = !field.isEmpty() && field.size() <= 9 &&
        std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
  return *ok ? field.toInt() : 0;
}

// The program writes tabs between fields and nothing else below a space.
bool hasStrayBytes(const QByteArray& line) {
  return std::any_of(line.begin(), line.end(), [](char c) { return (uchar(c) < 0x20 && c != '\t') || c == 0x7f; });
}

}  // namespace

bool betterThan(const Record& a, const Record& b) {
  if (a.seconds != b.seconds) return a.seconds < b.seconds;
  if (a.moves != b.moves) return a.moves < b.moves;
  return a.when < b.when;
}

QByteArray formatRecords(const QList<Record>& records) {
  QByteArray out = kHeader + "\n";
  out += "# picture\tcolumns\trows\tseconds\tmoves\tdate\tresumed\tfewest (- not known)\thints\n";
  for (const Record& r : records) {
    out += r.picture.toUtf8() + '\t' + QByteArray::number(r.xn) + '\t' + QByteArray::number(r.yn) + '\t' +
           QByteArray::number(r.seconds) + '\t' + QByteArray::number(r.moves) + '\t' +
           r.when.toString(kDateFormat).toLatin1() + '\t' + (r.resumed ? "1" : "0") + '\t' +
           (r.fewest >= 0 ? QByteArray::number(r.fewest) : QByteArray("-")) + '\t' + QByteArray::number(r.hints) + '\n';
  }
  return out;
}

bool parseRecords(const QByteArray& text, QList<Record>* records) {
  const QList<QByteArray> lines = text.split('\n');
  if (lines.isEmpty()) return false;
  const QByteArray header = lines.first().trimmed();
  if (header != kHeader && header != kFirstHeader) return false;
  const int fields = header == kHeader ? 9 : 7;
  QList<Record> out;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    QByteArray line = lines[i];
    if (line.endsWith('\r')) line.chop(1);
    if (hasStrayBytes(line)) return false;
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    const QList<QByteArray> f = line.split('\t');
    if (f.size() != fields || !QUtf8StringView(f[0]).isValidUtf8()) return false;
    Record r;
    bool ok[5] = {};
    r.picture = QString::fromUtf8(f[0]);
    r.xn = count(f[1], &ok[0]);
    r.yn = count(f[2], &ok[1]);
    r.seconds = count(f[3], &ok[2]);
    r.moves = count(f[4], &ok[3]);
    r.when = QDateTime::fromString(QString::fromLatin1(f[5]), kDateFormat);
    ok[4] = f[6] == "0" || f[6] == "1";
    r.resumed = f[6] == "1";
    if (fields == 9) {
      bool known = true, counted = true;
      r.fewest = f[7] == "-" ? -1 : count(f[7], &known);
      r.hints = count(f[8], &counted);
      if (!known || !counted) return false;
    }
    if (!std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }) || r.picture.isEmpty() || r.xn < 1 ||
        r.xn > 30 || r.yn < 1 || r.yn > 30 || r.seconds < 0 || r.moves < 0 || !r.when.isValid())
      return false;
    out.append(r);
  }
  *records = out;
  return true;
}

bool isNewerRecords(const QByteArray& text) {
  const QByteArray header = text.left(text.indexOf('\n')).trimmed();
  if (!header.startsWith(kHeaderPrefix)) return false;
  bool number = false;
  const int version = header.mid(kHeaderPrefix.size()).toInt(&number);
  return number && version > 2;
}

void keepBest(QList<Record>& records) {
  std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
    if (a.picture != b.picture) return a.picture < b.picture;
    if (a.xn != b.xn) return a.xn < b.xn;
    if (a.yn != b.yn) return a.yn < b.yn;
    return betterThan(a, b);
  });
  QList<Record> kept;
  int run = 0;
  for (qsizetype i = 0; i < records.size(); ++i) {
    run = i > 0 && sameBoard(records[i], records[i - 1]) ? run + 1 : 0;
    if (run < kRecordsKept) kept.append(records[i]);
  }
  records = kept;
}

QString recordsFolder() {
  return platform::xdgFolder(platform::XdgFolder::Data) + QStringLiteral("/quavinto");
}

RecordStore::RecordStore(const QString& folder) : folder_(folder), file_(folder + QStringLiteral("/records.txt")) {}

bool RecordStore::load(QList<Record>* all, Outcome* out, bool locked) {
  all->clear();
  QFile file(file_);
  qint64 size = 0;
  const platform::OpenOutcome opened = platform::openRegularFile(file, &size);
  if (opened == platform::OpenOutcome::Missing) return true;
  // What cannot be read (a pipe, a folder, a device, a file out of reach or
  // far too big) may be the player's: it is left as it is, and nothing is
  // written over it.
  QByteArray text;
  if (opened == platform::OpenOutcome::Opened && size <= kRecordsFileLimit) text = file.read(kRecordsFileLimit + 1);
  if (opened != platform::OpenOutcome::Opened || size > kRecordsFileLimit || text.size() > kRecordsFileLimit ||
      file.error() != QFileDevice::NoError) {
    out->ok = false;
    out->unreadable = true;
    out->problem = file_;
    return false;
  }
  file.close();
  if (parseRecords(text, all)) return true;
  // A later version's list is the player's records all the same: it is
  // neither set aside nor written over by this older program.
  if (isNewerRecords(text)) {
    out->ok = false;
    out->unreadable = true;
    out->newer = true;
    out->problem = file_;
    return false;
  }
  all->clear();
  // Seen damaged without the lock, it may be another copy's list being
  // replaced: reported, never set aside.
  if (!locked) {
    out->ok = false;
    out->busy = true;
    out->unreadable = true;
    out->problem = file_;
    return false;
  }
  // Read whole and found damaged: kept for the player to look at, and the
  // list starts again.
  const QString bad = file_ + QStringLiteral(".bad");
  QFile::remove(bad);
  if (!QFile::rename(file_, bad) && !QFile::remove(file_)) {
    out->ok = false;
    out->problem = file_;
    return false;
  }
  out->setAside = true;
  return true;
}

bool RecordStore::save(const QList<Record>& all, Outcome* out) {
  // A full disk leaves the old list whole, and the game is not ranked.
  if (platform::writeFileAtomically(file_, formatRecords(all), platform::FileAccess::OwnerOnly)) return true;
  out->ok = false;
  out->problem = folder_;
  return false;
}

bool RecordStore::change(Outcome* out, const std::function<void(QList<Record>&)>& edit) {
  // Under the lock the file is read again, so a record another copy of the
  // program wrote a moment ago is kept.
  QLockFile lock(file_ + QStringLiteral(".lock"));
  lock.setStaleLockTime(kStaleLockMs);
  if (!QDir().mkpath(folder_)) {
    out->ok = false;
    out->problem = folder_;
    return false;
  }
  if (!lock.tryLock(lockWaitMs_)) {
    out->ok = false;
    out->busy = lock.error() == QLockFile::LockFailedError;
    out->problem = folder_;
    return false;
  }
  QList<Record> all;
  if (!load(&all, out)) return false;
  edit(all);
  return save(all, out);
}

RecordStore::Outcome RecordStore::add(const Record& record) {
  Outcome out;
  int place = 0;
  const bool saved = change(&out, [&](QList<Record>& all) {
    all.append(record);
    keepBest(all);
    int rank = 0;
    for (const Record& r : all) {
      if (!sameBoard(r, record)) continue;
      ++rank;
      if (r == record) {
        place = rank;
        break;
      }
    }
  });
  // Ranked out of the ten, the record is not in the list and has no place.
  if (saved) out.place = place;
  return out;
}

RecordStore::Outcome RecordStore::read(const QString& picture, QList<Record>* records) {
  Outcome out;
  records->clear();
  QLockFile lock(file_ + QStringLiteral(".lock"));
  lock.setStaleLockTime(kStaleLockMs);
  // The lock keeps a damaged file from being set aside under a writer; a
  // folder that was never made has nothing to read.
  if (!QDir(folder_).exists()) return out;
  // The list is replaced whole, so it can be read while another copy writes.
  const bool locked = lock.tryLock(lockWaitMs_);
  QList<Record> all;
  if (!load(&all, &out, locked)) return out;
  keepBest(all);
  for (const Record& r : all)
    if (r.picture == picture) records->append(r);
  return out;
}

RecordStore::Outcome RecordStore::clear(const QString& picture) {
  Outcome out;
  change(&out, [&](QList<Record>& all) {
    all.erase(std::remove_if(all.begin(), all.end(), [&](const Record& r) { return r.picture == picture; }),
              all.end());
  });
  return out;
}

}  // namespace quavinto
