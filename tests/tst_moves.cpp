// The move layer without a window: moves as values applied to Map and RMap,
// their inverses, the history undo and redo walk, and the records file.
#include "core/Move.h"
#include "persistence/PictureKey.h"
#include "persistence/Records.h"
#include "platform/AtomicWrite.h"
#include "support/TestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

using namespace quavinto;

namespace {
// "x1,1-2,1" exchanges (1,1) and (2,1); "t2,1" turns (2,1).
std::vector<Move> parseMoves(const QString& text) {
  std::vector<Move> moves;
  for (const QString& m : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const QStringList cells = m.mid(1).split(QLatin1Char('-'));
    const auto cell = [](const QString& c) { return Cell{c.section(',', 0, 0).toInt(), c.section(',', 1, 1).toInt()}; };
    moves.push_back(m.startsWith('t') ? Move::turn(cell(cells[0])) : Move::exchange(cell(cells[0]), cell(cells[1])));
  }
  return moves;
}
// The board's Map and RMap as "1 2' 3 / 4 5 6" (a ' marks a reversed piece).
QString layout(const GameState& g) {
  QStringList rows;
  for (int row = 1; row <= g.Yn; ++row) {
    QStringList cells;
    for (int col = 1; col <= g.Xn; ++col)
      cells << QString::number(g.Map[col][row]) + (g.RMap[col][row] ? QStringLiteral("'") : QString());
    rows << cells.join(' ');
  }
  return rows.join(QStringLiteral(" / "));
}
Record record(const QString& picture, int seconds, int moves, int day, int xn = 3) {
  return {picture, xn, 3, seconds, moves, QDateTime(QDate(2026, 12, day), QTime(12, 0)), false};
}
// A record of 45 seconds whose time has a NUL in it: "4", NUL, "5".
QByteArray recordWithNul() {
  QByteArray line = "QUAVINTO records 1\nsha256:ab\t5\t5\t4@5\t40\t2026-12-07T10:00:00\t1\n";
  return line.replace('@', '\0');
}
QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

class MovesTest : public QObject {
  Q_OBJECT

private slots:
  void movesChangeTheGrids_data() {
    QTest::addColumn<int>("xn");
    QTest::addColumn<int>("yn");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("solved");
    QTest::newRow("nothing") << 3 << 2 << "" << "1 2 3 / 4 5 6" << true;
    QTest::newRow("exchange") << 3 << 2 << "x1,1-3,2" << "6 2 3 / 4 5 1" << false;
    QTest::newRow("exchange back") << 3 << 2 << "x1,1-3,2 x3,2-1,1" << "1 2 3 / 4 5 6" << true;
    QTest::newRow("turn") << 3 << 2 << "t2,1" << "1 2' 3 / 4 5 6" << false;
    QTest::newRow("turned twice") << 3 << 2 << "t2,1 t2,1" << "1 2 3 / 4 5 6" << true;
    QTest::newRow("looks travel") << 3 << 2 << "t1,1 x1,1-2,2" << "5 2 3 / 4 1' 6" << false;
    QTest::newRow("two turned pieces exchanged") << 2 << 1 << "t1,1 t2,1 x1,1-2,1" << "2' 1'" << false;
    QTest::newRow("self exchange") << 3 << 2 << "x2,2-2,2" << "1 2 3 / 4 5 6" << true;
    QTest::newRow("off the board") << 3 << 2 << "x1,1-4,1 t1,3 t0,1" << "1 2 3 / 4 5 6" << true;
    QTest::newRow("one piece") << 1 << 1 << "t1,1" << "1'" << false;
    QTest::newRow("largest corner") << 30 << 30 << "x30,30-1,1 x1,1-30,30" << QString() << true;
  }

  // Each move changes only the cells it names; any sequence followed by the
  // inverses in reverse order gives the start back.
  void movesChangeTheGrids() {
    QFETCH(int, xn);
    QFETCH(int, yn);
    QFETCH(QString, moves);
    QFETCH(QString, after);
    QFETCH(bool, solved);
    GameState g = testsupport::solvedState(xn, yn);
    const GameState start = g;
    const std::vector<Move> list = parseMoves(moves);
    for (const Move& m : list) {
      const GameState before = g;
      const std::vector<Cell> changed = applyMove(g, m);
      for (int row = 0; row < kGridSize; ++row)
        for (int col = 0; col < kGridSize; ++col)
          if (std::find(changed.begin(), changed.end(), Cell{col, row}) == changed.end()) {
            QCOMPARE(g.Map[col][row], before.Map[col][row]);
            QCOMPARE(g.RMap[col][row], before.RMap[col][row]);
          }
    }
    if (!after.isNull()) QCOMPARE(layout(g), after);
    QCOMPARE(isSolved(g), solved);
    for (auto it = list.rbegin(); it != list.rend(); ++it) applyMove(g, inverse(*it));
    QCOMPARE(g.Map, start.Map);
    QCOMPARE(g.RMap, start.RMap);
  }

