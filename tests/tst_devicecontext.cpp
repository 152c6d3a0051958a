// Device contexts and picture areas: exact clipped copies, selections, the count
// of memory contexts, the assigned picture kept apart from the drawing, and a
// refresh that repaints only what changed.
#include "platform/DeviceContext.h"
#include "platform/PictureBox.h"

#include <QPainter>
#include <QtTest>

using platform::DeviceContext;
using platform::Hdc;
using platform::PictureBox;

namespace {

// Every pixel different, so a copy from the wrong place cannot match by chance.
QImage pattern(int width, int height, int salt = 0) {
  QImage image(width, height, platform::kBoardFormat);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb((x * 7 + salt) & 0xFF, (y * 13 + salt) & 0xFF, (x + y * width + salt) & 0xFF));
  return image;
}

QImage solid(int width, int height, QRgb colour) {
  QImage image(width, height, platform::kBoardFormat);
  image.fill(colour);
  return image;
}

// What an exact clipped copy must give, worked out pixel by pixel.
QImage expectedCopy(const QImage& dst, int x, int y, int w, int h, const QImage& src, int sx, int sy) {
  QImage out = dst.copy();
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col) {
      const QPoint from(sx + col, sy + row);
      const QPoint to(x + col, y + row);
      if (src.rect().contains(from) && out.rect().contains(to)) out.setPixel(to, src.pixel(from));
    }
  }
  return out;
}

}  // namespace

class TestDeviceContext : public QObject {
  Q_OBJECT

private slots:
  void copiesExactlyAndClips_data();
  void copiesExactlyAndClips();
  void copiesInsideOneImage_data();
  void copiesInsideOneImage();
  void neverBlendsOrScales();
  void refusesOtherRasterOperations_data();
  void refusesOtherRasterOperations();
  void refusesMissingImages();
  void selectReturnsPrevious();
  void memoryContextsAreCounted();
  void pictureStaysIntact();
  void autoSizeTakesPictureSize();
  void withoutAutoSizeKeepsSize();
  void refreshPaintsOnlyWhatChanged();
  void refreshPaintsSeparateRectangles();
  void buttonCodes_data();
  void buttonCodes();
};

void TestDeviceContext::copiesExactlyAndClips_data() {
  QTest::addColumn<QRect>("dest");  // x, y and the size w x h
  QTest::addColumn<QPoint>("from");
  QTest::addColumn<bool>("anything");
  // Source 40 x 30, destination 50 x 20.
  QTest::newRow("inside both") << QRect(5, 3, 10, 8) << QPoint(2, 4) << true;
  QTest::newRow("whole source") << QRect(0, 0, 40, 30) << QPoint(0, 0) << true;
  QTest::newRow("one pixel") << QRect(49, 19, 1, 1) << QPoint(39, 29) << true;
  QTest::newRow("past the destination's right edge") << QRect(45, 2, 10, 5) << QPoint(0, 0) << true;
  QTest::newRow("past the destination's bottom edge") << QRect(3, 15, 8, 10) << QPoint(1, 1) << true;
  QTest::newRow("past the source's right edge") << QRect(0, 0, 12, 6) << QPoint(35, 10) << true;
  QTest::newRow("past the source's bottom edge") << QRect(0, 0, 6, 12) << QPoint(4, 25) << true;
  QTest::newRow("negative destination") << QRect(-4, -3, 10, 10) << QPoint(5, 5) << true;
  QTest::newRow("negative source") << QRect(10, 5, 10, 10) << QPoint(-6, -2) << true;
  QTest::newRow("negative both") << QRect(-3, 2, 10, 10) << QPoint(-2, -5) << true;
  QTest::newRow("larger than both") << QRect(-10, -10, 100, 100) << QPoint(-5, -5) << true;
  QTest::newRow("fully right of destination") << QRect(50, 0, 10, 10) << QPoint(0, 0) << false;
  QTest::newRow("fully below destination") << QRect(0, 20, 10, 10) << QPoint(0, 0) << false;
  QTest::newRow("fully left of destination") << QRect(-10, 0, 10, 10) << QPoint(0, 0) << false;
  QTest::newRow("fully outside source") << QRect(0, 0, 10, 10) << QPoint(40, 0) << false;
  QTest::newRow("source fully above") << QRect(0, 0, 10, 10) << QPoint(0, -10) << false;
  QTest::newRow("zero width") << QRect(0, 0, 0, 10) << QPoint(0, 0) << false;
  QTest::newRow("negative height") << QRect(0, 0, 10, -5) << QPoint(0, 0) << false;
}

