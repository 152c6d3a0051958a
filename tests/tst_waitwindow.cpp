// The wait window: placement, the start-up picture, the four-second wait read
// in whole seconds (midnight included) and the single hand-over by a click.
#include "platform/Screen.h"
#include "shell/Form5.h"
#include "support/TestSupport.h"

#include <QPointer>
#include <QTest>

#include <cmath>

using quavinto::Form5;

namespace {

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

class WaitWindowTest : public QObject {
  Q_OBJECT
private slots:
  void cleanup() { platform::setScreenOverride(0, 0, QRect()); }

  void centredOnTheScreen_data();
  void centredOnTheScreen();
  void showsTheStartupPicture();
  void waitLastsFourWholeSeconds_data();
  void waitLastsFourWholeSeconds();
  void timerEndsTheWaitByItself();
  void clickOpensTheMainWindowOnce();
  void closingEarlyStillOpensTheMainWindow();
};

void WaitWindowTest::centredOnTheScreen_data() {
  QTest::addColumn<double>("twipsPerPixel");
  QTest::addColumn<QRect>("screen");
  QTest::addColumn<QRect>("window");
  QTest::newRow("1024x768 at 96 dpi") << 15.0 << QRect(0, 0, 1024, 768) << QRect(320, 256, 384, 256);
  QTest::newRow("1280x1024 at 96 dpi") << 15.0 << QRect(0, 0, 1280, 1024) << QRect(448, 384, 384, 256);
  QTest::newRow("1024x768 at 120 dpi") << 12.0 << QRect(0, 0, 1024, 768) << QRect(320, 256, 384, 256);
  QTest::newRow("odd-sized screen") << 15.0 << QRect(0, 0, 1023, 767) << QRect(320, 256, 384, 256);
  QTest::newRow("second screen to the right") << 15.0 << QRect(1920, 0, 1024, 768) << QRect(2240, 256, 384, 256);
}

void WaitWindowTest::centredOnTheScreen() {
  QFETCH(double, twipsPerPixel);
  QFETCH(QRect, screen);
  platform::setScreenOverride(twipsPerPixel, twipsPerPixel, screen);
  Form5 window([] {});
  QTEST(window.geometry(), "window");
  QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
}

void WaitWindowTest::showsTheStartupPicture() {
  platform::setScreenOverride(15, 15, QRect(0, 0, 1024, 768));
  Form5 window([] {});
  const QImage expected = QImage(QStringLiteral(":/startup.bmp")).convertToFormat(QImage::Format_RGB32);
  QCOMPARE(expected.size(), QSize(384, 256));
  QCOMPARE(window.grab().toImage().convertToFormat(QImage::Format_RGB32), expected);
}

void WaitWindowTest::waitLastsFourWholeSeconds_data() {
  // The clock at the start, a time after which the wait must still go on, and
  // one by which it must have ended (both seconds after the start).
  QTest::addColumn<double>("start");
  QTest::addColumn<double>("stillWaiting");
  QTest::addColumn<double>("ended");
  QTest::newRow("on a whole second") << 36000.0 << 3.4 << 3.6;
  QTest::newRow("start rounds up") << 100.6 << 3.8 << 4.0;
  QTest::newRow("start half rounds to even") << 100.5 << 2.9 << 3.1;
  QTest::newRow("one second before midnight") << 86399.0 << 3.4 << 3.6;
  QTest::newRow("0.6 s before midnight") << 86399.4 << 3.0 << 3.2;
  QTest::newRow("start rounds to midnight") << 86399.6 << 3.8 << 4.0;
}

void WaitWindowTest::waitLastsFourWholeSeconds() {
  QFETCH(double, start);
  QFETCH(double, stillWaiting);
  QFETCH(double, ended);
  platform::setScreenOverride(15, 15, QRect(0, 0, 1024, 768));
  testsupport::FakeClock clock(start);
  int opened = 0;
  QPointer<Form5> window = new Form5([&opened] { ++opened; });
  window->show();
  QVERIFY(window->waiting());
  auto at = [&](double passed) { clock.now = std::fmod(start + passed, 86400.0); };
  for (double passed = 0; passed <= stillWaiting + 1e-9; passed += 0.1) {
    at(passed);
    window->pollWait();
    QVERIFY2(opened == 0, qPrintable(QStringLiteral("ended after %1 s").arg(passed)));
  }
  at(stillWaiting);
  window->pollWait();
  QCOMPARE(opened, 0);
  QVERIFY(window->waiting());
  at(ended);
  window->pollWait();
  QCOMPARE(opened, 1);
  flushDeletes();
  QVERIFY(window.isNull());
}

void WaitWindowTest::timerEndsTheWaitByItself() {
  platform::setScreenOverride(15, 15, QRect(0, 0, 1024, 768));
  testsupport::FakeClock clock(50000.0);
  int opened = 0;
  QPointer<Form5> window = new Form5([&opened] { ++opened; });
  window->show();
  QTest::qWait(120);
  QCOMPARE(opened, 0);
  clock.now += 4.0;
  QTRY_COMPARE_WITH_TIMEOUT(opened, 1, 2000);
  QTRY_VERIFY(window.isNull());
}

void WaitWindowTest::clickOpensTheMainWindowOnce() {
  platform::setScreenOverride(15, 15, QRect(0, 0, 1024, 768));
  testsupport::FakeClock clock(50000.2);
  int opened = 0;
  QPointer<Form5> window = new Form5([&opened] { ++opened; });
  window->show();
  clock.now += 0.5;
  QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
  QCOMPARE(opened, 1);
  QVERIFY(window.isNull() || !window->isVisible());
  // Time passes beyond the end of the interrupted wait: nothing more happens.
  clock.now += 10.0;
  QTest::qWait(150);
  QCOMPARE(opened, 1);
  QVERIFY(window.isNull());
}

void WaitWindowTest::closingEarlyStillOpensTheMainWindow() {
  platform::setScreenOverride(15, 15, QRect(0, 0, 1024, 768));
  testsupport::FakeClock clock(50000.0);
  int opened = 0;
  QPointer<Form5> window = new Form5([&opened] { ++opened; });
  window->show();
  window->close();
  QCOMPARE(opened, 1);
  clock.now += 10.0;
  QTest::qWait(120);
  QCOMPARE(opened, 1);
  QVERIFY(window.isNull());
}

QTEST_MAIN(WaitWindowTest)
#include "tst_waitwindow.moc"
