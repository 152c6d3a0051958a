// Manual drag: a press starts it, the outline follows the pointer, and the
// release hands exactly one drop to the area under the pointer when that area
// has a drop handler. Driven both by events sent to the widgets and by events
// entering through the window, as the player's pointer does.
#include "platform/ManualDrag.h"

#include <QMouseEvent>
#include <QRubberBand>
#include <QtTest>

namespace {

// A control that starts dragging itself when pressed, as the game's pieces do.
class DragSource : public QWidget {
public:
  using QWidget::QWidget;
  int presses = 0;

protected:
  void mousePressEvent(QMouseEvent* event) override {
    ++presses;
    platform::startDrag(this, event->globalPosition().toPoint(), event->button());
  }
};

struct Drop {
  QWidget* dragged;
  QPoint point;
};

}  // namespace

class TestManualDrag : public QObject {
  Q_OBJECT

private slots:
  void init();
  void cleanup();
  void dropReachesAreaUnderPointer();
  void dropReachesAreaWhenReleaseGoesToPressedControl();
  void dropThroughTheWindow();
  void noDropWithoutHandler_data();
  void noDropWithoutHandler();
  void outlineFollowsPointer();
  void outlineGoneWhenTheDropArrives();
  void handlerRemovedOrDestroyed();
  void cancelledDragDropsNothing();
  void destroyedControlDropsNothing();

private:
  QWidget* window_ = nullptr;
  DragSource* a_ = nullptr;
  QWidget* b_ = nullptr;
  QWidget* plain_ = nullptr;
  QList<Drop> drops_;
};

void TestManualDrag::init() {
  drops_.clear();
  window_ = new QWidget;
  window_->resize(400, 300);
  a_ = new DragSource(window_);
  a_->setGeometry(10, 10, 60, 40);
  b_ = new QWidget(window_);
  b_->setGeometry(200, 50, 120, 100);
  plain_ = new QWidget(window_);
  plain_->setGeometry(20, 200, 80, 60);
  platform::setDropHandler(b_, [this](QWidget* dragged, QPoint point) { drops_.append({dragged, point}); });
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void TestManualDrag::cleanup() {
  platform::cancelDrag();
  delete window_;
  window_ = nullptr;
}

void TestManualDrag::dropReachesAreaUnderPointer() {
  const QRect before = a_->geometry();
  QTest::mousePress(a_, Qt::LeftButton, {}, QPoint(5, 6));
  QCOMPARE(a_->presses, 1);
  QVERIFY(platform::dragInProgress());
  QCOMPARE(platform::draggedControl(), static_cast<QWidget*>(a_));
  QTest::mouseMove(b_, QPoint(10, 10));
  QTest::mouseMove(b_, QPoint(20, 30));
  QCOMPARE(a_->geometry(), before);
  QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(20, 30));
  QCOMPARE(drops_.size(), 1);
  QCOMPARE(drops_[0].dragged, static_cast<QWidget*>(a_));
  QCOMPARE(drops_[0].point, QPoint(20, 30));
  QVERIFY(!platform::dragInProgress());
  QCOMPARE(a_->geometry(), before);

  // The drag is over: another release delivers nothing more.
  QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(20, 30));
  QCOMPARE(drops_.size(), 1);
}

void TestManualDrag::dropReachesAreaWhenReleaseGoesToPressedControl() {
  // With a real pointer the pressed control keeps receiving the moves and the
  // release, at points outside itself; the drop still goes to the area there.
  QTest::mousePress(a_, Qt::LeftButton, {}, QPoint(30, 20));
  const QPoint overB = a_->mapFrom(window_, b_->geometry().topLeft() + QPoint(7, 90));
  QTest::mouseMove(a_, overB);
  QTest::mouseRelease(a_, Qt::LeftButton, {}, overB);
  QCOMPARE(drops_.size(), 1);
  QCOMPARE(drops_[0].dragged, static_cast<QWidget*>(a_));
  QCOMPARE(drops_[0].point, QPoint(7, 90));
}

void TestManualDrag::dropThroughTheWindow() {
  // Events entering at the window take the same path as the player's pointer:
  // the window routes them to the widgets itself.
  QWindow* handle = window_->windowHandle();
  QVERIFY(handle);
  const QRect before = a_->geometry();
  QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(40, 30));
  QCOMPARE(a_->presses, 1);
  QVERIFY(platform::dragInProgress());
  QTest::mouseMove(handle, QPoint(150, 80));
  QTest::mouseMove(handle, QPoint(260, 120));
  QRubberBand* band = window_->findChild<QRubberBand*>();
  QVERIFY(band);
  QCOMPARE(band->pos(), QPoint(260, 120) - QPoint(30, 20));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(260, 120));
  QCOMPARE(drops_.size(), 1);
  QCOMPARE(drops_[0].dragged, static_cast<QWidget*>(a_));
  QCOMPARE(drops_[0].point, QPoint(60, 70));
  QVERIFY(!platform::dragInProgress());
  QCOMPARE(a_->geometry(), before);

  // The window is left ready for the next drags: one onto an area without a
  // handler, then one onto B again.
  QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(12, 12));
  QCOMPARE(a_->presses, 2);
  QTest::mouseMove(handle, QPoint(50, 220));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(50, 220));
  QCOMPARE(drops_.size(), 1);
  QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(12, 12));
  QCOMPARE(a_->presses, 3);
  QTest::mouseMove(handle, QPoint(201, 51));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(201, 51));
  QCOMPARE(drops_.size(), 2);
  QCOMPARE(drops_[1].point, QPoint(1, 1));
}