void TestDeviceContext::copiesExactlyAndClips() {
  QFETCH(QRect, dest);
  QFETCH(QPoint, from);
  QFETCH(bool, anything);
  QImage src = pattern(40, 30);
  QImage dst = solid(50, 20, qRgb(1, 2, 3));
  const QImage srcBefore = src.copy();
  const QImage want = expectedCopy(dst, dest.x(), dest.y(), dest.width(), dest.height(), src, from.x(), from.y());
  DeviceContext dstDc(&dst);
  DeviceContext srcDc(&src);
  QRect notified;
  int notifications = 0;
  dstDc.setDrawnCallback([&](const QRect& r) {
    notified = r;
    ++notifications;
  });
  const bool copied = platform::BitBlt(&dstDc, dest.x(), dest.y(), dest.width(), dest.height(), &srcDc, from.x(),
                                       from.y(), platform::SRCCOPY);
  QCOMPARE(copied, anything);
  QCOMPARE(dst, want);
  QCOMPARE(src, srcBefore);
  QCOMPARE(dst.size(), QSize(50, 20));
  QCOMPARE(dst.format(), platform::kBoardFormat);
  if (anything) {
    // The owner hears of exactly the rectangle written, inside the destination.
    QCOMPARE(notifications, 1);
    QVERIFY(dst.rect().contains(notified));
    QImage outside = dst.copy();
    QPainter(&outside).fillRect(notified, Qt::black);
    QImage outsideWant = want.copy();
    QPainter(&outsideWant).fillRect(notified, Qt::black);
    QCOMPARE(outside, outsideWant);
    QVERIFY(dst.copy(notified) != solid(notified.width(), notified.height(), qRgb(1, 2, 3)));
  } else {
    QCOMPARE(notifications, 0);
  }
}

void TestDeviceContext::copiesInsideOneImage_data() {
  QTest::addColumn<QPoint>("to");
  QTest::addColumn<QPoint>("from");
  QTest::newRow("down, overlapping") << QPoint(2, 5) << QPoint(2, 0);
  QTest::newRow("up, overlapping") << QPoint(0, 0) << QPoint(1, 4);
  QTest::newRow("right, same rows") << QPoint(6, 3) << QPoint(0, 3);
  QTest::newRow("left, same rows") << QPoint(0, 3) << QPoint(6, 3);
  QTest::newRow("onto itself") << QPoint(4, 4) << QPoint(4, 4);
}

void TestDeviceContext::copiesInsideOneImage() {
  QFETCH(QPoint, to);
  QFETCH(QPoint, from);
  QImage image = pattern(30, 24, 5);
  const QImage want = expectedCopy(image, to.x(), to.y(), 15, 12, image.copy(), from.x(), from.y());
  DeviceContext dc(&image);
  QVERIFY(platform::BitBlt(&dc, to.x(), to.y(), 15, 12, &dc, from.x(), from.y(), platform::SRCCOPY));
  QCOMPARE(image, want);
}

void TestDeviceContext::neverBlendsOrScales() {
  // A half-transparent source replaces the destination's pixels: nothing of the
  // destination shows through, and the copy is one to one.
  QImage src(8, 8, QImage::Format_ARGB32);
  src.fill(qRgba(200, 100, 50, 128));
  src.setPixel(3, 3, qRgba(0, 0, 0, 0));
  QImage dst = solid(8, 8, qRgb(0, 0, 255));
  DeviceContext dstDc(&dst);
  DeviceContext srcDc(&src);
  QVERIFY(platform::BitBlt(&dstDc, 0, 0, 8, 8, &srcDc, 0, 0, platform::SRCCOPY));
  // Blending over the blue destination would leave blue of 150 or more.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) QVERIFY(qBlue(dst.pixel(x, y)) <= 50);
  QCOMPARE(qBlue(dst.pixel(3, 3)), 0);

  // The same format and an odd rectangle: neighbours are not smeared together.
  QImage checker(9, 7, platform::kBoardFormat);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) checker.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
  QImage target = solid(20, 20, qRgb(9, 9, 9));
  DeviceContext checkerDc(&checker);
  DeviceContext targetDc(&target);
  QVERIFY(platform::BitBlt(&targetDc, 3, 5, 9, 7, &checkerDc, 0, 0, platform::SRCCOPY));
  QCOMPARE(target.copy(3, 5, 9, 7), checker);
  QCOMPARE(target.pixel(12, 5), qRgb(9, 9, 9));
  QCOMPARE(target.pixel(2, 5), qRgb(9, 9, 9));
}

