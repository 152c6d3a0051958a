// Thumbnails in the desktop's shared cache: the files QUAVINTO writes follow
// the cache's rules (place, name, PNG, size, tEXt keys, owner-only), a
// current thumbnail made by another program is used, a stale one is made
// again, a picture cut short or replaced while it is read fails cleanly, and
// the loader makes them off the user-interface thread.
// clang-format off
#include <cstdio>  // before jpeglib.h, which needs FILE and size_t
#include <jpeglib.h>
// clang-format on
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QImageReader>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

#include "pictures/Thumbnails.h"
#include "pictures/decode/PictureDecoder.h"
#include "pictures/decode/ReducedDecode.h"
#include "platform/AtomicWrite.h"
#include "support/TestSupport.h"

using namespace platform;
using namespace decode;
using namespace quavinto;

namespace {

// A picture of two halves, red over blue, so its content is recognisable in
// any thumbnail.
bool writePicture(const QString& path, QSize size, QColor top = Qt::red) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::blue);
  for (int y = 0; y < size.height() / 2; ++y)
    for (int x = 0; x < size.width(); ++x) image.setPixelColor(x, y, top);
  return image.save(path);
}

bool setModified(const QString& path, qint64 secs) {
  QFile f(path);
  return f.open(QIODevice::ReadWrite) &&
         f.setFileTime(QDateTime::fromSecsSinceEpoch(secs), QFileDevice::FileModificationTime);
}

// A baseline JPEG written by libjpeg with the luma's sampling factors and a
// restart marker every `restart` MCUs (0: none).
QByteArray baselineJpeg(const QImage& picture, int hSampling, int vSampling, int restart, bool grey) {
  const QImage rgb = picture.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long length = 0;
  jpeg_mem_dest(&info, &buffer, &length);
  info.image_width = JDIMENSION(rgb.width());
  info.image_height = JDIMENSION(rgb.height());
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 85, TRUE);
  info.comp_info[0].h_samp_factor = hSampling;
  info.comp_info[0].v_samp_factor = vSampling;
  info.restart_interval = unsigned(restart);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  const QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(length));
  free(buffer);
  return out;
}

QByteArray contentOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

unsigned mode(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
}

}  // namespace

class ThumbnailsTest : public QObject {
  Q_OBJECT
  QTemporaryDir cache_, pictures_;

 private slots:
  void initTestCase() { qputenv("XDG_CACHE_HOME", cache_.path().toUtf8()); }

