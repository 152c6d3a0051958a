// The move layer without a window: moves as values applied to Map and RMap,
// their inverses, the history undo and redo walk, and the records file.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <map>
#include <queue>
#include <random>
#include <thread>

#include "core/FewestMoves.h"
#include "core/Move.h"
#include "persistence/PictureKey.h"
#include "persistence/Records.h"
#include "platform/AtomicWrite.h"
#include "support/TestSupport.h"

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
// A board whose cell i (reading order) holds piece pieces[i], reversed where
// the mark is set.
GameState arranged(int xn, int yn, const std::vector<int>& pieces, const std::vector<int>& reversed) {
  GameState g = testsupport::solvedState(xn, yn);
  for (int i = 0; i < xn * yn; ++i) {
    g.Map[i % xn + 1][i / xn + 1] = int16_t(pieces[size_t(i)]);
    g.RMap[i % xn + 1][i / xn + 1] = int16_t(reversed[size_t(i)]);
  }
  return g;
}
// Pieces 1..n, each at home.
std::vector<int> inOrder(int n) {
  std::vector<int> p(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) p[size_t(i)] = i + 1;
  return p;
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

  // The fewest moves of kinds of position: what is away from home less its
  // cycles, plus one turn for each reversed piece.
  void fewestMovesOfPositions_data() {
    QTest::addColumn<int>("xn");
    QTest::addColumn<int>("yn");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("fewest");
    QTest::newRow("solved 5x5") << 5 << 5 << "solved" << 0;
    QTest::newRow("one cycle through all 9") << 3 << 3 << "rotated" << 8;
    QTest::newRow("four 2-cycles") << 4 << 2 << "pairs" << 4;
    QTest::newRow("all 9 reversed, at home") << 3 << 3 << "reversed" << 9;
    QTest::newRow("1x1 reversed") << 1 << 1 << "reversed" << 1;
    QTest::newRow("1x1 solved") << 1 << 1 << "solved" << 0;
    QTest::newRow("30x30 one cycle, all reversed") << 30 << 30 << "rotated reversed" << 899 + 900;
    QTest::newRow("30x30 450 pairs") << 30 << 30 << "pairs" << 450;
  }
  void fewestMovesOfPositions() {
    QFETCH(int, xn);
    QFETCH(int, yn);
    QFETCH(QString, kind);
    QFETCH(int, fewest);
    const int n = xn * yn;
    std::vector<int> pieces = inOrder(n);
    if (kind.contains(QLatin1String("rotated"))) std::rotate(pieces.begin(), pieces.begin() + 1, pieces.end());
    if (kind == QLatin1String("pairs"))
      for (int i = 0; i + 1 < n; i += 2) std::swap(pieces[size_t(i)], pieces[size_t(i) + 1]);
    const std::vector<int> marks(size_t(n), kind.contains(QLatin1String("reversed")) ? 1 : 0);
    GameState g = arranged(xn, yn, pieces, marks);
    QCOMPARE(fewestMoves(g), fewest);
    // Hints alone solve it in exactly that many moves.
    int used = 0;
    while (const std::optional<Move> hint = hintMove(g)) {
      applyMove(g, *hint);
      QVERIFY(++used <= fewest);
    }
    QVERIFY(isSolved(g));
    QCOMPARE(used, fewest);
  }

  // Over shuffles as a game starts them: every hint is an exchange that
  // brings a piece home (two when it can) or, with every piece home, a turn;
  // hints alone reach the solved board in exactly the fewest moves.
  void hintsFollowAShortestWay() {
    std::mt19937 random(20261208);
    for (const auto& [xn, yn] : std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {3, 2}, {5, 5}, {8, 3}, {30, 30}}) {
      for (int round = 0; round < 20; ++round) {
        GameState g = testsupport::solvedState(xn, yn);
        const int n = xn * yn;
        std::uniform_int_distribution<int> any(1, n);
        for (int i = 1; i <= n; ++i) {
          const Cell a{homeColumn(xn, i), homeRow(xn, i)};
          const int r = any(random);
          const Cell b{homeColumn(xn, r), homeRow(xn, r)};
          g.RMap[a.col][a.row] = g.RMap[b.col][b.row] = int16_t(i % 2 == 0);
          std::swap(g.Map[a.col][a.row], g.Map[b.col][b.row]);
        }
        const int fewest = fewestMoves(g);
        int used = 0;
        while (const std::optional<Move> hint = hintMove(g)) {
          const int before = fewestMoves(g);
          if (hint->kind == Move::Kind::Exchange) {
            const int k = g.Map[hint->from.col][hint->from.row];
            QCOMPARE(hint->to, (Cell{homeColumn(xn, k), homeRow(xn, k)}));
          } else {
            QVERIFY2(g.Map == testsupport::solvedState(xn, yn).Map, "a turn was hinted before every piece was home");
          }
          applyMove(g, *hint);
          QCOMPARE(fewestMoves(g), before - 1);
          QVERIFY(++used <= fewest);
        }
        QVERIFY(isSolved(g));
        QCOMPARE(used, fewest);
      }
    }
  }

  // On boards small enough to search whole, no sequence of moves is shorter:
  // the distance of every position from the solved board, found breadth
  // first over every exchange and turn, is the figure.
  void noWayIsShorterThanTheFewest() {
    for (const std::pair<int, int>& grid : std::vector<std::pair<int, int>>{{2, 2}, {3, 2}}) {
      // Plain names, not a structured binding: the lambda below captures them.
      const int xn = grid.first, yn = grid.second;
      const int n = xn * yn;
      const auto key = [&](const GameState& g) {
        QByteArray k;
        for (int i = 0; i < n; ++i) k += char(g.Map[i % xn + 1][i / xn + 1] * 2 + g.RMap[i % xn + 1][i / xn + 1]);
        return k;
      };
      std::map<QByteArray, int> distance;
      std::queue<GameState> next;
      const GameState solved = testsupport::solvedState(xn, yn);
      distance[key(solved)] = 0;
      next.push(solved);
      int mismatches = 0;
      while (!next.empty()) {
        const GameState g = next.front();
        next.pop();
        const int d = distance[key(g)];
        if (fewestMoves(g) != d) ++mismatches;
        for (int a = 0; a < n; ++a) {
          for (int b = a; b < n; ++b) {
            GameState after = g;
            const Cell ca{a % xn + 1, a / xn + 1}, cb{b % xn + 1, b / xn + 1};
            applyMove(after, a == b ? Move::turn(ca) : Move::exchange(ca, cb));
            if (distance.emplace(key(after), d + 1).second) next.push(after);
          }
        }
      }
      int states = 1, marks = 1;
      for (int i = 2; i <= n; ++i) states *= i;
      for (int i = 0; i < n; ++i) marks *= 2;
      QCOMPARE(int(distance.size()), states * marks);
      QCOMPARE(mismatches, 0);
    }
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
    const QByteArray second = "QUAVINTO records 2\n";
    QTest::newRow("second version") << second + "sha256:ab\t5\t5\t65\t40\t2026-12-07T10:00:00\t1\t38\t2\n" << true;
    QTest::newRow("second version, fewest not known")
        << second + "sha256:ab\t5\t5\t65\t40\t2026-12-07T10:00:00\t1\t-\t0\n"
        << true;
    QTest::newRow("second version with first's fields") << second + "sha256:ab\t5\t5\t65\t40\t2026-12-07T10:00:00\t1\n"
                                                        << false;
    QTest::newRow("first version with second's fields")
        << head + "sha256:ab\t5\t5\t65\t40\t2026-12-07T10:00:00\t1\t38\t2\n"
        << false;
    QTest::newRow("sign in the hints") << second + "sha256:ab\t5\t5\t65\t40\t2026-12-07T10:00:00\t1\t38\t-2\n" << false;
  }

  void recordsReadBackAndRefuseDamage() {
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QList<Record> records;
    QCOMPARE(parseRecords(text, &records), ok);
    if (!ok) return;
    // Every list is written in the second version and reads back the same; a
    // first version's games read with the fewest moves not known, no hints.
    const QByteArray written = formatRecords(records);
    QVERIFY(written.startsWith("QUAVINTO records 2\n"));
    QList<Record> back;
    QVERIFY(parseRecords(written, &back));
    QCOMPARE(back, records);
    if (text.startsWith("QUAVINTO records 2")) QCOMPARE(written.split('\n').mid(2), text.split('\n').mid(1));
    for (const Record& r : records) {
      if (text.startsWith("QUAVINTO records 1")) QVERIFY(r.fewest == -1 && r.hints == 0);
    }
  }

  // A list of the first version gains the second's fields as a game is added,
  // keeping every game it had; a list of a later version than this program
  // reads is the player's all the same: never set aside, never written over.
  void olderListKeptNewerListLeftAlone() {
    QTemporaryDir dir;
    RecordStore store(dir.path());
    const QByteArray first = "QUAVINTO records 1\nsha256:ab\t5\t5\t65\t40\t2026-12-07T10:00:00\t1\n";
    QFile file(store.filePath());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(first) == first.size());
    file.close();
    Record solved = record("sha256:ab", 50, 38, 8, 5);
    solved.yn = 5;
    solved.fewest = 38;
    solved.hints = 1;
    QCOMPARE(store.add(solved).place, 1);
    QList<Record> kept;
    QVERIFY(store.read("sha256:ab", &kept).ok);
    QCOMPARE(kept.size(), 2);
    QCOMPARE(kept[0], solved);
    QCOMPARE(kept[1].seconds, 65);
    QCOMPARE(kept[1].fewest, -1);
    QVERIFY(!QFile::exists(store.filePath() + QStringLiteral(".bad")));

    const QByteArray later = "QUAVINTO records 3\nsha256:ab\t5\t5\t65\t40\t2026-12-07T10:00:00\t1\t38\t2\tgold\n";
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(later) == later.size());
    file.close();
    const RecordStore::Outcome added = store.add(solved);
    QVERIFY(!added.ok && added.unreadable && added.newer && !added.setAside);
    QCOMPARE(readAll(store.filePath()), later);
    QVERIFY(!QFile::exists(store.filePath() + QStringLiteral(".bad")));
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