void TestDeviceContext::refusesOtherRasterOperations_data() {
  QTest::addColumn<uint>("rop");
  QTest::newRow("SRCPAINT") << 0x00EE0086u;
  QTest::newRow("SRCAND") << 0x008800C6u;
  QTest::newRow("SRCINVERT") << 0x00660046u;
  QTest::newRow("BLACKNESS") << 0x00000042u;
  QTest::newRow("zero") << 0u;
}

void TestDeviceContext::refusesOtherRasterOperations() {
  QFETCH(uint, rop);
  QImage src = pattern(10, 10);
  QImage dst = solid(10, 10, qRgb(4, 5, 6));
  const QImage before = dst.copy();
  DeviceContext dstDc(&dst);
  DeviceContext srcDc(&src);
  QVERIFY(!platform::BitBlt(&dstDc, 0, 0, 10, 10, &srcDc, 0, 0, rop));
  QCOMPARE(dst, before);
}

void TestDeviceContext::refusesMissingImages() {
  QImage image = pattern(10, 10);
  const QImage before = image.copy();
  DeviceContext withImage(&image);
  DeviceContext empty;
  QVERIFY(!platform::BitBlt(&withImage, 0, 0, 5, 5, &empty, 0, 0, platform::SRCCOPY));
  QVERIFY(!platform::BitBlt(&empty, 0, 0, 5, 5, &withImage, 0, 0, platform::SRCCOPY));
  QVERIFY(!platform::BitBlt(nullptr, 0, 0, 5, 5, &withImage, 0, 0, platform::SRCCOPY));
  QVERIFY(!platform::BitBlt(&withImage, 0, 0, 5, 5, nullptr, 0, 0, platform::SRCCOPY));
  QImage null;
  DeviceContext nullImage(&null);
  QVERIFY(!platform::BitBlt(&withImage, 0, 0, 5, 5, &nullImage, 0, 0, platform::SRCCOPY));
  QCOMPARE(image, before);
}

void TestDeviceContext::selectReturnsPrevious() {
  const int start = platform::liveMemoryContexts();
  Hdc dc = platform::CreateCompatibleDC(nullptr);
  QVERIFY(dc);
  QImage first = pattern(4, 4, 1);
  QImage second = pattern(6, 6, 2);
  QCOMPARE(platform::SelectObject(dc, &first), static_cast<QImage*>(nullptr));
  QCOMPARE(platform::SelectObject(dc, &second), &first);
  QCOMPARE(dc->target(), &second);
  QCOMPARE(platform::SelectObject(dc, &first), &second);

  // Copies come from whatever is selected at the time.
  QImage dst = solid(4, 4, qRgb(0, 0, 0));
  DeviceContext dstDc(&dst);
  QVERIFY(platform::BitBlt(&dstDc, 0, 0, 4, 4, dc, 0, 0, platform::SRCCOPY));
  QCOMPARE(dst, first);
  platform::SelectObject(dc, &second);
  QVERIFY(platform::BitBlt(&dstDc, 0, 0, 4, 4, dc, 2, 2, platform::SRCCOPY));
  QCOMPARE(dst, second.copy(2, 2, 4, 4));

  QCOMPARE(platform::SelectObject(nullptr, &first), static_cast<QImage*>(nullptr));
  QVERIFY(platform::DeleteDC(dc));
  QCOMPARE(platform::liveMemoryContexts(), start);
}