void TestManualDrag::noDropWithoutHandler_data() {
  QTest::addColumn<QString>("where");
  QTest::newRow("area without handler") << "plain";
  QTest::newRow("window background") << "background";
  QTest::newRow("the dragged control itself") << "self";
  QTest::newRow("left of the window") << "left";
  QTest::newRow("below the window") << "below";
}

void TestManualDrag::noDropWithoutHandler() {
  QFETCH(QString, where);
  QWidget* receiver = window_;
  QPoint point;
  if (where == QLatin1String("plain")) {
    receiver = plain_;
    point = QPoint(40, 30);
  } else if (where == QLatin1String("background")) {
    point = QPoint(150, 250);
  } else if (where == QLatin1String("self")) {
    receiver = a_;
    point = QPoint(10, 10);
  } else if (where == QLatin1String("left")) {
    point = QPoint(-30, 100);
  } else {
    point = QPoint(100, 320);
  }
  QTest::mousePress(a_, Qt::LeftButton, {}, QPoint(5, 5));
  QVERIFY(platform::dragInProgress());
  QTest::mouseMove(receiver, point);
  QTest::mouseRelease(receiver, Qt::LeftButton, {}, point);
  QCOMPARE(drops_.size(), 0);
  QVERIFY(!platform::dragInProgress());

  // The next drag onto B still works.
  QTest::mousePress(a_, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(1, 2));
  QCOMPARE(drops_.size(), 1);
  QCOMPARE(drops_[0].point, QPoint(1, 2));
}

void TestManualDrag::outlineFollowsPointer() {
  QTest::mousePress(a_, Qt::LeftButton, {}, QPoint(15, 12));
  QRubberBand* band = window_->findChild<QRubberBand*>();
  QVERIFY(band);
  QVERIFY(band->isVisible());
  QCOMPARE(band->geometry(), a_->geometry());

  // The outline keeps the grab point under the pointer.
  QTest::mouseMove(b_, QPoint(50, 40));
  const QPoint pointer = b_->geometry().topLeft() + QPoint(50, 40);
  QCOMPARE(band->geometry(), QRect(pointer - QPoint(15, 12), a_->size()));
  QTest::mouseMove(a_, QPoint(-3, 100));
  QCOMPARE(band->pos(), a_->pos() + QPoint(-3, 100) - QPoint(15, 12));

  QPointer<QRubberBand> gone = band;
  QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(50, 40));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QVERIFY(gone.isNull());
  QCOMPARE(drops_.size(), 1);
}

void TestManualDrag::outlineGoneWhenTheDropArrives() {
  // A drop may open a modal box (the congratulation); the outline must not
  // stay on screen behind it.
  bool outlineShown = true;
  platform::setDropHandler(b_, [this, &outlineShown](QWidget*, QPoint) {
    outlineShown = false;
    for (QRubberBand* band : window_->findChildren<QRubberBand*>())
      if (band->isVisible()) outlineShown = true;
  });
  QTest::mousePress(a_, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseMove(b_, QPoint(20, 20));
  QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(20, 20));
  QVERIFY(!outlineShown);
}

void TestManualDrag::handlerRemovedOrDestroyed() {
  QVERIFY(platform::hasDropHandler(b_));
  platform::setDropHandler(b_, {});
  QVERIFY(!platform::hasDropHandler(b_));
  QTest::mousePress(a_, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(10, 10));
  QCOMPARE(drops_.size(), 0);

  // A handler may replace itself while it runs; the drop still arrives once.
  int calls = 0;
  platform::setDropHandler(b_, [&](QWidget*, QPoint) {
    ++calls;
    platform::setDropHandler(b_, [&](QWidget*, QPoint) { calls += 100; });
  });
  QTest::mousePress(a_, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(10, 10));
  QCOMPARE(calls, 1);

  // A destroyed area loses its handler, so a later widget at the same address
  // does not inherit it.
  const QWidget* address = b_;
  delete b_;
  b_ = nullptr;
  QVERIFY(!platform::hasDropHandler(address));
}

void TestManualDrag::cancelledDragDropsNothing() {
  QTest::mousePress(a_, Qt::LeftButton, {}, QPoint(5, 5));
  QVERIFY(platform::dragInProgress());
  platform::cancelDrag();
  QVERIFY(!platform::dragInProgress());
  QCOMPARE(platform::draggedControl(), static_cast<QWidget*>(nullptr));
  QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(10, 10));
  QCOMPARE(drops_.size(), 0);
}

void TestManualDrag::destroyedControlDropsNothing() {
  QTest::mousePress(a_, Qt::LeftButton, {}, QPoint(5, 5));
  delete a_;
  a_ = nullptr;
  QVERIFY(!platform::dragInProgress());
  QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(10, 10));
  QCOMPARE(drops_.size(), 0);
}

QTEST_MAIN(TestManualDrag)
#include "tst_manualdrag.moc"
