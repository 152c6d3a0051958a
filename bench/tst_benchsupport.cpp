// The benchmarks' own parts, checked before any figure is trusted: the test
// picture really is detailed, the largest board really is the largest the
// picture command builds, the start-up yardstick has the main window's menus
// and font, the memcpy yardstick copies, the old one-pixel method really
// builds the reversed image, the checks really catch a wrong board, and the
// peak memory, ratio and median arithmetic are right.
#include <QMainWindow>
#include <QMenuBar>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include "bench/BenchSupport.h"
#include "bench/JapaneseMenuBar.h"
#include "bench/ProcessProbe.h"
#include "core/PieceDrawing.h"
#include "pictures/BoardLayout.h"
#include "platform/MsgBox.h"
#include "platform/Screen.h"
#include "platform/SettingsStore.h"
#include "platform/UiSetup.h"
#include "shell/Form1.h"

using namespace benchsupport;

Q_DECLARE_METATYPE(platform::UiLanguage)

class BenchSupportTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir settings_;
  platform::MsgBoxResponder previous_;
  int boxes_ = 0;

 private slots:
  void initTestCase() {
    platform::setSettingsRoot(settings_.path());
    previous_ = platform::setMsgBoxResponder([this](const QString&, int, const QString&) {
      ++boxes_;
      return platform::vbNo;
    });
  }

  void cleanupTestCase() {
    platform::setMsgBoxResponder(previous_);
    platform::setSettingsRoot(QString());
  }

  void pictureIsTheSameEveryTime() {
    const QImage a = makeDetailedPicture(300, 200);
    const QImage b = makeDetailedPicture(300, 200);
    QCOMPARE(a.size(), QSize(300, 200));
    QCOMPARE(a.format(), platform::kBoardFormat);
    QCOMPARE(a, b);
  }

  void pictureIsDetailed() {
    const QImage picture = makeDetailedPicture(kPictureWidth, kPictureHeight);
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 3)
      for (int x = 0; x < picture.width(); x += 5) colours.insert(picture.pixel(x, y));
    QVERIFY2(colours.size() > 50000, qPrintable(QStringLiteral("only %1 colours").arg(colours.size())));
  }

  void noTwoPiecesAlikeAndNoneSymmetric() {
    const QImage picture = makeDetailedPicture(kPictureWidth, kPictureHeight);
    const int w = kPictureWidth / kGrid, h = kPictureHeight / kGrid;
    QSet<QByteArray> seen;
    for (int row = 0; row < kGrid; ++row) {
      for (int col = 0; col < kGrid; ++col) {
        const QImage piece = picture.copy(col * w, row * h, w, h);
        QVERIFY2(piece != piece.mirrored(true, true), qPrintable(QStringLiteral("piece %1,%2").arg(col).arg(row)));
        const QByteArray bytes(reinterpret_cast<const char*>(piece.constBits()), piece.sizeInBytes());
        QVERIFY(!seen.contains(bytes));
        seen.insert(bytes);
      }
    }
  }

  void emptyPictureIsNull() { QVERIFY(makeDetailedPicture(0, 10).isNull()); }

  void onePixelMethodBuildsTheReversedImage() {
    quavinto::Form1 form;
    const QImage picture = makeDetailedPicture(130, 97);
    QString why;
    QVERIFY2(buildBoard(form, picture, 6, 4, &why), qPrintable(why));
    QCOMPARE(form.vars().PieceWidth, 21);
    QCOMPARE(form.vars().PieceHeight, 24);
    form.Picture4->retained().fill(0);
    reverseByPixels(form);
    const QImage byPixels = form.Picture4->retained().copy();
    QCOMPARE(reversedImageProblem(byPixels, picture, 6, 4, 21, 24), QString());
    // The same image the game builds.
    form.Picture4->retained().fill(0);
    quavinto::DrawReverse(form);
    QCOMPARE(form.Picture4->retained(), byPixels);
  }

  void reversedImageCheckNamesTheWrongPiece() {
    const QImage picture = makeDetailedPicture(40, 30);
    QImage reversed(40, 30, platform::kBoardFormat);
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 4; ++col) quavinto::reverseRect(reversed, picture, col * 10, row * 10, 10, 10);
    QCOMPARE(reversedImageProblem(reversed, picture, 4, 3, 10, 10), QString());
    reversed.setPixel(25, 14, reversed.pixel(25, 14) ^ 0x10);
    QCOMPARE(reversedImageProblem(reversed, picture, 4, 3, 10, 10),
             QStringLiteral("piece (3, 2) is not its picture rectangle turned round"));
    QVERIFY(!reversedImageProblem(reversed.copy(0, 0, 30, 30), picture, 4, 3, 10, 10).isEmpty());
  }

  void boardCheckFollowsTheGrids() {
    quavinto::Form1 form;
    const QImage picture = makeDetailedPicture(90, 60);
    QVERIFY(buildBoard(form, picture, 3, 2, nullptr));
    quavinto::GameState& g = form.state();
    QCOMPARE(boardProblem(form.Picture1->retained(), picture, g, form.vars()), QString());
    // Turning one piece's flag without drawing it makes the board wrong there.
    g.RMap[2][1] = 1;
    QCOMPARE(boardProblem(form.Picture1->retained(), picture, g, form.vars()),
             QStringLiteral("cell (2, 1) does not show piece 2"));
    quavinto::DrawReverse(form);
    quavinto::drawAllCells(form);
    QCOMPARE(boardProblem(form.Picture1->retained(), picture, g, form.vars()), QString());
    // At two device pixels a pixel the cells (60 x 60 there) are compared at
    // that resolution: the turned piece must be turned there too.
    const QImage fine = picture.scaled(180, 120);
    QImage fineBoard = fine.copy();
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 60; ++x) fineBoard.setPixel(60 + x, y, fine.pixel(119 - x, 59 - y));
    QCOMPARE(boardProblem(fineBoard, fine, g, form.vars(), 2), QString());
    QCOMPARE(boardProblem(fine, fine, g, form.vars(), 2), QStringLiteral("cell (2, 1) does not show piece 2"));
    QVERIFY(!boardProblem(fineBoard, fine, g, form.vars()).isEmpty());
    g.Map[3][2] = 0;
    QCOMPARE(boardProblem(form.Picture1->retained(), picture, g, form.vars()),
             QStringLiteral("cell (3, 2) holds no piece"));
  }

  void tooSmallPictureIsRefused() {
    quavinto::Form1 form;
    const int before = boxes_;
    QString why;
    QVERIFY(!buildBoard(form, makeDetailedPicture(20, 10), kGrid, kGrid, &why));
    // The refusal comes back as words for the caller; building opens no box.
    QVERIFY(why.contains(QStringLiteral("20 × 10")));
    QCOMPARE(boxes_, before);
  }

  void peakMemoryIsReadFromStatus() {
    const QByteArray status = "Name:\tquavinto\nVmPeak:\t  300000 kB\nVmHWM:\t   81234 kB\nVmRSS:\t   70000 kB\n";
    QCOMPARE(benchprobe::parsePeakKb(status), qint64(81234));
    QCOMPARE(benchprobe::parsePeakKb("VmRSS:\t 5 kB\n"), qint64(-1));
    QCOMPARE(benchprobe::parsePeakKb("VmHWM:\t  kB\n"), qint64(-1));
    QVERIFY(benchprobe::peakResidentKb() > 0);
  }

  void peakMemoryGrowsWithTouchedMemory() {
    const qint64 before = benchprobe::peakResidentKb();
    // 128 MiB touched: the peak must rise by at least half of it, whatever
    // was freed before.
    QImage big(8192, 4096, QImage::Format_RGB32);
    big.fill(0x123456);
    QVERIFY(benchprobe::peakResidentKb() >= before + qint64(8192) * 4096 * 4 / 1024 / 2);
  }

  void largestBoardFillsTheRoomTheProgramGivesIt() {
    QTemporaryDir folder;
    quavinto::Form1 form;
    QString why;
    const int before = boxes_;
    const bool loaded = loadLargestBoard(form, folder.path(), &why);
    const QSize room = quavinto::largestBoard(form);
    platform::setScreenOverride(0, 0, QRect());
    QVERIFY2(loaded, qPrintable(why));
    QCOMPARE(boxes_, before);
    // The photo is reduced to the room on one side; the board is cut from it whole.
    const QSize picture = form.Picture1->picture().size();
    QVERIFY(picture.width() <= room.width() && picture.height() <= room.height());
    QVERIFY(picture.width() == room.width() || picture.height() == room.height());
    QVERIFY2(picture.width() > 1000, qPrintable(QStringLiteral("%1 wide").arg(picture.width())));
    QCOMPARE(form.state().Xn, int16_t(kGrid));
    QCOMPARE(form.state().Yn, int16_t(kGrid));
    QCOMPARE(form.Picture1->size(), QSize(kGrid * (picture.width() / kGrid), kGrid * (picture.height() / kGrid)));
    QCOMPARE(boardProblem(form.Picture1->retained(), form.Picture1->picture(), form.state(), form.vars()), QString());
  }

  // In each language the yardstick, set up as the program sets itself up,
  // shows the main window's menus in the same words and font.
  void startupYardstickHasTheMainWindowsMenusAndFont_data() {
    QTest::addColumn<platform::UiLanguage>("language");
    QTest::addColumn<QString>("fileMenu");
    QTest::newRow("Japanese") << platform::UiLanguage::Japanese << QStringLiteral(u"ファイル");
    QTest::newRow("English") << platform::UiLanguage::English << QStringLiteral("File");
  }
  void startupYardstickHasTheMainWindowsMenusAndFont() {
    QFETCH(platform::UiLanguage, language);
    QFETCH(QString, fileMenu);
    auto& app = *static_cast<QApplication*>(QCoreApplication::instance());
    QVERIFY(platform::setUpUi(app, language));
    quavinto::Form1 form;
    QMainWindow yardstick;
    benchmenu::buildMenuBar(yardstick.menuBar());
    const QStringList menus = benchmenu::describeMenuBar(form.menuBar());
    const QStringList yardsticks = benchmenu::describeMenuBar(yardstick.menuBar());
    const QStringList programFonts = form.menuBar()->font().families();
    const QStringList yardstickFonts = yardstick.menuBar()->font().families();
    platform::tearDownUi(app);
    QCOMPARE(menus.size(), 5);
    QVERIFY2(menus.first().startsWith(fileMenu + QStringLiteral(" | ")), qPrintable(menus.first()));
    QCOMPARE(yardsticks, menus);
    QCOMPARE(yardstickFonts, programFonts);
  }

  void memcpyYardstickCopiesThePicture() {
    const QImage picture = makeDetailedPicture(640, 480);
    MemcpyReference reference(picture);
    QVERIFY(!reference.copyIsExact());
    const int64_t ns = reference.copyOnce();
    QVERIFY(ns > 0);
    QVERIFY(reference.copyIsExact());
  }

  void processTimeCountsWork() {
    const int64_t start = processCpuNs();
    volatile uint64_t sum = 0;
    for (uint64_t i = 0; i < 20000000; ++i) sum = sum + (i ^ (i >> 3));
    QVERIFY(processCpuNs() - start > 1000000);  // well over a millisecond
  }

  void pairedRatiosTakeTheMedianPair() {
    PairedRatios ratios;
    QCOMPARE(ratios.median(), 0.0);
    ratios.add(300, 100);
    ratios.add(9000, 1000);  // a slow pair on both sides still reads 9
    ratios.add(500, 100);
    ratios.add(700, 0);  // a reference too short to time says nothing
    QCOMPARE(ratios.size(), size_t(3));
    QCOMPARE(ratios.median(), 5.0);
  }

  void medians() {
    QCOMPARE(median({}), 0.0);
    QCOMPARE(median({4.0}), 4.0);
    QCOMPARE(median({9.0, 1.0, 5.0}), 5.0);
    QCOMPARE(median({8.0, 2.0, 4.0, 6.0}), 5.0);
    QCOMPARE(median({3.0, 100.0, 2.0, 1.0, 3.5}), 3.0);
  }
};

QTEST_MAIN(BenchSupportTest)
#include "tst_benchsupport.moc"
