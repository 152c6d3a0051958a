// The saved-game file: exact bytes written, round trips, the damaged-file
// corpus, and saving that never destroys the file already on disk.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "persistence/GameFile.h"
#include "persistence/GameFileIo.h"
#include "persistence/SaveFailure.h"
#include "platform/AtomicWrite.h"
#include "support/TestSupport.h"

using quavinto::SavedGame;
Q_DECLARE_METATYPE(SavedGame)

namespace {

QString dataDir() { return qEnvironmentVariable("QUAVINTO_TEST_DATA") + QStringLiteral("/gamefiles"); }

// The 3x2 example game on C:\pics\cat.bmp.
SavedGame exampleGame() {
  SavedGame s;
  s.pictureFile = QStringLiteral("C:\\pics\\cat.bmp");
  s.SepFlag = 0;
  s.HyoujiFlag = 1;
  s.ColorFlag = 0;
  s.PieceWidth = 128;
  s.PieceHeight = 128;
  s.Xn = 3;
  s.Yn = 2;
  const int map[2][3] = {{4, 2, 3}, {1, 6, 5}};
  const int rmap[2][3] = {{0, 1, 0}, {0, 0, 1}};
  for (int row = 1; row <= 2; ++row) {
    for (int col = 1; col <= 3; ++col) {
      s.Map[col][row] = static_cast<int16_t>(map[row - 1][col - 1]);
      s.RMap[col][row] = static_cast<int16_t>(rmap[row - 1][col - 1]);
    }
  }
  s.seconds = 95;
  return s;
}

// An xn by yn game whose pieces run backwards and every third is reversed.
SavedGame gridGame(int xn, int yn, const QString& picture) {
  SavedGame s;
  s.pictureFile = picture;
  s.SepFlag = 3;
  s.HyoujiFlag = 1;
  s.ColorFlag = 5;
  s.PieceWidth = 12;
  s.PieceHeight = 9;
  s.Xn = static_cast<int16_t>(xn);
  s.Yn = static_cast<int16_t>(yn);
  int k = xn * yn;
  for (int row = 1; row <= yn; ++row) {
    for (int col = 1; col <= xn; ++col) {
      s.Map[col][row] = static_cast<int16_t>(k--);
      s.RMap[col][row] = static_cast<int16_t>((col + row) % 3 == 0);
    }
  }
  s.seconds = 2147483647;
  return s;
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

}  // namespace

class TestGameFile : public QObject {
  Q_OBJECT

 private slots:
  void writesTheExampleByteForByte() {
    const QByteArray want =
        "C:\\pics\\cat.bmp\r\n 0 \r\n 1 \r\n 0 \r\n 128  128 \r\n 3  2 \r\n"
        " 004 002 003\r\n 001 006 005\r\n 000 001 000\r\n 000 000 001\r\n 95 \r\n";
    QCOMPARE(quavinto::formatGameFile(exampleGame()), want);
  }

  void writesNegativesAndTheEmptyPath() {
    SavedGame s = gridGame(1, 1, QString());
    s.SepFlag = -7;
    s.seconds = 0;
    QCOMPARE(quavinto::formatGameFile(s),
             QByteArray("\r\n-7 \r\n 1 \r\n 5 \r\n 12  9 \r\n 1  1 \r\n 001\r\n 000\r\n 0 \r\n"));
  }

