// Time of day, random numbers and screen measures: the replaceable clock and
// generator, the generator's range, spread and replay, and the conversions
// between pixels and twips.
#include "platform/Clock.h"
#include "platform/Screen.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTime>
#include <QtTest>

#include <vector>

namespace {

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

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
