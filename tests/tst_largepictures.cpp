// A photo from a current phone (13200 x 8250, 108 megapixels), made here as a
// JPEG: it decodes straight to the board's size with a few megabytes, never
// at full size; it shows the busy cursor while it loads; and the main window
// loads it from the picture dialog and from a drop, and plays on it.
#include <QAction>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QtTest>

#include "core/GameFlow.h"
#include "pictures/BoardLayout.h"
#include "platform/PictureDecoder.h"
#include "platform/Screen.h"
#include "shell/Form1.h"
#include "support/TestSupport.h"

using namespace quavinto;

namespace {

constexpr int kPhotoWidth = 13200;
constexpr int kPhotoHeight = 8250;

// Peak resident memory of this process in kB, and its reset to the present.
qint64 peakKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
  return -1;
}
bool resetPeak() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

}  // namespace

class LargePicturesTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString photo_;
  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;
  std::unique_ptr<testsupport::ScriptedFileDialog> dialog_;

  void checkPlayable(Form1& f) {
    const QSize board(f.state().PictureWidth, f.state().PictureHeight);
    QVERIFY2(std::abs(board.width() * kPhotoHeight - board.height() * kPhotoWidth) <= kPhotoWidth,
             "proportions kept within a pixel");
    QCOMPARE(f.Picture1->picture().size(), board);
    boxes_->answer(platform::vbYes);
    f.GStart->trigger();
    QCOMPARE(f.state().GameRunning, int16_t(1));
    QCOMPARE(testsupport::checkBoard(f.Picture1->retained(), f.Picture1->picture(), f.state(), f.vars(), 1, 1),
             QString());
  }

 private slots:
  void initTestCase() {
    // Sky, hills and a textured field, with fine detail everywhere, as a photo
    // would have; written by Qt's own JPEG writer.
    QImage image(kPhotoWidth, kPhotoHeight, QImage::Format_RGB888);
    QVERIFY(!image.isNull());
    for (int y = 0; y < kPhotoHeight; ++y) {
      uchar* p = image.scanLine(y);
      const int horizon = kPhotoHeight / 2;
      for (int x = 0; x < kPhotoWidth; ++x, p += 3) {
        const int grain = ((x * 7) ^ (y * 13)) & 15;
        const bool sky = y < horizon + (x % 3000 - 1500) * (x % 3000 - 1500) / 6000 - 300;
        p[0] = uchar(sky ? 90 + y * 100 / horizon + grain : 40 + (x / 50) % 60 + grain);
        p[1] = uchar(sky ? 140 + y * 80 / horizon + grain : 110 + (y / 40) % 80 + grain);
        p[2] = uchar(sky ? 230 - grain : 30 + grain * 2);
      }
    }
    photo_ = dir_.filePath(QStringLiteral("phone-photo.jpg"));
    QImageWriter writer(photo_, "jpeg");
    writer.setQuality(85);
    QVERIFY2(writer.write(image), qPrintable(writer.errorString()));
  }

  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
    dialog_ = std::make_unique<testsupport::ScriptedFileDialog>();
  }
  void cleanup() {
    platform::setScreenOverride(0, 0, QRect());
    dialog_.reset();
    boxes_.reset();
    settings_.reset();
  }

  void decodedStraightToTheBoardSize() {
    const QSize board(1600, 1000);
    const bool measured = resetPeak();
    const qint64 before = peakKb();
    QImage image;
    QString why;
    QVERIFY2(platform::loadPicture(photo_, &image, &why, board), qPrintable(why));
    const qint64 grownKb = peakKb() - before;
    QCOMPARE(image.size(), board);
    QCOMPARE(image.format(), QImage::Format_RGB32);
    // Full size would be 435 MB; the reduced decode and the board picture take
    // a few megabytes.
    if (measured) QVERIFY2(grownKb < 48 * 1024, qPrintable(QStringLiteral("%1 kB").arg(grownKb)));
    // The picture is the photo: sky on top, field below.
    QVERIFY(qBlue(image.pixel(800, 50)) > 200);
    QVERIFY(qBlue(image.pixel(800, 950)) < 100);
  }

  void refusedAtFullSize() {
    // Used at its own size, it would need more than the memory limit allows.
    QImage image;
    QString why;
    platform::PictureProblem problem = platform::PictureProblem::None;
    QVERIFY(!platform::loadPicture(photo_, &image, &why, QSize(), &problem));
    QCOMPARE(problem, platform::PictureProblem::TooLarge);
  }

  void busyCursorWhileLoading() {
    const int before = platform::busyCursorShows();
    QImage image;
    QVERIFY(platform::loadPicture(photo_, &image, nullptr, QSize(800, 600)));
    QCOMPARE(platform::busyCursorShows(), before + 1);
    QVERIFY(!QGuiApplication::overrideCursor());
    // A small picture loads in a moment: no cursor.
    QImage small(64, 48, QImage::Format_RGB32);
    small.fill(Qt::red);
    const QString path = dir_.filePath(QStringLiteral("small.png"));
    QVERIFY(small.save(path));
    QVERIFY(platform::loadPicture(path, &image, nullptr, QSize(800, 600)));
    QCOMPARE(platform::busyCursorShows(), before + 1);
  }

  void windowLoadsThePhotoFromTheMenu() {
    platform::setScreenOverride(0, 0, QRect(0, 0, 1920, 1080));
    Form1 f;
    QElapsedTimer timer;
    timer.start();
    dialog_->script = {photo_};
    f.LoadPictureEx->trigger();
    qInfo("loaded from the menu in %lld ms", timer.elapsed());
    QVERIFY(boxes_->shown.isEmpty());
    QCOMPARE(f.vars().PictureFile, photo_);
    QCOMPARE(f.state().PictureType, int16_t(3));
    QCOMPARE(QSize(f.state().PictureWidth, f.state().PictureHeight),
             QSize(kPhotoWidth, kPhotoHeight).scaled(largestBoard(f), Qt::KeepAspectRatio));
    checkPlayable(f);
  }

  void windowLoadsThePhotoFromADrop() {
    platform::setScreenOverride(0, 0, QRect(0, 0, 1366, 768));
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(photo_)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&f, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&f, &drop);
    QCoreApplication::processEvents();
    QVERIFY(boxes_->shown.isEmpty());
    QCOMPARE(f.vars().PictureFile, photo_);
    QVERIFY(f.state().PictureWidth <= 1366);
    checkPlayable(f);
  }
};

QTEST_MAIN(LargePicturesTest)
#include "tst_largepictures.moc"
