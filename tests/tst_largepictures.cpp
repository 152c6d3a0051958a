// A photo from a current phone (13200 x 8250, 108 megapixels), made here as a
// JPEG, and one of 12000 x 9000 as a PNG and as a WebP: each decodes straight
// to the board's size with a few megabytes, never at full size; it shows the
// busy cursor while it loads; and the main window loads it from the picture
// dialog and from a drop, and plays on it.
#include <QAction>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QtTest>

#include "core/GameFlow.h"
#include "pictures/BoardLayout.h"
#include "pictures/decode/PictureDecoder.h"
#include "platform/Screen.h"
#include "shell/Form1.h"
#include "support/TestSupport.h"

using namespace quavinto;

namespace {

constexpr int kPhotoWidth = 13200;
constexpr int kPhotoHeight = 8250;
const QSize kWideSize(12000, 9000);

// Sky, hills and a textured field, with fine detail everywhere, as a photo
// would have.
QImage photo(int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height && !image.isNull(); ++y) {
    uchar* p = image.scanLine(y);
    const int horizon = height / 2;
    for (int x = 0; x < width; ++x, p += 3) {
      const int grain = ((x * 7) ^ (y * 13)) & 15;
      const bool sky = y < horizon + (x % 3000 - 1500) * (x % 3000 - 1500) / 6000 - 300;
      p[0] = uchar(sky ? 90 + y * 100 / horizon + grain : 40 + (x / 50) % 60 + grain);
      p[1] = uchar(sky ? 140 + y * 80 / horizon + grain : 110 + (y / 40) % 80 + grain);
      p[2] = uchar(sky ? 230 - grain : 30 + grain * 2);
    }
  }
  return image;
}

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

  void checkPlayable(Form1& f, QSize photoSize = QSize(kPhotoWidth, kPhotoHeight)) {
    const QSize board(f.state().PictureWidth, f.state().PictureHeight);
    QVERIFY2(std::abs(board.width() * photoSize.height() - board.height() * photoSize.width()) <= photoSize.width(),
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
    // Written by Qt's own writers; the PNG and the WebP quickly rather than small.
    const struct {
      QString name;
      QSize size;
      const char* format;
      int quality;
    } photos[] = {{QStringLiteral("phone-photo.jpg"), QSize(kPhotoWidth, kPhotoHeight), "jpeg", 85},
                  {QStringLiteral("wide-photo.png"), kWideSize, "png", 90},
                  {QStringLiteral("wide-photo.webp"), kWideSize, "webp", 20}};
    for (const auto& made : photos) {
      const QImage image = photo(made.size.width(), made.size.height());
      QVERIFY(!image.isNull());
      QElapsedTimer timer;
      timer.start();
      QImageWriter writer(dir_.filePath(made.name), made.format);
      writer.setQuality(made.quality);
      QVERIFY2(writer.write(image), qPrintable(writer.errorString()));
      qInfo("%s written in %lld ms", qPrintable(made.name), timer.elapsed());
    }
    photo_ = dir_.filePath(QStringLiteral("phone-photo.jpg"));
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

  void decodedStraightToTheBoardSize_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::newRow("JPEG") << "phone-photo.jpg" << QSize(kPhotoWidth, kPhotoHeight);
    QTest::newRow("PNG") << "wide-photo.png" << kWideSize;
    QTest::newRow("WebP") << "wide-photo.webp" << kWideSize;
  }
  void decodedStraightToTheBoardSize() {
    QFETCH(QString, file);
    QFETCH(QSize, size);
    const QSize board(1600, 1000);
    const QSize fitted = size.scaled(board, Qt::KeepAspectRatio);
    const bool measured = resetPeak();
    const qint64 before = peakKb();
    QImage image;
    QString why;
    QVERIFY2(decode::loadPicture(dir_.filePath(file), &image, &why, board), qPrintable(why));
    const qint64 grownKb = peakKb() - before;
    QCOMPARE(image.size(), fitted);
    QCOMPARE(image.format(), QImage::Format_RGB32);
    // Full size would be 435 MB; the reduced decode and the board picture take
    // a few megabytes (the WebP's file is read whole).
    if (measured) QVERIFY2(grownKb < 48 * 1024, qPrintable(QStringLiteral("%1 kB").arg(grownKb)));
    // The picture is the photo: sky on top, field below.
    QVERIFY(qBlue(image.pixel(fitted.width() / 2, 50)) > 200);
    QVERIFY(qBlue(image.pixel(fitted.width() / 2, fitted.height() - 50)) < 100);
  }

  void refusedAtFullSize_data() { decodedStraightToTheBoardSize_data(); }
  void refusedAtFullSize() {
    // Used at its own size, it would need more than the memory limit allows;
    // the refusal names its size and the limit.
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QImage image;
    QString why;
    decode::PictureProblem problem = decode::PictureProblem::None;
    QVERIFY(!decode::loadPicture(dir_.filePath(file), &image, &why, QSize(), &problem));
    QCOMPARE(problem, decode::PictureProblem::TooLarge);
    QVERIFY2(why.contains(QStringLiteral(u"%1×%2").arg(size.width()).arg(size.height())), qPrintable(why));
    QVERIFY2(why.contains(QStringLiteral(u"画素までです")), qPrintable(why));
  }

  void busyCursorWhileLoading() {
    const int before = decode::busyCursorShows();
    QImage image;
    QVERIFY(decode::loadPicture(photo_, &image, nullptr, QSize(800, 600)));
    QCOMPARE(decode::busyCursorShows(), before + 1);
    QVERIFY(!QGuiApplication::overrideCursor());
    // A small picture loads in a moment: no cursor.
    QImage small(64, 48, QImage::Format_RGB32);
    small.fill(Qt::red);
    const QString path = dir_.filePath(QStringLiteral("small.png"));
    QVERIFY(small.save(path));
    QVERIFY(decode::loadPicture(path, &image, nullptr, QSize(800, 600)));
    QCOMPARE(decode::busyCursorShows(), before + 1);
  }

  void windowLoadsThePhotoFromTheMenu_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("type");
    QTest::newRow("JPEG") << "phone-photo.jpg" << QSize(kPhotoWidth, kPhotoHeight) << 3;
    QTest::newRow("PNG") << "wide-photo.png" << kWideSize << 5;
    QTest::newRow("WebP") << "wide-photo.webp" << kWideSize << 6;
  }
  void windowLoadsThePhotoFromTheMenu() {
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(int, type);
    const QString path = dir_.filePath(file);
    platform::setScreenOverride(0, 0, QRect(0, 0, 1920, 1080));
    Form1 f;
    QElapsedTimer timer;
    timer.start();
    dialog_->script = {path};
    f.LoadPictureEx->trigger();
    qInfo("loaded from the menu in %lld ms", timer.elapsed());
    QVERIFY(boxes_->shown.isEmpty());
    QCOMPARE(f.vars().PictureFile, path);
    QCOMPARE(f.state().PictureType, int16_t(type));
    QCOMPARE(QSize(f.state().PictureWidth, f.state().PictureHeight), size.scaled(largestBoard(f), Qt::KeepAspectRatio));
    checkPlayable(f, size);
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
