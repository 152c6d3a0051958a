// Time of day, random numbers, screen measures and whole-file writes: the
// replaceable clock and generator, the generator's range, spread and replay,
// the conversions between pixels and twips, the atomic writer, and the
// desktop's base folders.
#include "platform/AtomicWrite.h"
#include "platform/Clock.h"
#include "platform/FileNames.h"
#include "platform/Screen.h"
#include "platform/XdgFolders.h"
#include "support/TestSupport.h"

#include <sys/stat.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTime>
#include <QtTest>

#include <cstring>
#include <vector>

namespace {

QByteArray contentOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool put(const QString& path, const QByteArray& bytes, const QDateTime& when = QDateTime()) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
         (!when.isValid() || file.setFileTime(when, QFileDevice::FileModificationTime));
}

double realSecondsNow() { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }

// The real clock agrees with the time of day (allowing for midnight passing).
bool closeToRealTime(double seconds) {
  const double now = realSecondsNow();
  double gap = seconds > now ? seconds - now : now - seconds;
  if (gap > 43200) gap = 86400 - gap;
  return gap < 5.0;
}

std::vector<double> draws(int count) {
  std::vector<double> out;
  out.reserve(size_t(count));
  for (int i = 0; i < count; ++i) out.push_back(platform::Rnd());
  return out;
}

}  // namespace

class TestPlatform : public QObject {
  Q_OBJECT

private slots:
  void realClockIsTimeOfDay();
  void fakeClockIsUsedAndRestored();
  void generatorStaysInRangeAndSpreads();
  void sameStartReplays();
  void fakeGeneratorReplaysAndRestores();
  void screenIs96Dpi();
  void pixelsToTwips_data();
  void pixelsToTwips();
  void twipsToPixels_data();
  void twipsToPixels();
  void overrideReplacesScreen();
  void atomicWrite_data();
  void atomicWrite();
  void fileNamesKeepTheirBytes_data();
  void fileNamesKeepTheirBytes();
  void xdgFolders_data();
  void xdgFolders();
};

void TestPlatform::realClockIsTimeOfDay() {
  const double t = platform::secondsSinceMidnight();
  QVERIFY(t >= 0.0);
  QVERIFY(t < 86400.0);
  QVERIFY(closeToRealTime(t));
}

void TestPlatform::fakeClockIsUsedAndRestored() {
  {
    testsupport::FakeClock clock(86399.5);
    QCOMPARE(platform::secondsSinceMidnight(), 86399.5);
    clock.now = 3.25;  // past midnight
    QCOMPARE(platform::secondsSinceMidnight(), 3.25);
  }
  QVERIFY(closeToRealTime(platform::secondsSinceMidnight()));

  platform::setClock([] { return 1234.0; });
  QCOMPARE(platform::secondsSinceMidnight(), 1234.0);
  platform::setClock({});
  QVERIFY(closeToRealTime(platform::secondsSinceMidnight()));
}

void TestPlatform::generatorStaysInRangeAndSpreads() {
  platform::Randomize(12345.678);
  const int count = 100000;
  const std::vector<double> values = draws(count);
  int buckets[10] = {};
  for (const double v : values) {
    QVERIFY2(v >= 0.0 && v < 1.0, qPrintable(QString::number(v, 'g', 17)));
    ++buckets[int(v * 10)];
  }
  const double expected = count / 10.0;
  for (int i = 0; i < 10; ++i)
    QVERIFY2(buckets[i] > expected * 0.9 && buckets[i] < expected * 1.1,
             qPrintable(QStringLiteral("bucket %1 holds %2").arg(i).arg(buckets[i])));
  // Shuffling the largest board picks among 900 cells: every one must come up.
  std::vector<int> hits(900, 0);
  for (const double v : values) ++hits[size_t(v * 900)];
  for (size_t k = 0; k < hits.size(); ++k) QVERIFY2(hits[k] > 0, qPrintable(QString::number(k)));
}