void TestDeviceContext::memoryContextsAreCounted() {
  const int start = platform::liveMemoryContexts();
  Hdc a = platform::CreateCompatibleDC(nullptr);
  Hdc b = platform::CreateCompatibleDC(a);
  QVERIFY(a && b && a != b);
  QVERIFY(a->isMemory());
  QCOMPARE(platform::liveMemoryContexts(), start + 2);
  QVERIFY(platform::DeleteDC(a));
  QCOMPARE(platform::liveMemoryContexts(), start + 1);
  QVERIFY(platform::DeleteDC(b));
  QCOMPARE(platform::liveMemoryContexts(), start);

  // A picture area's own context and a null one are not memory contexts.
  QVERIFY(!platform::DeleteDC(nullptr));
  PictureBox box;
  QVERIFY(!box.hdc()->isMemory());
  QVERIFY(!platform::DeleteDC(box.hdc()));
  QCOMPARE(platform::liveMemoryContexts(), start);
  // The area's context still works after the refused delete.
  box.resize(10, 10);
  box.setPicture(solid(10, 10, qRgb(1, 1, 1)));
  QImage src = pattern(10, 10);
  DeviceContext srcDc(&src);
  QVERIFY(platform::BitBlt(box.hdc(), 0, 0, 10, 10, &srcDc, 0, 0, platform::SRCCOPY));
  QCOMPARE(box.retained(), src);
}

void TestDeviceContext::pictureStaysIntact() {
  PictureBox box;
  box.setAutoSize(true);
  const QImage picture = pattern(60, 40, 3);
  box.setPicture(picture);
  QCOMPARE(box.retained(), picture);

  QImage piece = solid(10, 10, qRgb(255, 0, 0));
  DeviceContext pieceDc(&piece);
  QVERIFY(platform::BitBlt(box.hdc(), 20, 10, 10, 10, &pieceDc, 0, 0, platform::SRCCOPY));
  QCOMPARE(box.picture(), picture);
  QCOMPARE(box.retained().pixel(25, 15), qRgb(255, 0, 0));
  QCOMPARE(box.retained().copy(0, 0, 20, 40), picture.copy(0, 0, 20, 40));

  // Copying the picture into the drawing through a memory context restores it
  // and still leaves the picture alone.
  Hdc mem = platform::CreateCompatibleDC(box.hdc());
  platform::SelectObject(mem, box.pictureBitmap());
  QVERIFY(platform::BitBlt(box.hdc(), 20, 10, 10, 10, mem, 20, 10, platform::SRCCOPY));
  QVERIFY(platform::DeleteDC(mem));
  QCOMPARE(box.retained(), picture);
  QCOMPARE(box.picture(), picture);

  // Clearing the drawing does not clear the picture either.
  box.setBackground(QColor(0, 128, 0));
  box.clearDrawing();
  QCOMPARE(box.retained().pixel(0, 0), qRgb(0, 128, 0));
  QCOMPARE(box.picture(), picture);
}

void TestDeviceContext::autoSizeTakesPictureSize() {
  PictureBox box;
  box.resize(10, 10);
  box.setAutoSize(true);
  box.setPicture(pattern(123, 45));
  QCOMPARE(box.size(), QSize(123, 45));
  QCOMPARE(box.retained().size(), QSize(123, 45));
  box.setPicture(pattern(30, 70));
  QCOMPARE(box.size(), QSize(30, 70));
  QCOMPARE(box.retained(), pattern(30, 70));

  // Turning auto-size on after the picture came also fits the area to it.
  PictureBox later;
  later.resize(200, 200);
  later.setPicture(pattern(50, 20));
  later.setAutoSize(true);
  QCOMPARE(later.size(), QSize(50, 20));
}

void TestDeviceContext::withoutAutoSizeKeepsSize() {
  PictureBox box;
  box.resize(40, 30);
  box.setBackground(QColor(10, 20, 30));
  const QImage picture = pattern(20, 50, 7);
  box.setPicture(picture);
  QCOMPARE(box.size(), QSize(40, 30));
  QCOMPARE(box.retained().size(), QSize(40, 30));
  QCOMPARE(box.retained().copy(0, 0, 20, 30), picture.copy(0, 0, 20, 30));
  QCOMPARE(box.retained().pixel(30, 10), qRgb(10, 20, 30));
  QCOMPARE(box.picture(), picture);
}