  // Undo walks back, redo forward; a new move forgets the moves to redo.
  void historyWalksBothWays() {
    MoveHistory h;
    const std::vector<Move> m = parseMoves("x1,1-2,1 t2,1 x2,2-3,1");
    for (const Move& move : m) h.record(move);
    QCOMPARE(h.count(), 3);
    QCOMPARE(h.takeBack(), Move::exchange({3, 1}, {2, 2}));
    QCOMPARE(h.takeBack(), Move::turn({2, 1}));
    QCOMPARE(h.count(), 1);
    QVERIFY(h.canRedo());
    QCOMPARE(h.playAgain(), m[1]);
    h.record(Move::turn({1, 1}));
    QVERIFY(!h.canRedo());
    QCOMPARE(h.count(), 3);
    h.clear();
    QVERIFY(!h.canUndo() && !h.canRedo());
    QCOMPARE(describe(m[0]), QStringLiteral("exchange (1,1)->(2,1)"));
  }

  void recordsReadBackAndRefuseDamage_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    const QByteArray head = "QUAVINTO records 1\n";
    QTest::newRow("empty list") << head << true;
    QTest::newRow("one") << head + "sha256:ab\t5\t5\t65\t40\t2026-12-07T10:00:00\t1\n" << true;
    QTest::newRow("no header") << QByteArray("sha256:ab\t5\t5\t65\t40\t2026-12-07T10:00:00\t1\n") << false;
    QTest::newRow("missing field") << head + "sha256:ab\t5\t5\t65\t2026-12-07T10:00:00\t1\n" << false;
    QTest::newRow("grid too big") << head + "sha256:ab\t31\t5\t65\t40\t2026-12-07T10:00:00\t0\n" << false;
    QTest::newRow("negative time") << head + "sha256:ab\t5\t5\t-1\t40\t2026-12-07T10:00:00\t0\n" << false;
    QTest::newRow("bad date") << head + "sha256:ab\t5\t5\t65\t40\tyesterday\t0\n" << false;
    QTest::newRow("bad flag") << head + "sha256:ab\t5\t5\t65\t40\t2026-12-07T10:00:00\t2\n" << false;
    QTest::newRow("NUL in the time") << recordWithNul() << false;
    QByteArray nulInPicture = head + "sha256:a@b\t5\t5\t65\t40\t2026-12-07T10:00:00\t1\n";
    QTest::newRow("NUL in the picture") << nulInPicture.replace('@', '\0') << false;
    QTest::newRow("sign in a count") << head + "sha256:ab\t5\t5\t+65\t40\t2026-12-07T10:00:00\t1\n" << false;
    QTest::newRow("picture not UTF-8") << head + "sha256:\xff\t5\t5\t65\t40\t2026-12-07T10:00:00\t1\n" << false;
  }

  void recordsReadBackAndRefuseDamage() {
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QList<Record> records;
    QCOMPARE(parseRecords(text, &records), ok);
    if (ok) QCOMPARE(formatRecords(records).split('\n').mid(2), text.split('\n').mid(1));
  }

  // Best first: the faster time, then fewer moves, then the earlier game; ten
  // kept for each picture and grid, the place of a new one reported.
  void tenBestKeptInOrder() {
    QTemporaryDir dir;
    RecordStore store(dir.path());
    const Record a = record("p", 60, 30, 1), b = record("p", 50, 40, 2), c = record("p", 50, 35, 3),
                 d = record("p", 50, 35, 4);
    QCOMPARE(store.add(a).place, 1);
    QCOMPARE(store.add(b).place, 1);
    QCOMPARE(store.add(c).place, 1);
    QCOMPARE(store.add(d).place, 2);
    QCOMPARE(store.add(record("q", 90, 9, 5)).place, 1);     // another picture
    QCOMPARE(store.add(record("p", 90, 9, 5, 4)).place, 1);  // another grid
    for (int i = 0; i < 8; ++i) store.add(record("p", 100 + i, 1, 6));
    QCOMPARE(store.add(record("p", 200, 1, 7)).place, 0);
    QList<Record> kept;
    QVERIFY(store.read("p", &kept).ok);
    QCOMPARE(kept.size(), 11);  // ten of 3 x 3, one of 4 x 3
    QCOMPARE(kept[0], c);
    QCOMPARE(kept[1], d);
    QCOMPARE(kept[2], b);
    QCOMPARE(kept[3], a);
    QCOMPARE(kept[9].seconds, 105);
  }