void TestPlatform::sameStartReplays() {
  platform::Randomize(36000.5);
  const std::vector<double> first = draws(50);
  platform::Randomize(99.0);
  const std::vector<double> other = draws(50);
  platform::Randomize(36000.5);
  const std::vector<double> again = draws(50);
  QVERIFY(first == again);
  QVERIFY(first != other);
  // Starting values a fraction of a second apart still give different shuffles.
  platform::Randomize(36000.51);
  QVERIFY(draws(50) != first);
}

void TestPlatform::fakeGeneratorReplaysAndRestores() {
  platform::Randomize(7.0);
  const std::vector<double> expected = draws(6);
  platform::Randomize(7.0);
  const std::vector<double> head = draws(3);
  {
    testsupport::FakeRandom fake({0.25, 0.5, 0.999});
    QCOMPARE(platform::Rnd(), 0.25);
    QCOMPARE(platform::Rnd(), 0.5);
    QCOMPARE(platform::Rnd(), 0.999);
    QCOMPARE(platform::Rnd(), 0.999);
  }
  // The real generator goes on where it stopped, untouched by the fake.
  const std::vector<double> tail = draws(3);
  QCOMPARE(head[0], expected[0]);
  QCOMPARE(tail[0], expected[3]);
  QCOMPARE(tail[2], expected[5]);
}

void TestPlatform::screenIs96Dpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  QVERIFY(screen);
  QCOMPARE(screen->logicalDotsPerInchX(), 96.0);
  QCOMPARE(platform::twipsPerPixelX(), 15.0);
  QCOMPARE(platform::twipsPerPixelY(), 15.0);
  QCOMPARE(platform::screenGeometry(), screen->geometry());
  QCOMPARE(platform::availableScreenGeometry(), screen->availableGeometry());
}

void TestPlatform::pixelsToTwips_data() {
  QTest::addColumn<double>("pixels");
  QTest::addColumn<int>("twips");
  QTest::newRow("0") << 0.0 << 0;
  QTest::newRow("1") << 1.0 << 15;
  QTest::newRow("640") << 640.0 << 9600;
  QTest::newRow("0.5 is 7.5, to even 8") << 0.5 << 8;
  QTest::newRow("1.5 is 22.5, to even 22") << 1.5 << 22;
  QTest::newRow("2.5 is 37.5, to even 38") << 2.5 << 38;
  QTest::newRow("-1.5 is -22.5, to even -22") << -1.5 << -22;
  QTest::newRow("2184 fits") << 2184.0 << 32760;
  QTest::newRow("2184.5 rounds past the top") << 2184.5 << 32767;
  QTest::newRow("3000 clamps, no wrap") << 3000.0 << 32767;
  QTest::newRow("-3000 clamps") << -3000.0 << -32768;
}

void TestPlatform::pixelsToTwips() {
  QFETCH(double, pixels);
  QFETCH(int, twips);
  QCOMPARE(int(platform::PixelToTwipsX(pixels)), twips);
  QCOMPARE(int(platform::PixelToTwipsY(pixels)), twips);
}

void TestPlatform::twipsToPixels_data() {
  QTest::addColumn<double>("twips");
  QTest::addColumn<int>("pixels");
  QTest::newRow("15") << 15.0 << 1;
  QTest::newRow("7 rounds down") << 7.0 << 0;
  QTest::newRow("8 rounds up") << 8.0 << 1;
  QTest::newRow("9600") << 9600.0 << 640;
  QTest::newRow("-30") << -30.0 << -2;
}

void TestPlatform::twipsToPixels() {
  QFETCH(double, twips);
  QFETCH(int, pixels);
  QCOMPARE(platform::twipsToPixelsX(twips), pixels);
  QCOMPARE(platform::twipsToPixelsY(twips), pixels);
}

