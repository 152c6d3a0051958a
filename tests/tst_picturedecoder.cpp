// Picture loading over the corpus made by scripts/make-test-pictures: every
// good picture at its true size, every bad file refused, none slow; what a
// picture cut short shows; the scan walker; fitting a large picture.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <QtTest>

#include "platform/PictureDecoder.h"

namespace {

QString pictures() { return qEnvironmentVariable("QUAVINTO_TEST_DATA") + QStringLiteral("/pictures"); }
QString good(const char* name) { return pictures() + QStringLiteral("/good/") + QLatin1String(name); }
QString bad(const char* name) { return pictures() + QStringLiteral("/bad/") + QLatin1String(name); }

QByteArray bytesOf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage load(const QString& path) {
  QImage image;
  QString why;
  if (!platform::loadPicture(path, &image, &why)) qWarning("%s: %s", qPrintable(path), qPrintable(why));
  return image;
}

// Colours within a JPEG's rounding of each other.
bool near(QRgb a, QRgb b, int tolerance = 24) {
  return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
         qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

void addFolder(const QString& folder) {
  const QDir dir(pictures() + QLatin1Char('/') + folder);
  const QStringList names = dir.entryList(QDir::Files, QDir::Name);
  QVERIFY2(names.size() >= 15, qPrintable(dir.path()));
  for (const QString& name : names) QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

}  // namespace

class TestPictureDecoder : public QObject {
  Q_OBJECT

 private slots:
  void goodPicturesLoadAtTheirSize_data() {
    QTest::addColumn<QString>("path");
    addFolder(QStringLiteral("good"));
  }
  void goodPicturesLoadAtTheirSize() {
    QFETCH(QString, path);
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("-(\\d+)x(\\d+)\\.")).match(path);
    QVERIFY2(m.hasMatch(), "the name tells the size");
    QElapsedTimer timer;
    timer.start();
    QImage image;
    QString why;
    QVERIFY2(platform::loadPicture(path, &image, &why), qPrintable(why));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(image.size(), QSize(m.captured(1).toInt(), m.captured(2).toInt()));
    QCOMPARE(image.format(), QImage::Format_RGB32);
  }

  void badFilesAreRefused_data() {
    QTest::addColumn<QString>("path");
    addFolder(QStringLiteral("bad"));
  }
  void badFilesAreRefused() {
    QFETCH(QString, path);
    QImage image(3, 3, QImage::Format_RGB32);
    image.fill(Qt::green);
    const QImage before = image;
    QString why;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!platform::loadPicture(path, &image, &why));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!why.isEmpty());
    QCOMPARE(image, before);
  }

  void refusesForTheRightReason_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("600 scans") << bad("jpeg-600-scans.jpg") << QStringLiteral(u"スキャン");
    QTest::newRow("500 scans over 12 megapixels")
        << bad("jpeg-500-scans-12-megapixels.jpg") << QStringLiteral(u"スキャン");
    QTest::newRow("JPEG gigapixels") << bad("jpeg-gigapixel-65500x65500.jpg") << QStringLiteral(u"大きすぎます");
    QTest::newRow("GIF gigapixels") << bad("gif-gigapixel-65535x65535.gif") << QStringLiteral(u"大きすぎます");
    QTest::newRow("GIF of zero size") << bad("gif-zero-size.gif") << QStringLiteral(u"0 です");
    QTest::newRow("PNG named .bmp") << bad("png-named-bmp.bmp") << QStringLiteral(u"形式");
    QTest::newRow("missing file") << bad("no-such-file.bmp") << QStringLiteral(u"開けません");
  }
  void refusesForTheRightReason() {
    QFETCH(QString, path);
    QFETCH(QString, reason);
    QImage image;
    QString why;
    QVERIFY(!platform::loadPicture(path, &image, &why));
    QVERIFY2(why.contains(reason), qPrintable(why));
  }

  // Cut short, a picture keeps its full size; where its data ends JPEG and BMP
  // show grey, GIF its black background. BMP rows are stored bottom first.
  void picturesCutShort_data() {
    QTest::addColumn<QString>("cut");
    QTest::addColumn<QString>("whole");
    QTest::addColumn<QPoint>("missing");
    QTest::addColumn<QPoint>("present");
    QTest::addColumn<uint>("fill");
    QTest::newRow("JPEG") << good("jpeg-truncated-half-70x46.jpg") << good("jpeg-baseline-70x46.jpg") << QPoint(35, 45)
                          << QPoint(35, 5) << 0xFF808080u;
    QTest::newRow("BMP 24-bit") << good("bmp-24bit-truncated-half-70x46.bmp") << good("bmp-24bit-70x46.bmp")
                                << QPoint(35, 0) << QPoint(35, 45) << 0xFF808080u;
    QTest::newRow("BMP 1-bit") << good("bmp-1bit-truncated-half-70x46.bmp") << good("bmp-1bit-70x46.bmp")
                               << QPoint(0, 0) << QPoint(35, 45) << 0xFF808080u;
    QTest::newRow("BMP RLE") << good("bmp-8bit-rle-truncated-half-70x46.bmp") << good("bmp-8bit-rle-70x46.bmp")
                             << QPoint(0, 0) << QPoint(35, 45) << 0xFF808080u;
    QTest::newRow("GIF") << good("gif-truncated-half-70x46.gif") << good("gif-70x46.gif") << QPoint(35, 45)
                         << QPoint(35, 5) << 0xFF000000u;
  }
  void picturesCutShort() {
    QFETCH(QString, cut);
    QFETCH(QString, whole);
    QFETCH(QPoint, missing);
    QFETCH(QPoint, present);
    QFETCH(uint, fill);
    const QImage image = load(cut);
    const QImage complete = load(whole);
    QCOMPARE(image.size(), complete.size());
    QCOMPARE(image.pixel(missing), QRgb(fill));
    QVERIFY(near(image.pixel(present), complete.pixel(present), 2));
    // Loading twice gives the same pixels: nothing comes from stale memory.
    QCOMPARE(load(cut), image);
  }

  void picturesShowTheirOwnContent() {
    // Orientation 6: the 64x32 red|blue block stands up, red on top.
    const QImage turned = load(good("jpeg-exif-orientation-6-32x64.jpg"));
    QVERIFY(near(turned.pixel(16, 8), qRgb(255, 0, 0)));
    QVERIFY(near(turned.pixel(16, 56), qRgb(0, 0, 255)));
    // The first frame of an animation.
    QCOMPARE(load(good("gif-animated-40x30.gif")).pixel(20, 15), qRgb(255, 0, 0));
    // The content decides, not the name; top-down rows come out the right way.
    const QImage bmp = load(good("bmp-24bit-70x46.bmp"));
    QCOMPARE(load(good("bmp-content-named-jpg-70x46.jpg")), bmp);
    QCOMPARE(load(good("bmp-24bit-top-down-70x46.bmp")), bmp);
    QVERIFY(
        near(load(good("jpeg-cmyk-70x46.jpg")).pixel(35, 23), load(good("jpeg-baseline-70x46.jpg")).pixel(35, 23), 40));
  }

  void setsTheAllocationLimitItself() {
    QImageReader::setAllocationLimit(0);  // as an environment setting could leave it: unlimited
    QImage image;
    QVERIFY(platform::loadPicture(good("gif-70x46.gif"), &image));
    QCOMPARE(QImageReader::allocationLimit(), 256);
  }

  void walksJpegSegments() {
    const QByteArray progressive = bytesOf(good("jpeg-progressive-70x46.jpg"));
    const int markers = progressive.count("\xff\xda");
    QVERIFY(markers > 1);
    QCOMPARE(platform::inspectJpegScans(progressive).count, markers);
    // Start-of-scan bytes inside a comment are not scans.
    const QByteArray comment = QByteArray("\xff\xda").repeated(600);
    const int length = comment.size() + 2;
    QByteArray withComment = progressive;
    withComment.insert(2, QByteArray("\xff\xfe") + char(length >> 8) + char(length & 0xFF) + comment);
    QCOMPARE(platform::inspectJpegScans(withComment).count, markers);
    QImage image;
    QVERIFY(platform::decodePicture(withComment, &image));
    // Stray bytes between segments do not hide the scans after them.
    QByteArray stray = progressive;
    stray.replace("\xff\xda", "junk\xff\xda");
    QCOMPARE(platform::inspectJpegScans(stray).count, markers);
    // Each scan of the 4000x3000 grey picture passes over its 500x375 blocks.
    const platform::JpegScans many = platform::inspectJpegScans(bytesOf(bad("jpeg-500-scans-12-megapixels.jpg")));
    QCOMPARE(many.count, 500);
    QCOMPARE(many.blockPasses, qint64(500) * 500 * 375);
    QCOMPARE(platform::inspectJpegScans(bytesOf(bad("jpeg-600-scans.jpg"))).count, platform::kMaxJpegScans + 1);
  }

  void fitsLargePictures_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("maxSize");
    QTest::addColumn<QSize>("fitted");
    QTest::newRow("fits") << QSize(384, 256) << QSize(800, 600) << QSize(384, 256);
    QTest::newRow("exactly") << QSize(800, 600) << QSize(800, 600) << QSize(800, 600);
    QTest::newRow("wide") << QSize(4000, 1000) << QSize(800, 600) << QSize(800, 200);
    QTest::newRow("tall") << QSize(1000, 3000) << QSize(800, 600) << QSize(200, 600);
    QTest::newRow("one side too big, rounded down") << QSize(900, 100) << QSize(800, 600) << QSize(800, 88);
    QTest::newRow("a thread") << QSize(10000, 2) << QSize(100, 100) << QSize(100, 1);
    QTest::newRow("no limit") << QSize(5000, 5000) << QSize(0, 0) << QSize(5000, 5000);
  }
  void fitsLargePictures() {
    QFETCH(QSize, picture);
    QFETCH(QSize, maxSize);
    QFETCH(QSize, fitted);
    QImage source(picture, QImage::Format_RGB32);
    source.fill(qRgb(10, 200, 30));
    source.setPixel(0, 0, qRgb(255, 255, 255));
    const QImage out = platform::fitPicture(source, maxSize);
    QCOMPARE(out.size(), fitted);
    if (fitted == picture)
      QCOMPARE(out, source);  // exact pixels
    else
      QVERIFY(near(out.pixel(out.width() / 2, out.height() / 2), qRgb(10, 200, 30), 2));
  }
};

QTEST_MAIN(TestPictureDecoder)
#include "tst_picturedecoder.moc"