void TestDeviceContext::refreshPaintsOnlyWhatChanged() {
  PictureBox box;
  box.setAutoSize(true);
  box.setPicture(pattern(200, 150));
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  QTRY_VERIFY(PictureBox::paintedPixels() >= 200 * 150);
  QTest::qWait(20);

  // Nothing drawn: a refresh paints nothing.
  PictureBox::resetPaintedPixels();
  box.refresh();
  QTest::qWait(20);
  QCOMPARE(PictureBox::paintedPixels(), qint64(0));

  QImage piece = solid(10, 10, qRgb(255, 255, 0));
  DeviceContext pieceDc(&piece);
  QVERIFY(platform::BitBlt(box.hdc(), 70, 40, 10, 10, &pieceDc, 0, 0, platform::SRCCOPY));
  // Drawing alone does not paint; the refresh does.
  QTest::qWait(20);
  QCOMPARE(PictureBox::paintedPixels(), qint64(0));
  box.refresh();
  QTRY_VERIFY(PictureBox::paintedPixels() >= 100);
  QTest::qWait(20);
  const qint64 painted = PictureBox::paintedPixels();
  QVERIFY2(painted <= 400, qPrintable(QStringLiteral("%1 pixels painted for a 10 x 10 piece").arg(painted)));

  // What reached the screen is the new drawing.
  const QImage shown = box.grab().toImage().convertToFormat(platform::kBoardFormat);
  QCOMPARE(shown.pixel(75, 45), qRgb(255, 255, 0));
  QCOMPARE(shown.copy(0, 0, 70, 150), pattern(200, 150).copy(0, 0, 70, 150));

  // Painting at once works the same way, before returning.
  PictureBox::resetPaintedPixels();
  QVERIFY(platform::BitBlt(box.hdc(), 150, 100, 10, 10, &pieceDc, 0, 0, platform::SRCCOPY));
  box.repaintNow();
  QVERIFY(PictureBox::paintedPixels() >= 100);
  QVERIFY(PictureBox::paintedPixels() <= 400);
}

void TestDeviceContext::refreshPaintsSeparateRectangles() {
  PictureBox box;
  box.setAutoSize(true);
  box.setPicture(pattern(300, 200));
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  QTest::qWait(20);

  // Two pieces in opposite corners: the two rectangles, not the span between.
  PictureBox::resetPaintedPixels();
  QImage piece = solid(10, 10, qRgb(0, 255, 255));
  DeviceContext pieceDc(&piece);
  QVERIFY(platform::BitBlt(box.hdc(), 0, 0, 10, 10, &pieceDc, 0, 0, platform::SRCCOPY));
  QVERIFY(platform::BitBlt(box.hdc(), 290, 190, 10, 10, &pieceDc, 0, 0, platform::SRCCOPY));
  box.refresh();
  QTRY_VERIFY(PictureBox::paintedPixels() >= 200);
  QTest::qWait(20);
  const qint64 painted = PictureBox::paintedPixels();
  QVERIFY2(painted < 300 * 200 / 4, qPrintable(QStringLiteral("%1 pixels painted for two pieces").arg(painted)));
}

void TestDeviceContext::buttonCodes_data() {
  QTest::addColumn<int>("button");
  QTest::addColumn<int>("code");
  QTest::newRow("left") << int(Qt::LeftButton) << 1;
  QTest::newRow("right") << int(Qt::RightButton) << 2;
  QTest::newRow("middle") << int(Qt::MiddleButton) << 4;
  QTest::newRow("back") << int(Qt::BackButton) << 0;
}

void TestDeviceContext::buttonCodes() {
  QFETCH(int, button);
  QFETCH(int, code);
  PictureBox box;
  box.resize(50, 40);
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  QList<QList<int>> downs, ups;
  box.onMouseDown = [&](int b, int x, int y) { downs.append({b, x, y}); };
  box.onMouseUp = [&](int b, int x, int y) { ups.append({b, x, y}); };
  QTest::mousePress(&box, Qt::MouseButton(button), {}, QPoint(7, 9));
  QTest::mouseRelease(&box, Qt::MouseButton(button), {}, QPoint(30, 20));
  QCOMPARE(downs, (QList<QList<int>>{{code, 7, 9}}));
  QCOMPARE(ups, (QList<QList<int>>{{code, 30, 20}}));
}

QTEST_MAIN(TestDeviceContext)
#include "tst_devicecontext.moc"