void TestPlatform::overrideReplacesScreen() {
  platform::setScreenOverride(12.0, 20.0, QRect(0, 0, 800, 600));
  const double tx = platform::twipsPerPixelX();
  const double ty = platform::twipsPerPixelY();
  const int px = platform::PixelToTwipsX(10);
  const int py = platform::PixelToTwipsY(10);
  const int backX = platform::twipsToPixelsX(1440);
  const int backY = platform::twipsToPixelsY(1440);
  const QRect geometry = platform::screenGeometry();
  const QRect available = platform::availableScreenGeometry();
  const int clamped = platform::PixelToTwipsY(2000);
  platform::setScreenOverride(0, 0, QRect());

  QCOMPARE(tx, 12.0);
  QCOMPARE(ty, 20.0);
  QCOMPARE(px, 120);
  QCOMPARE(py, 200);
  QCOMPARE(backX, 120);
  QCOMPARE(backY, 72);
  QCOMPARE(geometry, QRect(0, 0, 800, 600));
  QCOMPARE(available, QRect(0, 0, 800, 600));
  QCOMPARE(clamped, 32767);

  QCOMPARE(platform::twipsPerPixelX(), 15.0);
  QCOMPARE(platform::screenGeometry(), QGuiApplication::primaryScreen()->geometry());
}

// A file is the new bytes or the old ones, never a mixture; a full disk is
// reported with the system's text; a link at the destination is replaced,
// not followed; the program's files are the owner's only, a player's new
// file has the permissions the umask leaves. Leftovers of a killed write of
// the program's file are removed once old; a fresh one (another copy writing)
// and those beside a player's file are left.
void TestPlatform::atomicWrite_data() {
  QTest::addColumn<QString>("before");
  QTest::addColumn<bool>("player");
  QTest::addColumn<qint64>("failAfter");
  QTest::newRow("new file of the program's") << "" << false << qint64(-1);
  QTest::newRow("new file of the player's") << "" << true << qint64(-1);
  QTest::newRow("over a file of the program's") << "file" << false << qint64(-1);
  QTest::newRow("over a file of the player's") << "file" << true << qint64(-1);
  QTest::newRow("over a link") << "link" << false << qint64(-1);
  QTest::newRow("disk full at once") << "file" << false << qint64(0);
  QTest::newRow("disk full half-way") << "file" << true << qint64(4);
}
void TestPlatform::atomicWrite() {
  QFETCH(QString, before);
  QFETCH(bool, player);
  QFETCH(qint64, failAfter);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("list.txt"));
  const QString target = dir.filePath(QStringLiteral("target"));
  const QByteArray old = "the old bytes";
  // A player's file keeps the permissions it had.
  if (before == QLatin1String("file"))
    QVERIFY(put(path, old) && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
  if (before == QLatin1String("link")) QVERIFY(put(target, old) && QFile::link(target, path));
  QVERIFY(put(path + QStringLiteral(".Ab12Cd"), "killed", QDateTime::currentDateTime().addSecs(-600)));
  QVERIFY(put(path + QStringLiteral(".Zz9y8X"), "writing now"));

  platform::setWriteFailureForTests(failAfter);
  QString error;
  const auto access = player ? platform::FileAccess::PlayerFile : platform::FileAccess::OwnerOnly;
  const bool written = platform::writeFileAtomically(path, "the new bytes", access, &error);
  platform::setWriteFailureForTests(-1);
  QCOMPARE(written, failAfter < 0);
  QCOMPARE(contentOf(path), written ? QByteArray("the new bytes") : old);
  if (!written) QCOMPARE(error, QString::fromLocal8Bit(std::strerror(ENOSPC)));
  QVERIFY(!QFileInfo(path).isSymLink());
  if (before == QLatin1String("link")) QCOMPARE(contentOf(target), old);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat info {};
  QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
  const unsigned playerMode = before == QLatin1String("file") ? 0640 : 0666 & ~mask;
  if (written) QCOMPARE(info.st_mode & 0777, player ? playerMode : 0600u);
  const QStringList left = QDir(dir.path()).entryList({QStringLiteral("list.txt.*")}, QDir::Files);
  QCOMPARE(left.contains(QStringLiteral("list.txt.Ab12Cd")), player);
  QCOMPARE(left.size(), player ? 2 : 1);  // the fresh one only, and no temporary file of this write
}

