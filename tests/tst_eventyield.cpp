// The yield of long steps: it serves the window when due and otherwise returns
// at once, never more than once per interval; and a game start that runs
// longer than the interval still repaints the board and runs queued work
// asked for midway, before its question.
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "platform/EventYield.h"
#include "shell/Form1.h"
#include "support/TestSupport.h"

using quavinto::Form1;

namespace {

// Counts the events of one kind an object receives.
class EventCounter : public QObject {
 public:
  explicit EventCounter(QEvent::Type type) : type_(type) {}
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == type_) ++count;
    return false;
  }
  bool event(QEvent* event) override {
    if (event->type() == type_) {
      ++count;
      return true;
    }
    return QObject::event(event);
  }

 private:
  QEvent::Type type_;
};

const QEvent::Type kPing = QEvent::Type(QEvent::User + 7);

void busyWaitMs(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!timer.hasExpired(ms)) {
  }
}

// A main window whose pieces each take a millisecond, so that a 5 x 5 start
// lasts three times the yield's interval; at the tenth piece it asks for a
// repaint of the board and queues a call, as a player's action would.
class SlowForm : public Form1 {
 public:
  int yields = 0;
  int paintsAsked = -1;
  bool queuedRan = false;
  bool repaintedInTime = false;
  bool queuedInTime = false;
  EventCounter paints{QEvent::Paint};
  void processEvents() override {
    ++yields;
    busyWaitMs(1);
    if (yields == 10) {
      paintsAsked = paints.count;
      Picture1->update();
      QTimer::singleShot(0, this, [this] { queuedRan = true; });
    }
    Form1::processEvents();
    if (yields == state().Xn * state().Yn) {
      repaintedInTime = paints.count > paintsAsked;
      queuedInTime = queuedRan;
    }
  }
};

}  // namespace

class EventYieldTest : public QObject {
  Q_OBJECT

 private slots:
  void servesWhenDueAndOtherwiseReturnsAtOnce() {
    EventCounter receiver(kPing);
    platform::EventYield yield(60000);
    QCoreApplication::postEvent(&receiver, new QEvent(kPing));
    QVERIFY(yield());  // the first yield is always due
    QCOMPARE(receiver.count, 1);
    QCoreApplication::postEvent(&receiver, new QEvent(kPing));
    for (int i = 0; i < 1000; ++i) QVERIFY(!yield());
    QCOMPARE(receiver.count, 1);
    QCoreApplication::sendPostedEvents(&receiver);
    QCOMPARE(receiver.count, 2);
  }

  void servesAgainAfterTheIntervalAndNoMoreOften() {
    EventCounter receiver(kPing);
    platform::EventYield yield(20);
    QVERIFY(yield());
    QCoreApplication::postEvent(&receiver, new QEvent(kPing));
    busyWaitMs(25);
    QVERIFY(yield());
    QCOMPARE(receiver.count, 1);
    // Called without pause for 100 ms: served at most once per 20 ms.
    QElapsedTimer timer;
    timer.start();
    int served = 0, calls = 0;
    while (!timer.hasExpired(100)) {
      ++calls;
      if (yield()) ++served;
    }
    QVERIFY2(served >= 1 && served <= 100 / 20 + 1, qPrintable(QStringLiteral("served %1 times").arg(served)));
    QVERIFY(calls > 10 * served);
  }

  void gameStartStaysResponsive() {
    testsupport::PrivateSettings settings;
    testsupport::ScriptedBoxes boxes;
    SlowForm f;
    f.Picture1->installEventFilter(&f.paints);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QTest::qWait(20);
    boxes.answer(platform::vbNo);
    f.GStart->trigger();
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(f.yields, f.state().Xn * f.state().Yn);
    QVERIFY(f.yields >= 20);
    // Both were handled by the start's own yields, before its end.
    QVERIFY(f.repaintedInTime);
    QVERIFY(f.queuedInTime);
  }
};

QTEST_MAIN(EventYieldTest)
#include "tst_eventyield.moc"