  void roundTrips_data() {
    QTest::addColumn<SavedGame>("game");
    QTest::newRow("example") << exampleGame();
    QTest::newRow("1x1 built-in picture") << gridGame(1, 1, QString());
    QTest::newRow("30x30") << gridGame(30, 30, QStringLiteral("/pics/big.jpg"));
    QTest::newRow("30x1") << gridGame(30, 1, QStringLiteral("/a.bmp"));
    QTest::newRow("1x30") << gridGame(1, 30, QStringLiteral("/a.bmp"));
    QTest::newRow("comma in path") << gridGame(4, 3, QStringLiteral("/pics/cat, dog.bmp"));
    QTest::newRow("Japanese path") << gridGame(5, 5, QStringLiteral(u"/写真/表示用ソフト/猫①.jpg"));
    QTest::newRow("spaces inside path") << gridGame(2, 2, QStringLiteral("/my pics/cat .bmp "));
  }
  void roundTrips() {
    QFETCH(SavedGame, game);
    const QByteArray bytes = quavinto::formatGameFile(game);
    SavedGame back;
    QString error;
    QVERIFY2(quavinto::parseGameFile(bytes, &back, &error), qPrintable(error));
    QCOMPARE(back.pictureFile, game.pictureFile);
    QVERIFY(back == game);
    QCOMPARE(bytes.count("\r\n"), 7 + 2 * game.Yn);
    QCOMPARE(bytes.count('\n'), 7 + 2 * game.Yn);
  }

  void thirtyByThirtyRowsAre120Characters() {
    const QList<QByteArray> lines = quavinto::formatGameFile(gridGame(30, 30, QStringLiteral("/p.bmp"))).split('\n');
    QCOMPARE(lines.size(), 67 + 1);                               // the last line end leaves an empty tail
    for (int i = 6; i < 66; ++i) QCOMPARE(lines[i].size(), 121);  // 120 characters and the CR
    QVERIFY(lines[6].startsWith(" 900 899 898"));
  }

  // Files from Japanese systems carry the path in Shift-JIS; 表 and ソ end in
  // the byte 0x5C, which must not be taken for a backslash.
  void readsShiftJisPaths() {
    const QString path = QStringLiteral(u"C:\\写真\\表示ソフト\\猫①.bmp");
    QStringEncoder cp932("CP932");
    QVERIFY(cp932.isValid());
    QByteArray bytes = quavinto::formatGameFile(exampleGame());
    const QByteArray encoded = cp932(path);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString asUtf8 = utf8(encoded);
    QVERIFY(utf8.hasError() && asUtf8 != path);  // so the reader has to fall back
    bytes.replace(0, bytes.indexOf('\r'), encoded);
    SavedGame back;
    QString error;
    QVERIFY2(quavinto::parseGameFile(bytes, &back, &error), qPrintable(error));
    QCOMPARE(back.pictureFile, path);
    QCOMPARE(back.Map, exampleGame().Map);
  }