  // A file read whole and found damaged is kept as ….bad and a new list
  // begins (an oversized one is not read: see below).
  void damagedFileIsSetAside_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("damaged") << QByteArray("QUAVINTO records 1\nrubbish\n");
    QTest::newRow("NUL in a record") << recordWithNul();
  }

  void damagedFileIsSetAside() {
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    RecordStore store(dir.path());
    QFile file(store.filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const RecordStore::Outcome out = store.add(record("p", 10, 1, 1));
    QVERIFY(out.ok && out.setAside);
    QCOMPARE(out.place, 1);
    QFile bad(store.filePath() + ".bad");
    QVERIFY(bad.open(QIODevice::ReadOnly));
    QCOMPARE(bad.readAll(), content);
    QList<Record> now;
    QVERIFY(!store.read("p", &now).setAside);
    QCOMPARE(now.size(), 1);
  }

  // What cannot be read is never waited on, never set aside and never
  // written over, and the outcome names it; a file read whole with a NUL in
  // a record is damaged and set aside.
  void unreadableFileIsLeftAlone_data() { testsupport::addHostileFileRows(); }
  void unreadableFileIsLeftAlone() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    RecordStore store(dir.path());
    QVERIFY(testsupport::makeHostileFile(store.filePath(), kind, kRecordsFileLimit, recordWithNul()));
    const RecordStore::Outcome added = store.add(record("p", 10, 1, 1));
    QList<Record> shown;
    const RecordStore::Outcome read = store.read("p", &shown);
    alarm(0);
    const bool damaged = kind == QLatin1String("nul");
    QCOMPARE(shown.size(), damaged ? 1 : 0);
    QCOMPARE(QFileInfo::exists(store.filePath() + ".bad"), damaged);
    QCOMPARE(QFileInfo(store.filePath()).isFile(), damaged || kind == QLatin1String("big"));
    for (const RecordStore::Outcome& out : {added, read}) {
      QCOMPARE(out.ok, damaged);
      QCOMPARE(out.unreadable, !damaged);
      if (!damaged) QCOMPARE(out.problem, store.filePath());
    }
    QCOMPARE(added.place, damaged ? 1 : 0);
  }

  // A full disk while the list is written leaves the old list whole and the
  // game unranked. The list is its owner's alone; a link planted in its place
  // is replaced, its target untouched.
  void failedWriteKeepsTheRecords() {
    QTemporaryDir dir;
    RecordStore store(dir.path());
    QVERIFY(store.add(record("p", 60, 1, 1)).ok);
    const QByteArray before = readAll(store.filePath());
    platform::setWriteFailureForTests(before.size() / 2);
    const RecordStore::Outcome out = store.add(record("p", 10, 1, 2));
    platform::setWriteFailureForTests(-1);
    QVERIFY(!out.ok && !out.unreadable);
    QCOMPARE(out.place, 0);
    QCOMPARE(out.problem, dir.path());
    QCOMPARE(readAll(store.filePath()), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("records.txt")});
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(store.filePath()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);

    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.txt"));
    QVERIFY(QFile::rename(store.filePath(), elsewhere));
    QVERIFY(QFile::link(elsewhere, store.filePath()));
    QCOMPARE(store.add(record("p", 10, 1, 2)).place, 1);
    QCOMPARE(readAll(elsewhere), before);
    QVERIFY(!QFileInfo(store.filePath()).isSymLink());
  }

  // Two programs finishing at the same moment lose no record.
  void simultaneousAddsLoseNothing() {
    QTemporaryDir dir;
    const auto adder = [&](const QString& picture) {
      RecordStore store(dir.path());
      for (int i = 0; i < 25; ++i) QVERIFY(store.add(record(picture + QString::number(i), 10, 1, 1)).ok);
    };
    std::thread one(adder, QStringLiteral("a")), two(adder, QStringLiteral("b"));
    one.join();
    two.join();
    QFile file(RecordStore(dir.path()).filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<Record> all;
    QVERIFY(parseRecords(file.readAll(), &all));
    QCOMPARE(all.size(), 50);
  }

  // The same picture under another name keeps its key; the built-in picture
  // has its own.
  void picturesAreKnownByContent() {
    QTemporaryDir dir;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(dir.filePath("a.png")));
    QVERIFY(QFile::copy(dir.filePath("a.png"), dir.filePath("renamed.png")));
    QCOMPARE(computePictureKey(dir.filePath("a.png"), image), computePictureKey(dir.filePath("renamed.png"), QImage()));
    QCOMPARE(computePictureKey(QString(), image), QStringLiteral("builtin"));
    image.fill(Qt::blue);
    QVERIFY(image.save(dir.filePath("b.png")));
    QVERIFY(computePictureKey(dir.filePath("a.png"), image) != computePictureKey(dir.filePath("b.png"), image));
    // A named pipe in the picture's place is never waited on.
    QVERIFY(testsupport::makeHostileFile(dir.filePath("pipe.png"), QStringLiteral("pipe"), 0, {}));
    QVERIFY(computePictureKey(dir.filePath("pipe.png"), image).startsWith(QStringLiteral("pixels:")));
    alarm(0);
  }
};

QTEST_GUILESS_MAIN(MovesTest)
#include "tst_moves.moc"
