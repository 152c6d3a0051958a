// Picture loading over the corpus made by scripts/make-test-pictures: every
// good picture at its true size, every bad file refused for its reason, none
// slow; files that are no files; decoding fitted to a size; what a picture
// cut short shows; the scan walker; fitting a large picture.
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <array>
#include <cmath>

#include "pictures/decode/PictureDecoder.h"
#include "support/TestSupport.h"

Q_DECLARE_METATYPE(decode::PictureProblem)

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
  if (!decode::loadPicture(path, &image, &why)) qWarning("%s: %s", qPrintable(path), qPrintable(why));
  return image;
}

// Colours within a JPEG's rounding of each other.
bool near(QRgb a, QRgb b, int tolerance = 24) {
  return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
         qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The mean difference of two pictures of one size, over every channel of every pixel.
double meanDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 255;
  qint64 sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
    }
  return double(sum) / (3.0 * a.width() * a.height());
}

void addFolder(const QString& folder) {
  const QDir dir(pictures() + QLatin1Char('/') + folder);
  const QStringList names = dir.entryList(QDir::Files, QDir::Name);
  QVERIFY2(names.size() >= 15, qPrintable(dir.path()));
  for (const QString& name : names) QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

// A bit-field BMP written by hand: `headerSize` 40 (masks after it), 52, 56,
// 108 or 124 (masks inside it); `masks` red, green, blue, alpha; the rows'
// raw values from the top row down, stored bottom first unless `topDown`.
// `cutRows` rows are left out at the end of the file.
QByteArray bitfieldBmp(int bits, quint32 compression, quint32 headerSize, std::array<quint32, 4> masks,
                       const QVector<QVector<quint32>>& rows, bool topDown = false, int cutRows = 0) {
  const int w = rows.first().size(), h = rows.size();
  const int stride = ((w * bits + 31) / 32) * 4;
  const int maskCount = headerSize >= 52 ? 0 : compression == 6 ? 4 : compression == 3 ? 3 : 0;
  const quint32 offset = 14 + headerSize + 4 * maskCount;
  QByteArray info(int(headerSize), '\0');
  qToLittleEndian<quint32>(headerSize, info.data());
  qToLittleEndian<qint32>(w, info.data() + 4);
  qToLittleEndian<qint32>(topDown ? -h : h, info.data() + 8);
  qToLittleEndian<quint16>(1, info.data() + 12);
  qToLittleEndian<quint16>(quint16(bits), info.data() + 14);
  qToLittleEndian<quint32>(compression, info.data() + 16);
  qToLittleEndian<quint32>(quint32(stride * h), info.data() + 20);
  for (int i = 0; i < 4 && 40 + 4 * i + 4 <= int(headerSize); ++i)
    qToLittleEndian<quint32>(masks[size_t(i)], info.data() + 40 + 4 * i);
  QByteArray file("BM");
  file.append(QByteArray(12, '\0'));
  qToLittleEndian<quint32>(offset, file.data() + 10);
  file.append(info);
  for (int i = 0; i < maskCount; ++i) {
    char m[4];
    qToLittleEndian<quint32>(masks[size_t(i)], m);
    file.append(m, 4);
  }
  for (int r = 0; r < h - cutRows; ++r) {
    QByteArray line(stride, '\0');
    const QVector<quint32>& values = rows[topDown ? r : h - 1 - r];
    for (int x = 0; x < w; ++x) {
      if (bits == 16)
        qToLittleEndian<quint16>(quint16(values[x]), line.data() + 2 * x);
      else
        qToLittleEndian<quint32>(values[x], line.data() + 4 * x);
    }
    file.append(line);
  }
  qToLittleEndian<quint32>(quint32(file.size()), file.data() + 2);
  return file;
}

// The exact 8-bit value of a channel: the masked bits scaled to 0..255 and rounded.
int exact(quint32 pixel, quint32 mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  return int(std::lround(double((pixel & mask) >> shift) * 255.0 / double(mask >> shift)));
}

// The headers of a still WebP of `size`, lossless, or lossy with or without
// transparency, followed by no picture data: enough for its size and kind.
QByteArray webpHeaders(QSize size, bool lossless, bool alpha) {
  const auto le = [](quint32 value, int bytes) {
    QByteArray out(4, '\0');
    qToLittleEndian<quint32>(value, out.data());
    return out.left(bytes);
  };
  const auto chunk = [&](const char* name, const QByteArray& data) {
    return QByteArray(name) + le(quint32(data.size()), 4) + data + QByteArray(data.size() % 2, '\0');
  };
  QByteArray body("WEBP");
  if (lossless) {
    const quint32 sides = quint32(size.width() - 1) | quint32(size.height() - 1) << 14 | quint32(alpha) << 28;
    body += chunk("VP8L", "\x2f" + le(sides, 4) + QByteArray(16, '\0'));
  } else {
    if (alpha)
      body += chunk("VP8X", "\x10" + QByteArray(3, '\0') + le(quint32(size.width() - 1), 3) +
                                le(quint32(size.height() - 1), 3)) +
              chunk("ALPH", QByteArray(1, '\0'));
    // A key frame shown, then the start code and the sides.
    body += chunk("VP8 ", QByteArray("\x10\x00\x00\x9d\x01\x2a", 6) + le(quint32(size.width()), 2) +
                              le(quint32(size.height()), 2) + QByteArray(16, '\0'));
  }
  return "RIFF" + le(quint32(body.size()), 4) + body;
}

}  // namespace