  void acceptsEquivalentSpellings_data() {
    QTest::addColumn<QString>("file");
    const QDir dir(dataDir() + QStringLiteral("/good"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY(names.size() >= 8);
    for (const QString& name : names) QTest::newRow(qPrintable(name)) << dir.filePath(name);
  }
  void acceptsEquivalentSpellings() {
    QFETCH(QString, file);
    SavedGame back;
    QString error;
    QVERIFY2(quavinto::loadGameFile(file, &back, &error), qPrintable(error));
    QVERIFY(back == exampleGame());
  }

  void refusesDamagedFiles_data() {
    QTest::addColumn<QString>("file");
    const QDir dir(dataDir() + QStringLiteral("/damaged"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY(names.size() >= 30);
    for (const QString& name : names) QTest::newRow(qPrintable(name)) << dir.filePath(name);
  }
  void refusesDamagedFiles() {
    QFETCH(QString, file);
    const QString name = QFileInfo(file).fileName();
    SavedGame untouched = gridGame(2, 2, QStringLiteral("/keep.bmp"));
    const SavedGame before = untouched;
    QString error;
    QVERIFY(!quavinto::loadGameFile(file, &untouched, &error));
    QVERIFY(untouched == before);
    QVERIFY(!error.isEmpty());
    if (name.startsWith(QLatin1Char('l'))) {
      const int line = name.mid(1, 2).toInt();
      if (line == 0)
        QVERIFY2(!error.contains(QStringLiteral(u"行目")), qPrintable(error));
      else
        QVERIFY2(error.startsWith(QStringLiteral(u"%1行目: ").arg(line)), qPrintable(error));
    }
  }

  void describesFaultsInJapanese_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const QByteArray good = quavinto::formatGameFile(exampleGame());
    QTest::newRow("letters") << QByteArray(good).replace(" 004", " abc")
                             << QStringLiteral(u"7行目: 数値ではありません（駒番号）");
    QTest::newRow("duplicate") << QByteArray(good).replace(" 006", " 004")
                               << QStringLiteral(u"8行目: 駒番号 4 が重複しています");
    QTest::newRow("columns") << QByteArray(good).replace(" 3  2 ", " 31  2 ")
                             << QStringLiteral(u"6行目: 横の分割数の値 31 は範囲外です（1～30）");
    QTest::newRow("ends early") << good.left(good.indexOf(" 000"))
                                << QStringLiteral(u"9行目: ファイルが途中で終わっています（反転の印がありません）");
  }
  void describesFaultsInJapanese() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QString got;
    QVERIFY(!quavinto::parseGameFile(bytes, nullptr, &got));
    QCOMPARE(got, error);
  }

  void refusesOversizedFilesUnread() {
    QByteArray big = quavinto::formatGameFile(exampleGame());
    big.append(QByteArray(quavinto::kMaxGameFileBytes, ' '));
    QString error;
    QVERIFY(!quavinto::parseGameFile(big, nullptr, &error));
    QVERIFY(error.contains(QStringLiteral("1 MB")));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.QVD"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(big);
    f.close();
    SavedGame out;
    QVERIFY(!quavinto::loadGameFile(path, &out, &error));
    // The refusal names the file's size, not the bytes read to tell it.
    QVERIFY(f.resize(100 * 1024 * 1024));
    QVERIFY(!quavinto::loadGameFile(path, &out, &error));
    QVERIFY2(error.contains(QStringLiteral(u"104857600 バイト")), qPrintable(error));
    QVERIFY(!quavinto::loadGameFile(dir.filePath(QStringLiteral("missing.QVD")), &out, &error));
    QVERIFY(error.startsWith(QStringLiteral(u"ファイルを開けません")));
  }

  // Anything but a regular file is refused before a byte is read: a named
  // pipe would wait for a writer for good, a device never ends. Run in a
  // child with an alarm, so a hang fails the test instead of stalling it.
  void refusesWhatIsNotAFile_data() { testsupport::addHostileFileRows(); }
  void refusesWhatIsNotAFile() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("game.QVD"));
    QByteArray withNul = quavinto::formatGameFile(exampleGame());
    withNul[5] = '\0';
    QVERIFY(testsupport::makeHostileFile(path, kind, quavinto::kMaxGameFileBytes, withNul));
    alarm(0);
    const QString expected = kind == QLatin1String("big")   ? QStringLiteral("1 MB")
                             : kind == QLatin1String("nul") ? QStringLiteral(u"制御文字")
                                                            : QStringLiteral(u"通常のファイルではない");
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
      alarm(5);
      SavedGame game;
      QString error;
      const bool ok = quavinto::loadGameFile(path, &game, &error);
      _exit(ok ? 1 : (error.contains(expected) ? 0 : 2));
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), "the read hung or crashed");
    QCOMPARE(WEXITSTATUS(status), 0);
  }

  // The common causes of a failed save in Japanese, recognised from the
  // system's text or found on the disk; the system's text only as a last resort.
  void namesSaveFailuresInJapanese_data() {
    QTest::addColumn<int>("errorNumber");
    QTest::addColumn<QString>("cause");
    QTest::newRow("disk full") << ENOSPC << QStringLiteral(u"ディスクの空き容量が足りません");
    QTest::newRow("quota") << EDQUOT << QStringLiteral(u"ディスクの空き容量が足りません");
    QTest::newRow("no permission") << EACCES << QStringLiteral(u"このフォルダーに書き込む権限がありません");
    QTest::newRow("not permitted") << EPERM << QStringLiteral(u"このフォルダーに書き込む権限がありません");
    QTest::newRow("read-only") << EROFS << QStringLiteral(u"書き込みできないディスク（読み取り専用）です");
    QTest::newRow("name too long") << ENAMETOOLONG << QStringLiteral(u"ファイル名が長すぎます");
    QTest::newRow("folder missing") << ENOENT << QStringLiteral(u"保存先のフォルダーがありません");
  }
  void namesSaveFailuresInJapanese() {
    QFETCH(int, errorNumber);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("g.QVD"));
    // As the file layer reports it, with or without its own words around it.
    const QString system = QString::fromLocal8Bit(std::strerror(errorNumber));
    QCOMPARE(quavinto::saveFailureCause(path, system), cause);
    QCOMPARE(quavinto::saveFailureCause(path, QStringLiteral("Cannot open: ") + system), cause);
  }
  void findsSaveFailuresOnTheDisk() {
    QTemporaryDir dir;
    const QString unknown = QStringLiteral("Unknown error 1234");
    QCOMPARE(quavinto::saveFailureCause(dir.filePath(QString(300, QLatin1Char('n')) + QStringLiteral(".QVD")), unknown),
             QStringLiteral(u"ファイル名が長すぎます"));
    QCOMPARE(quavinto::saveFailureCause(dir.filePath(QStringLiteral("gone/g.QVD")), unknown),
             QStringLiteral(u"保存先のフォルダーがありません"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub.QVD")));
    QCOMPARE(quavinto::saveFailureCause(dir.filePath(QStringLiteral("sub.QVD")), unknown),
             QStringLiteral(u"同じ名前のフォルダーがあります"));
    // Nothing known fits: the system's text is all there is.
    QCOMPARE(quavinto::saveFailureCause(dir.filePath(QStringLiteral("g.QVD")), unknown), unknown);

    // Through the real save: a name too long and a missing folder.
    QString error;
    QVERIFY(!quavinto::saveGameFile(dir.filePath(QString(300, QLatin1Char('n'))), exampleGame(), &error));
    QVERIFY2(error.contains(QStringLiteral(u"ファイル名が長すぎます")), qPrintable(error));
    QVERIFY(!quavinto::saveGameFile(dir.filePath(QStringLiteral("gone/g.QVD")), exampleGame(), &error));
    QVERIFY2(error.contains(QStringLiteral(u"保存先のフォルダーがありません")), qPrintable(error));
  }

  void capturesOnlyTheBoardCells() {
    quavinto::GameState g;
    quavinto::MainVars v;
    g.Xn = 3;
    g.Yn = 2;
    g.Map[5][5] = 25;  // left over from an earlier 5x5 board
    g.RMap[4][1] = 1;
    const SavedGame example = exampleGame();
    for (int c = 1; c <= 3; ++c)
      for (int r = 1; r <= 2; ++r) g.Map[c][r] = example.Map[c][r], g.RMap[c][r] = example.RMap[c][r];
    g.HyoujiFlag = 1;
    v.PictureFile = example.pictureFile;
    v.PieceWidth = v.PieceHeight = 128;
    v.ElapsedSeconds = 95;
    QVERIFY(quavinto::captureSavedGame(g, v) == example);

    quavinto::GameState g2;
    quavinto::MainVars v2;
    g2.Map[5][5] = 25;
    quavinto::applySavedGame(example, g2, v2);
    QCOMPARE(g2.Map, example.Map);
    QCOMPARE(v2.SavedSeconds, 95);
    QCOMPARE(v2.PictureFile, example.pictureFile);
    QCOMPARE(int(g2.Xn) * 10 + g2.Yn, 32);
  }

  void savesAndReplacesAFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("save1.QVD"));
    QString error;
    QVERIFY2(quavinto::saveGameFile(path, gridGame(4, 4, QStringLiteral("/a.bmp")), &error), qPrintable(error));
    QVERIFY2(quavinto::saveGameFile(path, exampleGame(), &error), qPrintable(error));
    QCOMPARE(readAll(path), quavinto::formatGameFile(exampleGame()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("save1.QVD")});
  }

  // A save killed mid-write left "<name>.XXXXXX" behind: the next save into
  // the folder removes it, and nothing that may be the player's or another
  // copy's.
  void saveRemovesItsOwnLeftovers() {
    QTemporaryDir dir;
    const QByteArray whole = quavinto::formatGameFile(exampleGame());
    const QDateTime old = QDateTime::currentDateTime().addSecs(-quavinto::kSaveLeftoverSeconds - 60);
    const auto put = [&](const char* name, const QByteArray& bytes, const QDateTime& when) {
      QFile f(dir.filePath(QLatin1String(name)));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(bytes);
      f.flush();
      if (when.isValid()) QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
    };
    put("game.QVD.a1B2c3", whole.left(40), old);          // killed mid-write: removed
    put("other.qvd.Zz9y8X", QByteArray(), old);           // killed at once: removed
    put("game.QVD.q7W3e5", whole.left(40), QDateTime());  // another copy saving now
    put("game.QVD.backup", whole, old);                   // the player's copy
    put("photo.jpg.a1B2c3", "x", old);                    // not a game file's
    put("game.QVD.a1B2c", "x", old);                      // not Qt's six characters
    QString error;
    QVERIFY2(quavinto::saveGameFile(dir.filePath(QStringLiteral("new.QVD")), exampleGame(), &error), qPrintable(error));
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left,
             (QStringList{"game.QVD.a1B2c", "game.QVD.backup", "game.QVD.q7W3e5", "new.QVD", "photo.jpg.a1B2c3"}));
  }

  void refusesToSaveWhatCannotBeReadBack() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.QVD"));
    QString error;
    QVERIFY(!quavinto::saveGameFile(path, gridGame(2, 2, QStringLiteral("/a\nb.bmp")), &error));
    SavedGame broken = exampleGame();
    broken.Map[1][1] = 2;  // two piece 2s
    QVERIFY(!quavinto::saveGameFile(path, broken, &error));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!quavinto::saveGameFile(dir.filePath(QStringLiteral("no/such/folder/x.QVD")), exampleGame(), &error));
  }

  // A write that fails part-way (here: the file-size limit, as on a full
  // disk) must leave the old file byte for byte and no temporary file behind.
  void failedSaveKeepsTheOldFile_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("limit");
    QTest::newRow("small file, fails at the end") << 2000 << 1000;
    QTest::newRow("large file, fails in the middle") << 300000 << 100000;
    QTest::newRow("disk full") << 2000 << -1;
  }
  void failedSaveKeepsTheOldFile() {
    QFETCH(int, size);
    QFETCH(int, limit);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("game.QVD"));
    const QByteArray old = quavinto::formatGameFile(exampleGame());
    QString error;
    QVERIFY(quavinto::writeGameFileAtomically(path, old, &error));

    const QByteArray bigger(size, 'x');
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit rl{};
      getrlimit(RLIMIT_FSIZE, &rl);
      rl.rlim_cur = static_cast<rlim_t>(limit);
      if (limit < 0)
        platform::setWriteFailureForTests(size / 2);
      else
        setrlimit(RLIMIT_FSIZE, &rl);
      QString childError;
      const bool ok = quavinto::writeGameFileAtomically(path, bigger, &childError);
      // Refused with a Japanese description that carries no English words.
      const bool japanese =
          !childError.isEmpty() && !childError.contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
      _exit(ok ? 1 : (japanese ? 0 : 2));
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);  // refused, with a description
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{QStringLiteral("game.QVD")});
  }
};

QTEST_GUILESS_MAIN(TestGameFile)
#include "tst_gamefile.moc"