  void writtenByTheCachesRules_data() {
    QTest::addColumn<int>("side");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("thumbnail");
    // The picture's name (empty: one made from its size), and how the end of
    // its URI reads, escaped by hand as the desktop escapes it.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("uriEnd");
    QTest::newRow("normal, wide") << 128 << "normal" << QSize(1200, 800) << QSize(128, 85) << QString() << QString();
    QTest::newRow("large, tall JPEG") << 256 << "large" << QSize(600, 1200) << QSize(128, 256) << QString()
                                      << QString();
    QTest::newRow("large, smaller than the thumbnail")
        << 256 << "large" << QSize(100, 60) << QSize(100, 60) << QString() << QString();
    QTest::newRow("reserved characters, as the file manager escapes them")
        << 128 << "normal" << QSize(300, 200) << QSize(128, 85) << QStringLiteral(u"a&b,c(1)+~@=;$!'#%[] é.png")
        << QStringLiteral("/a&b,c(1)+~@=%3B$!'%23%25%5B%5D%20%C3%A9.png");
  }
  void writtenByTheCachesRules() {
    QFETCH(int, side);
    QFETCH(QString, folder);
    QFETCH(QSize, picture);
    QFETCH(QSize, thumbnail);
    QFETCH(QString, name);
    QFETCH(QString, uriEnd);
    const QString path = pictures_.filePath(
        name.isEmpty() ? QStringLiteral(u"夏の 写真 %1x%2.jpg").arg(picture.width()).arg(picture.height()) : name);
    QVERIFY(writePicture(path, picture));
    QVERIFY(setModified(path, 1700000000));
    const Thumbnail made = thumbnailOf(path, side);
    QCOMPARE(made.image.size(), thumbnail);
    QCOMPARE(made.pictureSize, picture);

    // The URI is the picture's percent-encoded file URI, and its MD5 names the file.
    const QString uri = thumbnailUri(path);
    QVERIFY2(uri.startsWith(QStringLiteral("file:///")) && uri.contains(QStringLiteral("%20")) && !uri.contains(u'夏'),
             qPrintable(uri));
    if (!uriEnd.isEmpty()) QCOMPARE(uri, QStringLiteral("file://") + QFile::encodeName(pictures_.path()) + uriEnd);
    const QString md5 = QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Md5).toHex();
    const QString file = cache_.path() + QStringLiteral("/thumbnails/") + folder + QLatin1Char('/') + md5 + ".png";
    QCOMPARE(thumbnailPath(path, side), file);
    QFile stored(file);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(mode(file), 0600u);
    QCOMPARE(mode(cache_.path() + QStringLiteral("/thumbnails/") + folder), 0700u);
    const QByteArray bytes = stored.readAll();
    // Uncompressed tEXt chunks, as every reader of the cache expects.
    QVERIFY(bytes.startsWith("\x89PNG\r\n\x1a\n"));
    QVERIFY(bytes.contains(QByteArray("tEXtThumb::URI\0", 15) + uri.toUtf8()));
    QVERIFY(bytes.contains(QByteArray("tEXtThumb::MTime\0", 17) + "1700000000"));
    QImageReader reader(file, "png");
    const QImage read = reader.read();
    QCOMPARE(read.size(), thumbnail);
    QCOMPARE(read.text(QStringLiteral("Thumb::URI")), uri);
    QCOMPARE(read.text(QStringLiteral("Thumb::MTime")), QStringLiteral("1700000000"));
    QVERIFY(qRed(read.pixel(thumbnail.width() / 2, 1)) > 200);
    QVERIFY(qBlue(read.pixel(thumbnail.width() / 2, thumbnail.height() - 2)) > 200);
    // Read back as current, without decoding the picture again.
    const Thumbnail again = readThumbnail(path, side);
    QCOMPARE(again.image.size(), thumbnail);
    QCOMPARE(again.pictureSize, picture);
  }

  // Each kind of picture gives the thumbnail of what the player sees: a JPEG
  // turned by its tag, the kinds libjpeg's quick way does not take.
  void thumbnailShowsThePicture_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("JPEG turned by its tag") << "jpeg-exif-orientation-6-32x64.jpg" << QSize(32, 64);
    QTest::newRow("JPEG baseline") << "jpeg-baseline-70x46.jpg" << QSize(70, 46);
    QTest::newRow("JPEG grey") << "jpeg-gray-70x46.jpg" << QSize(70, 46);
    QTest::newRow("JPEG progressive") << "jpeg-progressive-70x46.jpg" << QSize(70, 46);
    QTest::newRow("JPEG CMYK") << "jpeg-cmyk-70x46.jpg" << QSize(70, 46);
    QTest::newRow("PNG with alpha") << "png-alpha-70x46.png" << QSize(70, 46);
    QTest::newRow("WebP") << "webp-lossy-70x46.webp" << QSize(70, 46);
  }
  void thumbnailShowsThePicture() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QString path = pictures_.filePath(name);
    QFile::remove(path);
    QVERIFY(QFile::copy(qEnvironmentVariable("QUAVINTO_TEST_DATA") + QStringLiteral("/pictures/good/") + name, path));
    QImage shown;
    QVERIFY(loadPicture(path, &shown));
    const Thumbnail made = makeThumbnail(path, 32);
    QCOMPARE(made.pictureSize, size);
    const QImage expected = fitPicture(shown, QSize(32, 32));
    QCOMPARE(made.image.size(), expected.size());
    qint64 difference = 0;
    for (int y = 0; y < expected.height(); ++y)
      for (int x = 0; x < expected.width(); ++x) {
        const QRgb a = made.image.pixel(x, y), b = expected.pixel(x, y);
        difference += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
      }
    QVERIFY2(difference < 12 * 3 * expected.width() * expected.height(), qPrintable(QString::number(difference)));
  }

  // A thumbnail's JPEG eighth, libjpeg's own, is the picture's 8 x 8 block
  // averages, for every sampling, with restart markers, and in grey.
  void eighthIsTheBlockAverages_data() {
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("v");
    QTest::addColumn<int>("restart");
    QTest::addColumn<bool>("grey");
    // Within: the mean and the largest difference from the averages allowed.
    // Subsampled colour is averaged over 16 pixels, so it bleeds by a block
    // at hard edges; anything misread would be off everywhere.
    QTest::addColumn<double>("meanWithin");
    QTest::addColumn<int>("worstWithin");
    QTest::newRow("4:2:0, odd size") << 2 << 2 << 0 << false << 5.0 << 48;
    QTest::newRow("4:4:4") << 1 << 1 << 0 << false << 1.0 << 6;
    QTest::newRow("4:2:2") << 2 << 1 << 0 << false << 3.0 << 40;
    QTest::newRow("grey") << 1 << 1 << 0 << true << 1.0 << 6;
    QTest::newRow("grey, sampled 2 x 2") << 2 << 2 << 0 << true << 1.0 << 6;
    QTest::newRow("restart every MCU") << 2 << 2 << 1 << false << 5.0 << 48;
    QTest::newRow("restart every 7 MCUs") << 1 << 1 << 7 << false << 1.0 << 6;
  }
  void eighthIsTheBlockAverages() {
    QFETCH(int, h);
    QFETCH(int, v);
    QFETCH(int, restart);
    QFETCH(bool, grey);
    QFETCH(double, meanWithin);
    QFETCH(int, worstWithin);
    // Soft colour gradients with hard-edged grey shapes (the colour of a
    // subsampled JPEG is coarser than its blocks), and a size no MCU divides.
    QImage picture(203, 131, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x, y * 255 / 130, (x + y) / 2));
    QPainter(&picture).fillRect(40, 30, 70, 50, QColor(250, 250, 250));
    QPainter(&picture).fillRect(130, 70, 50, 40, QColor(20, 20, 20));
    const QByteArray jpeg = baselineJpeg(picture, h, v, restart, grey);
    // 25 wide: 203 / 8 still covers it, so the eighth is taken.
    QSize source;
    const QImage eighth = decodeJpegThumbnail(jpeg, QSize(25, 25), &source);
    QCOMPARE(source, picture.size());
    QCOMPARE(eighth.size(), QSize(26, 17));
    const QImage full = QImage::fromData(jpeg).convertToFormat(QImage::Format_RGB32);
    double total = 0;
    int worst = 0;
    for (int by = 0; by < eighth.height(); ++by)
      for (int bx = 0; bx < eighth.width(); ++bx) {
        int sum[3] = {}, n = 0;
        for (int y = by * 8; y < std::min(by * 8 + 8, full.height()); ++y)
          for (int x = bx * 8; x < std::min(bx * 8 + 8, full.width()); ++x, ++n) {
            const QRgb p = full.pixel(x, y);
            sum[0] += qRed(p), sum[1] += qGreen(p), sum[2] += qBlue(p);
          }
        const QRgb pixel = eighth.pixel(bx, by);
        const int rgb[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
        for (int c = 0; c < 3; ++c) {
          const int got = rgb[c];
          const int difference = std::abs(got - (sum[c] + n / 2) / n);
          total += difference;
          worst = std::max(worst, difference);
        }
      }
    const double mean = total / (3.0 * eighth.width() * eighth.height());
    QVERIFY2(mean < meanWithin && worst < worstWithin,
             qPrintable(QStringLiteral("mean %1, worst %2").arg(mean).arg(worst)));
  }

  // What the thumbnail's eighth does not take is left to the ordinary
  // decoder, never guessed.
  void eighthRefusesWhatItDoesNotRead() {
    const auto refused = [](const QByteArray& bytes) {
      QSize source;
      return decodeJpegThumbnail(bytes, QSize(128, 128), &source).isNull();
    };
    const QString good = qEnvironmentVariable("QUAVINTO_TEST_DATA") + QStringLiteral("/pictures/good/");
    for (const char* name : {"jpeg-progressive-70x46.jpg", "jpeg-cmyk-70x46.jpg", "png-70x46.png"}) {
      QFile file(good + QLatin1String(name));
      QVERIFY(file.open(QIODevice::ReadOnly));
      QVERIFY2(refused(file.readAll()), name);
    }
    QImage photo(1600, 1200, QImage::Format_RGB32);
    photo.fill(Qt::darkGreen);
    const QByteArray jpeg = baselineJpeg(photo, 2, 2, 0, false);
    QVERIFY(!refused(jpeg));
    // Stopped, as at the end of the program: the caller gives it up.
    const CancelFlag stop{true};
    QVERIFY(decodeJpegThumbnail(jpeg, QSize(128, 128), nullptr, &stop).isNull());
    // Cut short, or too large even at an eighth (over 4096 pixels wide).
    QVERIFY(refused(jpeg.left(jpeg.indexOf("\xff\xda") + 20)));
    QImage thread(32776, 8, QImage::Format_RGB32);
    thread.fill(Qt::darkGreen);
    QVERIFY(refused(baselineJpeg(thread, 1, 1, 0, false)));
    thread = QImage(32768, 8, QImage::Format_RGB32);
    thread.fill(Qt::darkGreen);
    QVERIFY(!refused(baselineJpeg(thread, 1, 1, 0, false)));
  }

  // Another program's thumbnail (green here, unlike the picture) is used
  // when its URI and MTime match the picture; otherwise the picture is
  // thumbnailed again and the file replaced.
  void anotherProgramsThumbnail_data() {
    QTest::addColumn<qint64>("mtimeOffset");
    QTest::addColumn<bool>("sameUri");
    QTest::addColumn<bool>("used");
    QTest::addColumn<QSize>("theirSize");
    QTest::newRow("current") << qint64(0) << true << true << QSize(128, 96);
    QTest::newRow("stale: the picture changed since") << qint64(-60) << true << false << QSize(128, 96);
    QTest::newRow("another picture's") << qint64(0) << false << false << QSize(128, 96);
    QTest::newRow("larger than its folder's size") << qint64(0) << true << false << QSize(400, 300);
  }
  void anotherProgramsThumbnail() {
    QFETCH(qint64, mtimeOffset);
    QFETCH(bool, sameUri);
    QFETCH(bool, used);
    QFETCH(QSize, theirSize);
    const QString path =
        pictures_.filePath(QStringLiteral("other-%1.png").arg(QString::fromLatin1(QTest::currentDataTag()).left(5)));
    QVERIFY(writePicture(path, QSize(400, 300)));
    QVERIFY(setModified(path, 1710000000));
    QImage theirs(theirSize, QImage::Format_RGB32);
    theirs.fill(Qt::green);
    theirs.setText(QStringLiteral("Thumb::URI"), sameUri ? thumbnailUri(path) : thumbnailUri(path + "x"));
    theirs.setText(QStringLiteral("Thumb::MTime"), QString::number(1710000000 + mtimeOffset));
    QVERIFY(QDir().mkpath(cache_.path() + QStringLiteral("/thumbnails/normal")));
    QVERIFY(theirs.save(thumbnailPath(path, 128), "png"));

    const Thumbnail got = thumbnailOf(path, 128);
    QCOMPARE(got.image.pixel(64, 10) == qRgb(0, 255, 0), used);
    QCOMPARE(readThumbnail(path, 128).image.isNull(), false);  // current now, either way
    if (!used) QVERIFY(qRed(got.image.pixel(64, 10)) > 200);
  }

  // Another program's file in the cache that is no regular file, too big or
  // damaged is never waited on nor decoded: the picture is thumbnailed again.
  void hostileThumbnailIsNotRead_data() {
    testsupport::addHostileFileRows();
    // A link planted where the thumbnail goes, to another file of the
    // player's: the new thumbnail replaces the link and leaves the file.
    QTest::newRow("link at the destination") << QStringLiteral("link");
  }
  void hostileThumbnailIsNotRead() {
    QFETCH(QString, kind);
    const bool link = kind == QLatin1String("link");
    const QString path = pictures_.filePath(QStringLiteral("hostile-%1.png").arg(kind));
    QVERIFY(writePicture(path, QSize(200, 100)));
    QImage theirs(128, 64, QImage::Format_RGB32);
    theirs.fill(Qt::green);
    theirs.setText(QStringLiteral("Thumb::URI"), thumbnailUri(path));
    theirs.setText(QStringLiteral("Thumb::MTime"), QString::number(QFileInfo(path).lastModified().toSecsSinceEpoch()));
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && theirs.save(&buffer, "png"));
    if (kind == QLatin1String("nul")) png[23] = '\0';  // the height's low byte
    QVERIFY(QDir().mkpath(cache_.path() + QStringLiteral("/thumbnails/normal")));
    const QString elsewhere = pictures_.filePath(QStringLiteral("elsewhere-%1").arg(kind));
    if (link) {
      QVERIFY(QFile(elsewhere).open(QIODevice::WriteOnly));
      QVERIFY(QFile::link(elsewhere, thumbnailPath(path, 128)));
    } else {
      QVERIFY(testsupport::makeHostileFile(thumbnailPath(path, 128), kind, 1024 * 1024, png));
    }
    QVERIFY(readThumbnail(path, 128).image.isNull());
    const Thumbnail made = thumbnailOf(path, 128);
    alarm(0);
    QVERIFY(qRed(made.image.pixel(64, 5)) > 200);
    if (link) {
      QVERIFY(!QFileInfo(thumbnailPath(path, 128)).isSymLink());
      QCOMPARE(contentOf(elsewhere), QByteArray());
      QVERIFY(!readThumbnail(path, 128).image.isNull());
    }
  }

  // A picture replaced after its thumbnail was made gets a new one; a full
  // disk leaves the one there was.
  void changedPictureGetsANewThumbnail() {
    const QString path = pictures_.filePath(QStringLiteral("changing.png"));
    QVERIFY(writePicture(path, QSize(300, 200), Qt::red));
    QVERIFY(setModified(path, 1720000000));
    QVERIFY(qRed(thumbnailOf(path, 128).image.pixel(64, 5)) > 200);
    const QByteArray first = contentOf(thumbnailPath(path, 128));
    QVERIFY(writePicture(path, QSize(300, 200), Qt::yellow));
    QVERIFY(setModified(path, 1720000100));
    QCOMPARE(readThumbnail(path, 128).image.isNull(), true);
    platform::setWriteFailureForTests(100);
    QVERIFY(qGreen(thumbnailOf(path, 128).image.pixel(64, 5)) > 200);
    platform::setWriteFailureForTests(-1);
    QCOMPARE(contentOf(thumbnailPath(path, 128)), first);
    const QImage now = thumbnailOf(path, 128).image;
    QVERIFY(qGreen(now.pixel(64, 5)) > 200 && qRed(now.pixel(64, 5)) > 200);
    QCOMPARE(readThumbnail(path, 128).image.isNull(), false);
  }

  // A picture that cannot be thumbnailed gets a fail entry; while the picture
  // is unchanged the entry stops another attempt, and once it changes the
  // thumbnail is made.
  void failEntryStopsRetries() {
    const QString path = pictures_.filePath(QStringLiteral("broken.png"));
    QFile broken(path);
    QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("\x89PNG\r\n\x1a\n cut short") > 0);
    broken.close();
    QVERIFY(setModified(path, 1730000000));
    QVERIFY(makeThumbnail(path, 128).image.isNull());
    QVERIFY(thumbnailFailPath(path).startsWith(cache_.path() + QStringLiteral("/thumbnails/fail/quavinto-")));
    QCOMPARE(QImage(thumbnailFailPath(path), "png").text(QStringLiteral("Thumb::MTime")), QStringLiteral("1730000000"));
    QCOMPARE(mode(thumbnailFailPath(path)), 0600u);
    QVERIFY(writePicture(path, QSize(200, 100)) && setModified(path, 1730000000));
    QVERIFY(thumbnailOf(path, 128).image.isNull());
    QVERIFY(setModified(path, 1730000060));
    QVERIFY(qRed(thumbnailOf(path, 128).image.pixel(64, 5)) > 200);
  }

  // A picture cut short or replaced before or while it is thumbnailed never
  // ends the program: pictures are read, never mapped, so a file shortened
  // under a read only gives fewer bytes. Cut before: the thumbnail shows what
  // there is, or fails cleanly with a fail entry. While: another thread cuts
  // the file in place, writes it back and renames a copy over it, again and
  // again, as thumbnails are made.
  void pictureCutWhileThumbnailed_data() {
    QTest::addColumn<QString>("format");
    QTest::newRow("JPEG") << "jpg";
    QTest::newRow("PNG") << "png";
    QTest::newRow("WebP") << "webp";
    QTest::newRow("BMP") << "bmp";
  }
  void pictureCutWhileThumbnailed() {
    QFETCH(QString, format);
    const QString path = pictures_.filePath(QStringLiteral("cut.") + format);
    QImage photo(1200, 900, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
      for (int x = 0; x < photo.width(); ++x) photo.setPixel(x, y, qRgb(x & 255, y & 255, (x * y) & 255));
    QVERIFY(photo.save(path, nullptr, 90));
    const QByteArray whole = contentOf(path);
    const auto usable = [](const Thumbnail& made) {
      return made.image.isNull() || made.image.size() == QSize(128, 96);
    };
    qint64 mtime = 1740000000;
    for (const qint64 length : {whole.size() / 2, qint64(40), qint64(0)}) {
      QVERIFY(QFile::resize(path, length));
      QVERIFY(setModified(path, ++mtime));
      const Thumbnail made = makeThumbnail(path, 128);
      QVERIFY2(usable(made), qPrintable(QString::number(length)));
      if (made.image.isNull()) QVERIFY(QFile::exists(thumbnailFailPath(path)));
    }
    QCOMPARE(makeThumbnail(path, 128).image.isNull(), true);  // nothing left of it

    const QString copy = pictures_.filePath(QStringLiteral("cut-copy.") + format);
    std::atomic<bool> done{false};
    std::atomic<int> changes{0};
    std::thread cutter([&] {
      for (int step = 0; !done; ++step, ++changes) {
        if (step % 3 == 0) {
          QFile::resize(path, whole.size() / (2 + step % 5));
        } else if (step % 3 == 1) {
          QFile file(path);
          if (file.open(QIODevice::ReadWrite)) file.write(whole);
        } else {
          QFile file(copy);
          if (file.open(QIODevice::WriteOnly)) file.write(whole);
          file.close();
          ::rename(QFile::encodeName(copy).constData(), QFile::encodeName(path).constData());
        }
      }
    });
    int made = 0;
    for (int i = 0; i < 24; ++i) {
      QFile::remove(thumbnailFailPath(path));
      const Thumbnail thumbnail = makeThumbnail(path, 128);
      QVERIFY(usable(thumbnail));
      made += !thumbnail.image.isNull();
    }
    done = true;
    cutter.join();
    QVERIFY2(changes > 24, qPrintable(QString::number(changes)));
    qInfo("%d of 24 thumbnails made while the file changed %d times", made, int(changes));
  }

  // Jobs never hold up the end of the program: once stopped, queued ones never
  // start and running ones end at their next step.
  void jobsStopAtExit() {
    QImage photo(4000, 3000, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
      for (int x = 0; x < photo.width(); ++x) photo.setPixel(x, y, qRgb(x * 7, y * 5, (x ^ y) & 255));
    QStringList paths{pictures_.filePath(QStringLiteral("exit-0.jpg"))};
    QVERIFY(photo.save(paths[0], "JPEG", 90));
    for (int i = 1; i < 10; ++i) {
      paths += pictures_.filePath(QStringLiteral("exit-%1.jpg").arg(i));
      QVERIFY(QFile::copy(paths[0], paths.last()));
    }
    ThumbnailLoader loader(kLargeThumbnail);
    for (const QString& path : std::as_const(paths)) loader.request(path);
    loader.request(paths[0]);  // one job a picture
    QCOMPARE(loader.pending(), 10);
    QElapsedTimer clock;
    clock.start();
    stopThumbnailJobs();
    QTRY_COMPARE_WITH_TIMEOUT(thumbnailJobsRunning(), 0, 10000);
    QVERIFY2(clock.elapsed() < 300, qPrintable(QString::number(clock.elapsed())));
    int made = 0;
    for (const QString& path : std::as_const(paths)) made += QFile::exists(thumbnailPath(path, kLargeThumbnail));
    QVERIFY2(made < 10, qPrintable(QString::number(made)));
  }

  // The loader reports on the window's thread, made elsewhere; a replaced
  // request reports nothing; a file that is no picture reports a null image.
  void loaderWorksOffTheWindowThread() {
    const QString a = pictures_.filePath(QStringLiteral("loader-a.jpg"));
    const QString b = pictures_.filePath(QStringLiteral("loader-b.jpg"));
    const QString text = pictures_.filePath(QStringLiteral("loader-text.png"));
    QVERIFY(writePicture(a, QSize(2400, 1600)) && writePicture(b, QSize(1600, 2400)));
    QFile t(text);
    QVERIFY(t.open(QIODevice::WriteOnly) && t.write("not a picture") > 0);
    t.close();
    const int onUiThread = thumbnailsMadeOnUiThread();
    ThumbnailLoader loader(kNormalThumbnail);
    QSignalSpy ready(&loader, &ThumbnailLoader::ready);
    loader.request(a);
    loader.request(b, true);
    loader.request(text);
    QTRY_COMPARE(loader.pending(), 0);
    QCOMPARE(ready.size(), 2);
    QMap<QString, Thumbnail> got;
    for (const QList<QVariant>& signal : ready) got[signal[0].toString()] = signal[1].value<Thumbnail>();
    QCOMPARE(got.keys(), (QStringList{b, text}));
    QCOMPARE(got[b].image.size(), QSize(85, 128));
    QCOMPARE(got[b].pictureSize, QSize(1600, 2400));
    QVERIFY(got[text].image.isNull());
    QCOMPARE(thumbnailsMadeOnUiThread(), onUiThread);
  }
};

QTEST_MAIN(ThumbnailsTest)
#include "tst_thumbnails.moc"