using Masks = std::array<quint32, 4>;
Q_DECLARE_METATYPE(Masks)

class TestPictureDecoder : public QObject {
  Q_OBJECT
  QTemporaryDir scratch_;

 private slots:
  // Run first, before Qt has looked for its image plugins: without them a
  // WebP says which reader is missing instead of calling itself no picture.
  void aFormatWithoutItsReaderSaysSo() {
    const QStringList paths = QCoreApplication::libraryPaths();
    QTemporaryDir empty;
    QCoreApplication::setLibraryPaths({empty.path()});
    QImage image;
    QString why;
    decode::PictureProblem problem = decode::PictureProblem::None;
    const bool loaded = decode::loadPicture(good("webp-lossy-70x46.webp"), &image, &why, QSize(), &problem);
    QVERIFY(decode::loadPicture(good("png-70x46.png"), &image));  // PNG is Qt's own
    QCoreApplication::setLibraryPaths(paths);
    QVERIFY(!loaded);
    QCOMPARE(problem, decode::PictureProblem::NoReader);
    QVERIFY2(why.contains(QStringLiteral(u"WebP 形式の画像を読む")), qPrintable(why));
    QVERIFY(decode::loadPicture(good("webp-lossy-70x46.webp"), &image));
  }

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
    QVERIFY2(decode::loadPicture(path, &image, &why), qPrintable(why));
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
    QVERIFY(!decode::loadPicture(path, &image, &why));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!why.isEmpty());
    QCOMPARE(image, before);
  }

  void refusesForTheRightReason_data() {
    using decode::PictureProblem;
    QTest::addColumn<QString>("path");
    QTest::addColumn<PictureProblem>("problem");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QSize>("fitInto");
    QTest::newRow("600 scans") << bad("jpeg-600-scans.jpg") << PictureProblem::TooLarge
                               << QStringLiteral(u"スキャンが多すぎます（501。500 までです）") << QSize();
    QTest::newRow("500 scans over 12 megapixels") << bad("jpeg-500-scans-12-megapixels.jpg") << PictureProblem::TooLarge
                                                  << QStringLiteral(u"スキャン") << QSize();
    QTest::newRow("JPEG gigapixels") << bad("jpeg-gigapixel-65500x65500.jpg") << PictureProblem::TooLarge
                                     << QStringLiteral(u"大きすぎます") << QSize();
    QTest::newRow("GIF gigapixels") << bad("gif-gigapixel-65535x65535.gif") << PictureProblem::TooLarge
                                    << QStringLiteral(u"（65535×65535。縦横とも 16384 画素までです）") << QSize();
    // The size checked is the screen the GIF decodes to, not its first frame.
    QTest::newRow("GIF screen wider than its frame")
        << bad("gif-screen-65506x30-frame-48x30.gif") << PictureProblem::TooLarge << QStringLiteral(u"65506×30")
        << QSize();
    QTest::newRow("GIF screen of gigapixels") << bad("gif-screen-65535x65535-frame-70x46.gif")
                                              << PictureProblem::TooLarge << QStringLiteral(u"65535×65535") << QSize();
    QTest::newRow("GIF of zero size") << bad("gif-zero-size.gif") << PictureProblem::Damaged
                                      << QStringLiteral(u"0 です") << QSize();
    QTest::newRow("TIFF named .bmp") << bad("tiff-named-bmp.bmp") << PictureProblem::UnsupportedKind
                                     << QStringLiteral(u"形式") << QSize();
    QTest::newRow("text") << bad("text-named-bmp.bmp") << PictureProblem::NotAPicture << QStringLiteral(u"画像")
                          << QSize();
    QTest::newRow("empty") << bad("empty.jpg") << PictureProblem::NotAPicture << QStringLiteral(u"画像") << QSize();
    QTest::newRow("JPEG headers only") << bad("jpeg-headers-only.jpg") << PictureProblem::Damaged
                                       << QStringLiteral(u"大きさ") << QSize();
    QTest::newRow("missing file") << bad("no-such-file.bmp") << PictureProblem::CannotOpen
                                  << QStringLiteral(u"みつかりません") << QSize();
    QTest::newRow("a folder") << pictures() << PictureProblem::NotAFile << QStringLiteral(u"通常のファイル") << QSize();
    // A WebP reduced to fit: libwebp holds a lossless one whole while it
    // scales it, and a lossy one's transparency; past what it may hold it is
    // refused by its size before a pixel is decoded, within it it goes on to
    // be decoded (and the headers alone hold no picture).
    const struct {
      const char* name;
      QSize size;
      bool lossless, alpha;
      PictureProblem problem;
      const char16_t* reason;
    } webps[] = {
        {"WebP lossless, 24 MP", {6000, 4000}, true, false, PictureProblem::TooLarge, u"（6000×4000。1677 万画素"},
        {"WebP lossless, a row past", {4096, 4097}, true, true, PictureProblem::TooLarge, u"4096×4097"},
        {"WebP lossless at the limit", {4096, 4096}, true, false, PictureProblem::Damaged, u"壊れています"},
        {"WebP alpha, 48 MP", {8000, 6000}, false, true, PictureProblem::TooLarge, u"（8000×6000。3355 万画素"},
        {"WebP alpha, 24 MP", {6000, 4000}, false, true, PictureProblem::Damaged, u"壊れています"},
        {"WebP lossy, 16383 x 16383", {16383, 16383}, false, false, PictureProblem::Damaged, u"壊れています"},
    };
    for (const auto& webp : webps) {
      const QString path = scratch_.filePath(QString::fromLatin1(webp.name) + QStringLiteral(".webp"));
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(webpHeaders(webp.size, webp.lossless, webp.alpha)) > 0);
      QTest::newRow(webp.name) << path << webp.problem << QString::fromUtf16(webp.reason) << QSize(1600, 1000);
    }
  }

  void refusesForTheRightReason() {
    QFETCH(QString, path);
    QFETCH(decode::PictureProblem, problem);
    QFETCH(QString, reason);
    QFETCH(QSize, fitInto);
    QImage image;
    QString why;
    decode::PictureProblem found = decode::PictureProblem::None;
    QVERIFY(!decode::loadPicture(path, &image, &why, fitInto, &found));
    QVERIFY2(why.contains(reason), qPrintable(why));
    QCOMPARE(found, problem);
  }

  // The reasons that carry figures, in English.
  void refusesInEnglish_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("600 scans") << bad("jpeg-600-scans.jpg") << QStringLiteral("too many scans (501; the limit is 500)");
    QTest::newRow("GIF gigapixels") << bad("gif-gigapixel-65535x65535.gif")
                                    << QStringLiteral(u"(65535×65535; each side may be at most 16,384 pixels)");
    QTest::newRow("GIF of zero size") << bad("gif-zero-size.gif") << QStringLiteral(u"is empty (0×0)");
  }
  void refusesInEnglish() {
    QFETCH(QString, path);
    QFETCH(QString, reason);
    testsupport::EnglishUi inEnglish;
    QImage image;
    QString why;
    QVERIFY(!decode::loadPicture(path, &image, &why));
    QVERIFY2(why.endsWith(reason), qPrintable(why));
  }

  // Files that are no files are refused at once, never read: a named pipe
  // with no writer would block for good, /dev/zero would never end.
  void refusesWhatIsNoRegularFile() {
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe.jpg"));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    const QString zero = dir.filePath(QStringLiteral("zero.jpg"));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString dangling = dir.filePath(QStringLiteral("gone.png"));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("nothing")), dangling));
    for (const auto& [path, expected] :
         {std::pair{pipe, decode::PictureProblem::NotAFile}, std::pair{zero, decode::PictureProblem::NotAFile},
          std::pair{dangling, decode::PictureProblem::CannotOpen}}) {
      QElapsedTimer timer;
      timer.start();
      QImage image;
      decode::PictureProblem problem = decode::PictureProblem::None;
      QVERIFY2(!decode::loadPicture(path, &image, nullptr, QSize(800, 600), &problem), qPrintable(path));
      QCOMPARE(problem, expected);
      QVERIFY(timer.elapsed() < 1000);
    }
  }

  // A picture bigger than the size asked for comes out fitted, and a GIF is
  // fitted from the screen it really decodes to.
  void decodesStraightToTheSizeAskedFor_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("fitInto");
    QTest::addColumn<QSize>("fitted");
    // How far from the whole picture fitted the result may be: reduced in
    // two steps, a tiny picture differs most.
    QTest::addColumn<double>("difference");
    // The share of the size asked for a JPEG may come out at, when its
    // decoder reduces it a step further for that (a board's finer picture).
    QTest::addColumn<int>("least");
    QTest::newRow("JPEG") << good("jpeg-baseline-70x46.jpg") << QSize(35, 35) << QSize(35, 23) << 6.0 << 100;
    QTest::newRow("JPEG a step further") << good("jpeg-baseline-70x46.jpg") << QSize(10, 10) << QSize(8, 5) << 12.0 << 75;
    QTest::newRow("JPEG not a step further") << good("jpeg-baseline-70x46.jpg") << QSize(12, 12) << QSize(12, 7) << 12.0 << 75;
    QTest::newRow("JPEG turned by its tag")
        << good("jpeg-exif-orientation-6-32x64.jpg") << QSize(16, 16) << QSize(8, 16) << 6.0 << 100;
    QTest::newRow("PNG") << good("png-70x46.png") << QSize(7, 100) << QSize(7, 4) << 10.0 << 100;
    QTest::newRow("PNG by boxes of 2") << good("png-70x46.png") << QSize(35, 35) << QSize(35, 23) << 6.0 << 100;
    QTest::newRow("PNG by boxes of 3") << good("png-70x46.png") << QSize(23, 23) << QSize(23, 15) << 12.0 << 100;
    QTest::newRow("PNG interlaced") << good("png-interlaced-70x46.png") << QSize(35, 35) << QSize(35, 23) << 6.0 << 100;
    QTest::newRow("PNG interlaced by boxes of 3")
        << good("png-interlaced-70x46.png") << QSize(23, 23) << QSize(23, 15) << 12.0 << 100;
    QTest::newRow("PNG palette") << good("png-palette-70x46.png") << QSize(30, 30) << QSize(30, 19) << 6.0 << 100;
    QTest::newRow("PNG 16-bit") << good("png-16bit-70x46.png") << QSize(30, 30) << QSize(30, 19) << 6.0 << 100;
    QTest::newRow("PNG with alpha") << good("png-alpha-70x46.png") << QSize(30, 30) << QSize(30, 19) << 6.0 << 100;
    QTest::newRow("WebP") << good("webp-lossy-70x46.webp") << QSize(20, 20) << QSize(20, 13) << 6.0 << 100;
    QTest::newRow("WebP with alpha") << good("webp-lossless-alpha-70x46.webp") << QSize(30, 30) << QSize(30, 19) << 6.0 << 100;
    QTest::newRow("BMP fits as it is") << good("bmp-24bit-70x46.bmp") << QSize(70, 46) << QSize(70, 46) << 6.0 << 100;
    QTest::newRow("GIF screen 65506 wide")
        << bad("gif-screen-65506x30-frame-48x30.gif") << QSize(1000, 1000) << QSize(1000, 1) << 255.0 << 100;
  }
  void decodesStraightToTheSizeAskedFor() {
    QFETCH(QString, path);
    QFETCH(QSize, fitInto);
    QFETCH(QSize, fitted);
    QFETCH(double, difference);
    QFETCH(int, least);
    QImage image;
    QString why;
    decode::FitDetails details;
    details.jpegLeastPercent = least;
    QVERIFY2(decode::loadPicture(path, &image, &why, fitInto, nullptr, &details), qPrintable(why));
    QCOMPARE(image.size(), fitted);
    QCOMPARE(image.format(), QImage::Format_RGB32);
    if (fitted == image.size() && path.endsWith(QLatin1String(".bmp"))) QCOMPARE(image, load(path));
    // Reduced while decoding, it shows what the whole picture fitted shows
    // (a GIF screen too large to decode whole aside).
    const QImage whole = path.contains(QLatin1String("/good/")) ? load(path) : QImage();
    if (whole.isNull()) return;
    const QImage reference = least < 100 ? whole.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                         : decode::fitPicture(whole, fitInto);
    QVERIFY(meanDifference(image, reference) < difference);
    QCOMPARE(details.fullSize, whole.size());
  }

  // Transparent parts are laid on white, and every kind shows the same rose.
  void newKindsShowTheirContent() {
    const QImage rose = load(good("bmp-24bit-70x46.bmp"));
    QCOMPARE(load(good("png-70x46.png")), rose);
    QCOMPARE(load(good("png-content-named-bmp-70x46.bmp")), rose);
    QVERIFY(near(load(good("png-16bit-70x46.png")).pixel(35, 23), rose.pixel(35, 23), 1));
    QVERIFY(meanDifference(load(good("webp-lossy-70x46.webp")), rose) < 8);
    QVERIFY(meanDifference(load(good("jpeg-named-jpeg-70x46.jpeg")), rose) < 8);
    for (const char* name : {"png-alpha-70x46.png", "webp-lossless-alpha-70x46.webp"}) {
      const QImage half = load(good(name));
      QCOMPARE(half.pixel(60, 23), qRgb(255, 255, 255));
      QCOMPARE(half.pixel(10, 23), rose.pixel(10, 23));
    }
  }

  // Every bit-field layout decodes to its exact colours: each channel scaled
  // to the full range, white stays white, a wide channel is rounded down to
  // eight bits; alpha lays the colour on white, and alpha that is zero
  // everywhere means none.
  void bitfieldBmpsDecodeExactly_data() {
    QTest::addColumn<int>("bits");
    QTest::addColumn<uint>("compression");
    QTest::addColumn<uint>("header");
    QTest::addColumn<Masks>("masks");
    QTest::addColumn<bool>("topDown");
    const Masks m565{0xF800, 0x07E0, 0x001F, 0}, m555{0x7C00, 0x03E0, 0x001F, 0};
    QTest::newRow("16-bit 5-6-5") << 16 << 3u << 40u << m565 << false;
    QTest::newRow("16-bit 5-6-5 top-down") << 16 << 3u << 40u << m565 << true;
    QTest::newRow("16-bit 5-5-5 without masks") << 16 << 0u << 40u << m555 << false;
    QTest::newRow("16-bit 5-5-5 with masks, V4 header") << 16 << 3u << 108u << m555 << false;
    QTest::newRow("16-bit 4-4-4-4 alpha, V3 header")
        << 16 << 3u << 56u << Masks{0x0F00, 0x00F0, 0x000F, 0xF000} << false;
    QTest::newRow("16-bit 2-3-1") << 16 << 3u << 40u << Masks{0x0030, 0x000E, 0x0001, 0} << false;
    QTest::newRow("32-bit 8-8-8") << 32 << 3u << 40u << Masks{0xFF0000, 0xFF00, 0xFF, 0} << false;
    QTest::newRow("32-bit 8-8-8-8 alpha, V5 header")
        << 32 << 3u << 124u << Masks{0xFF0000, 0xFF00, 0xFF, 0xFF000000} << false;
    QTest::newRow("32-bit 10-10-10-2") << 32 << 3u << 56u << Masks{0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}
                                       << false;
    QTest::newRow("32-bit 11-11-10") << 32 << 3u << 40u << Masks{0xFFE00000, 0x001FFC00, 0x000003FF, 0} << false;
    QTest::newRow("32-bit 16-8-8, alpha bit fields")
        << 32 << 6u << 40u << Masks{0xFFFF0000, 0x0000FF00, 0x000000F0, 0x0000000F} << false;
  }
  void bitfieldBmpsDecodeExactly() {
    QFETCH(int, bits);
    QFETCH(uint, compression);
    QFETCH(uint, header);
    QFETCH(Masks, masks);
    QFETCH(bool, topDown);
    // Every channel at zero, full and in between, with alpha full, half and zero.
    const quint32 all = bits == 16 ? 0xFFFF : 0xFFFFFFFF;
    QVector<QVector<quint32>> rows;
    for (int r = 0; r < 4; ++r) {
      QVector<quint32> row;
      for (int x = 0; x < 9; ++x) {
        const quint32 colour = x == 0 ? 0 : x == 1 ? all : (0x9E3779B9u * quint32(x * 4 + r + 1)) & all;
        const quint32 alpha = masks[3] & (r == 0 ? all : r == 1 ? 0 : (masks[3] & (masks[3] >> 1)));
        row.append((colour & ~masks[3]) | alpha);
      }
      rows.append(row);
    }
    QImage image;
    QString why;
    QVERIFY2(decode::decodePicture(bitfieldBmp(bits, compression, header, masks, rows, topDown), &image, &why),
             qPrintable(why));
    QCOMPARE(image.size(), QSize(9, 4));
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 9; ++x) {
        const quint32 v = rows[y][x];
        const int a = masks[3] ? exact(v, masks[3]) : 255;
        const auto onWhite = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
        const QRgb want = qRgb(onWhite(exact(v, masks[0])), onWhite(exact(v, masks[1])), onWhite(exact(v, masks[2])));
        QVERIFY2(
            near(image.pixel(x, y), want, a == 255 ? 0 : 2),
            qPrintable(
                QStringLiteral("(%1, %2): %3 for %4").arg(x).arg(y).arg(image.pixel(x, y), 8, 16).arg(want, 8, 16)));
      }
    }
    QCOMPARE(image.pixel(1, 0), qRgb(255, 255, 255));
  }

  void bitfieldBmpsWithoutAlphaOrCutShort() {
    const Masks argb{0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    // Alpha zero everywhere: the colours as they are, not white.
    QImage image;
    QVERIFY(decode::decodePicture(bitfieldBmp(32, 3, 124, argb, {{0x00102030, 0x00FFFFFF}}), &image));
    QCOMPARE(image.pixel(0, 0), qRgb(0x10, 0x20, 0x30));
    // Rows the file does not reach are grey; those it holds are exact.
    const Masks m565{0xF800, 0x07E0, 0x001F, 0};
    QVERIFY(
        decode::decodePicture(bitfieldBmp(16, 3, 40, m565, {{0xFFFF, 0xF800}, {0x07E0, 0x001F}}, false, 1), &image));
    QCOMPARE(image.pixel(0, 0), qRgb(128, 128, 128));
    QCOMPARE(image.pixel(0, 1), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(1, 1), qRgb(0, 0, 255));
    // The 16-bit rose of the corpus: its white is 255, not 248.
    const QImage rose = load(good("bmp-16bit-70x46.bmp"));
    int brightest = 0;
    for (int y = 0; y < rose.height(); ++y)
      for (int x = 0; x < rose.width(); ++x) brightest = std::max(brightest, qRed(rose.pixel(x, y)));
    QVERIFY2(brightest > 248, qPrintable(QString::number(brightest)));
  }

  // The memory limit counts the 32 bits a pixel every picture passes through,
  // not the file's own depth: an 8-bit BMP of 96 megapixels needs 384 MB.
  void sizeCountedAtThirtyTwoBits() {
    QByteArray bmp("BM");
    bmp.append(QByteArray(12, '\0'));
    QByteArray info(40, '\0');
    qToLittleEndian<quint32>(40, info.data());
    qToLittleEndian<qint32>(12000, info.data() + 4);
    qToLittleEndian<qint32>(8000, info.data() + 8);
    qToLittleEndian<quint16>(1, info.data() + 12);
    qToLittleEndian<quint16>(8, info.data() + 14);
    bmp.append(info).append(QByteArray(1024 + 4096, '\x40'));
    qToLittleEndian<quint32>(14 + 40 + 1024, bmp.data() + 10);
    QImage image;
    QString why;
    decode::PictureProblem problem = decode::PictureProblem::None;
    QVERIFY(!decode::decodePicture(bmp, &image, &why, QSize(800, 600), &problem));
    QCOMPARE(problem, decode::PictureProblem::TooLarge);
    QVERIFY2(why.contains(QStringLiteral(u"12000×8000")), qPrintable(why));
  }

  // Damaged copies of every good picture (bytes changed, cut short, headers
  // with wild sizes): each either decodes or is refused, quickly, and a
  // refusal leaves the picture given untouched. Seeded; the seed is printed
  // on failure.
  void damagedCopiesNeverCrash() {
    const quint32 seed = 20261207;
    QRandomGenerator random(seed);
    const QDir dir(pictures() + QStringLiteral("/good"));
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
      const QByteArray original = bytesOf(dir.filePath(name));
      for (int copy = 0; copy < 40; ++copy) {
        QByteArray bytes = original;
        const int changes = 1 + int(random.bounded(8));
        for (int i = 0; i < changes && !bytes.isEmpty(); ++i) {
          // Mostly in the headers, where sizes and counts live.
          const int at =
              int(random.bounded(random.bounded(4) == 0 ? bytes.size() : qMin<qsizetype>(bytes.size(), 160)));
          bytes[at] = char(random.bounded(4) == 0 ? 0xFF : random.bounded(256));
        }
        if (random.bounded(4) == 0) bytes.truncate(int(random.bounded(bytes.size() + 1)));
        QImage image(2, 2, QImage::Format_RGB32);
        image.fill(Qt::green);
        const QImage before = image;
        QElapsedTimer timer;
        timer.start();
        const bool loaded = decode::decodePicture(bytes, &image, nullptr, QSize(640, 480));
        const QString where = QStringLiteral("%1, copy %2, seed %3").arg(name).arg(copy).arg(seed);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(where));
        if (loaded)
          QVERIFY2(!image.isNull() && image.width() <= 640 && image.height() <= 480, qPrintable(where));
        else
          QVERIFY2(image == before, qPrintable(where));
      }
    }
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

  // Qt's allocation limit is set once, as the program starts: a decode never
  // touches it (thumbnails decode on other threads), and a picture over the
  // limit is refused by its size before Qt's reader is asked, the same
  // whatever Qt's own limit says.
  void allocationLimitSetOnceAtStart() {
    QImageReader::setAllocationLimit(0);
    decode::setPictureAllocationLimit();
    QCOMPARE(QImageReader::allocationLimit(), 256);
    QImage image;
    QVERIFY(decode::loadPicture(good("gif-70x46.gif"), &image));
    // The headers of a 24-bit BMP of 9000 x 9000, 324 MB once decoded.
    QByteArray bmp("BM");
    const std::pair<quint32, int> fields[] = {{54, 4}, {0, 4}, {54, 4}, {40, 4},   {9000, 4}, {9000, 4}, {1, 2},
                                              {24, 2}, {0, 4}, {0, 4},  {2835, 4}, {2835, 4}, {0, 4},    {0, 4}};
    for (const auto& [value, bytes] : fields)
      for (int i = 0; i < bytes; ++i) bmp += char(value >> (8 * i) & 0xFF);
    QCOMPARE(bmp.size(), 54);
    for (const int qtLimit : {256, 0}) {
      QImageReader::setAllocationLimit(qtLimit);
      QString why;
      decode::PictureProblem problem = decode::PictureProblem::None;
      QVERIFY(!decode::decodePicture(bmp, &image, &why, QSize(), &problem));
      QCOMPARE(problem, decode::PictureProblem::TooLarge);
      QVERIFY2(why.contains(QStringLiteral(u"（9000×9000。6710 万画素までです）")), qPrintable(why));
      QCOMPARE(QImageReader::allocationLimit(), qtLimit);
    }
    decode::setPictureAllocationLimit();
  }

  void walksJpegSegments() {
    const QByteArray progressive = bytesOf(good("jpeg-progressive-70x46.jpg"));
    const int markers = progressive.count("\xff\xda");
    QVERIFY(markers > 1);
    QCOMPARE(decode::inspectJpegScans(progressive).count, markers);
    // Start-of-scan bytes inside a comment are not scans.
    const QByteArray comment = QByteArray("\xff\xda").repeated(600);
    const int length = comment.size() + 2;
    QByteArray withComment = progressive;
    withComment.insert(2, QByteArray("\xff\xfe") + char(length >> 8) + char(length & 0xFF) + comment);
    QCOMPARE(decode::inspectJpegScans(withComment).count, markers);
    QImage image;
    QVERIFY(decode::decodePicture(withComment, &image));
    // Stray bytes between segments do not hide the scans after them.
    QByteArray stray = progressive;
    stray.replace("\xff\xda", "junk\xff\xda");
    QCOMPARE(decode::inspectJpegScans(stray).count, markers);
    // Each scan of the 4000x3000 grey picture passes over its 500x375 blocks.
    const decode::JpegScans many = decode::inspectJpegScans(bytesOf(bad("jpeg-500-scans-12-megapixels.jpg")));
    QCOMPARE(many.count, 500);
    QCOMPARE(many.blockPasses, qint64(500) * 500 * 375);
    QCOMPARE(decode::inspectJpegScans(bytesOf(bad("jpeg-600-scans.jpg"))).count, decode::kMaxJpegScans + 1);
    // Fed in pieces of any length, the walk comes to the same result.
    for (const qsizetype piece : {1, 7, 4096}) {
      decode::JpegScanWalker walker;
      const QByteArray bytes = bytesOf(good("jpeg-progressive-70x46.jpg")) + bytesOf(good("jpeg-baseline-70x46.jpg"));
      for (qsizetype at = 0; at < bytes.size(); at += piece)
        walker.feed(reinterpret_cast<const uchar*>(bytes.constData()) + at, std::min(piece, bytes.size() - at));
      const decode::JpegScans whole = decode::inspectJpegScans(bytes), pieces = walker.finish();
      QCOMPARE(pieces.count, whole.count);
      QCOMPARE(pieces.blockPasses, whole.blockPasses);
      QCOMPARE(pieces.count, markers);
    }
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
    const QImage out = decode::fitPicture(source, maxSize);
    QCOMPARE(out.size(), fitted);
    if (fitted == picture)
      QCOMPARE(out, source);  // exact pixels
    else
      QVERIFY(near(out.pixel(out.width() / 2, out.height() / 2), qRgb(10, 200, 30), 2));
  }
};

QTEST_MAIN(TestPictureDecoder)
#include "tst_picturedecoder.moc"