// A file's name turns back into its very bytes, UTF-8 or not, so it opens; a
// UTF-8 name reads as it always has, and what the player sees of a name has
// U+FFFD for each byte that is not UTF-8.
void TestPlatform::fileNamesKeepTheirBytes_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("shown");
  QTest::newRow("ascii") << QByteArray("/p/a.bmp") << QStringLiteral("/p/a.bmp");
  QTest::newRow("japanese") << QByteArray("/p/\xe9\xa2\xa8.png") << QStringLiteral(u"/p/風.png");
  QTest::newRow("beyond the plane") << QByteArray("/\xf0\x9f\x92\x80.gif") << QStringLiteral(u"/\U0001F480.gif");
  QTest::newRow("latin-1") << QByteArray("/\xe9t\xe9.bmp") << QStringLiteral(u"/\uFFFDt\uFFFD.bmp");
  QTest::newRow("cut short") << QByteArray("/a\xe3\x81") << QStringLiteral(u"/a\uFFFD\uFFFD");
  QTest::newRow("encoded surrogate") << QByteArray("/\xed\xb2\x80") << QStringLiteral(u"/\uFFFD\uFFFD\uFFFD");
  QTest::newRow("overlong") << QByteArray("/\xc0\xaf") << QStringLiteral(u"/\uFFFD\uFFFD");
  QTest::newRow("pair, then a stray byte") << QByteArray("/\xf0\x9f\x92\x80\xff") << QStringLiteral(u"/\U0001F480\uFFFD");
}
void TestPlatform::fileNamesKeepTheirBytes() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, shown);
  const QString name = platform::fileNameFromBytes(bytes);
  QCOMPARE(platform::fileNameBytes(name), bytes);
  QCOMPARE(platform::shownFileName(name), shown);
  if (QUtf8StringView(bytes).isValidUtf8()) QCOMPARE(name, QString::fromUtf8(bytes));
}

// Each base folder from its variable when that is absolute, else its default
// under the home folder.
void TestPlatform::xdgFolders_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QByteArray>("variable");
  QTest::addColumn<QByteArray>("value");
  QTest::addColumn<QString>("expected");
  const QString home = QDir::homePath();
  using platform::XdgFolder;
  QTest::newRow("state, set") << int(XdgFolder::State) << QByteArray("XDG_STATE_HOME") << QByteArray("/s/t/") << "/s/t";
  QTest::newRow("state, unset") << int(XdgFolder::State) << QByteArray("XDG_STATE_HOME") << QByteArray()
                                << home + "/.local/state";
  QTest::newRow("data, relative") << int(XdgFolder::Data) << QByteArray("XDG_DATA_HOME") << QByteArray("rel/data")
                                  << home + "/.local/share";
  QTest::newRow("cache, set") << int(XdgFolder::Cache) << QByteArray("XDG_CACHE_HOME") << QByteArray("/c") << "/c";
  QTest::newRow("config, unset") << int(XdgFolder::Config) << QByteArray("XDG_CONFIG_HOME") << QByteArray()
                                 << home + "/.config";
}

void TestPlatform::xdgFolders() {
  QFETCH(int, kind);
  QFETCH(QByteArray, variable);
  QFETCH(QByteArray, value);
  QFETCH(QString, expected);
  const QByteArray old = qgetenv(variable.constData());
  const bool had = qEnvironmentVariableIsSet(variable.constData());
  if (value.isEmpty())
    qunsetenv(variable.constData());
  else
    qputenv(variable.constData(), value);
  const QString got = platform::xdgFolder(platform::XdgFolder(kind));
  if (had)
    qputenv(variable.constData(), old);
  else
    qunsetenv(variable.constData());
  QCOMPARE(got, expected);
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
