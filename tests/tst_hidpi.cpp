// The board on scaled screens: what the player sees has the screen's own
// pixels (at 200 % a picture with the detail shows it one to one, never each
// logical pixel doubled; at 150 % never pixels repeated 1, 2, 1, 2), every
// piece comes from its own rectangle of the picture (no neighbour's colour at
// its edges), and the mouse still hits the right cells. The suite runs at
// 200 %; rows of other scales run in a child process at their scale.
#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "pictures/PictureLoading.h"
#include "pictures/PieceCut.h"
#include "platform/Screen.h"
#include "shell/Form1.h"
#include "support/TestSupport.h"

using namespace quavinto;

namespace {

// What a picture area shows on the screen, in device pixels.
QImage shownPixels(QWidget* area) {
  QImage shown = area->grab().toImage().convertToFormat(QImage::Format_RGB32);
  shown.setDevicePixelRatio(1);
  return shown;
}

// The board's drawing as the player sees it: at the screen's resolution.
QImage deviceDrawing(platform::PictureBox* box) {
  QImage drawing = box->deviceRatio() == 1 ? box->retained() : box->fineRetained();
  drawing.setDevicePixelRatio(1);
  return drawing;
}

QImage devicePicture(platform::PictureBox* box) {
  QImage picture = box->deviceRatio() == 1 ? box->picture() : box->finePicture();
  picture.setDevicePixelRatio(1);
  return picture;
}

int channelDifference(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// Detail down to the single pixel over broad shapes, as in a photo.
QImage detailedPhoto(QSize size) {
  QImage photo(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x) {
      const int fine = ((x * 7 + y * 13) % 5) * 20;
      photo.setPixel(x, y,
                     qRgb((x * 255 / size.width() + fine) & 0xFF, (y * 255 / size.height() + fine) & 0xFF,
                          int(127 + 120 * std::sin((x + y) / 17.0))));
    }
  return photo;
}

QImage checker(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 40));
  return image;
}

QRgb pieceColour(int k) { return qRgb((k * 53) % 256, (k * 97 + 40) % 256, (k * 31 + 90) % 256); }

// Flat-coloured pieces, each colour filling the rectangle of the picture its
// piece of an xn x yn board will be cut from; the strips take a colour of
// their own.
QImage flatPieces(QSize size, QSize whole, int xn, int yn, int pieceWidth, int pieceHeight) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(qRgb(255, 0, 255));
  for (int row = 0; row < yn; ++row)
    for (int col = 0; col < xn; ++col) {
      const QRect own = sourceRectOf(QRect(col * pieceWidth, row * pieceHeight, pieceWidth, pieceHeight), whole, size);
      for (int y = own.top(); y <= own.bottom(); ++y)
        for (int x = own.left(); x <= own.right(); ++x) image.setPixel(x, y, pieceColour(row * xn + col + 1));
    }
  return image;
}

}  // namespace

class HiDpiTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void cleanup() { platform::setScreenOverride(0, 0, QRect()); }

  void drawnAtTheScreensResolutionWithExactHits_data() {
    QTest::addColumn<double>("scale");
    QTest::newRow("100 %") << 1.0;
    QTest::newRow("150 %") << 1.5;
    QTest::newRow("200 %") << 2.0;
  }

  // The built-in picture, smaller than the board's device size, is drawn
  // smoothly into its cells.
  void drawnAtTheScreensResolutionWithExactHits() {
    QFETCH(double, scale);
    if (const QString child = testsupport::runRowAtScale(scale); child != QLatin1String("ran here")) {
      QVERIFY2(child.isEmpty(), qPrintable(child));
      return;
    }
    testsupport::PrivateSettings settings;
    testsupport::ScriptedBoxes boxes;
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(f.devicePixelRatio(), scale);
    boxes.answer(platform::vbYes);
    f.GStart->trigger();

    // An exchange by mouse, in logical pixels, lands on the intended cells.
    const MainVars& v = f.vars();
    const QPoint from(v.PieceWidth + 2, v.PieceHeight * 3 + 1), to(v.PieceWidth * 4 + 1, v.PieceHeight - 2);
    const int16_t piece = f.state().Map[2][4];
    QTest::mousePress(f.Picture1, Qt::LeftButton, {}, from);
    QTest::mouseMove(f.Picture1, to);
    QTest::mouseRelease(f.Picture1, Qt::LeftButton, {}, to);
    QCOMPARE(f.state().Map[5][1], piece);
    QCOMPARE(testsupport::windowBoardProblem(f), QString());

    // On screen the board is its drawing at the screen's resolution, pixel for
    // pixel, away from the floating piece and the focus outline of cell (1, 1).
    const QRect covered = platform::toDevice(
        f.Picture2->geometry().united(QRect(0, 0, v.PieceWidth, v.PieceHeight)).adjusted(-1, -1, 1, 1), scale);
    const auto showsItsDrawing = [&] {
      const QImage shown = shownPixels(f.Picture1);
      const QImage drawn = deviceDrawing(f.Picture1);
      QCOMPARE(shown.size(), drawn.size());
      QCOMPARE(drawn.size(),
               QSize(platform::toDevice(f.Picture1->width(), scale), platform::toDevice(f.Picture1->height(), scale)));
      int compared = 0;
      for (int y = 0; y < drawn.height(); y += 3)
        for (int x = 0; x < drawn.width(); x += 2) {
          if (covered.contains(x, y)) continue;
          QCOMPARE(shown.pixel(x, y), drawn.pixel(x, y));
          ++compared;
        }
      QVERIFY(compared > 1000);
    };
    showsItsDrawing();
    if (QTest::currentTestFailed() || scale == 1) return;
    const QImage drawing = deviceDrawing(f.Picture1);
    // Never the logical drawing enlarged: most device pixels differ from the
    // logical pixel they lie in.
    const QImage& logical = f.Picture1->retained();
    int same = 0, all = 0;
    for (int y = 0; y < drawing.height(); y += 2)
      for (int x = 0; x < drawing.width(); x += 2) {
        if (covered.contains(x, y)) continue;
        ++all;
        same += drawing.pixel(x, y) == logical.pixel(int(x / scale), int(y / scale));
      }
    QVERIFY2(same * 2 < all,
             qPrintable(QStringLiteral("%1 of %2 device pixels copy their logical one").arg(same).arg(all)));

    // Drawn for a screen at 100 % and then shown on this one (the window moved
    // between screens): the board is drawn again at this screen's resolution,
    // its game untouched.
    const Grid map = f.state().Map;
    for (platform::PictureBox* box : {f.Picture1, f.Picture2, f.Picture4}) box->setDeviceRatio(1);
    f.Picture1->repaint();
    QTRY_COMPARE(f.Picture1->deviceRatio(), scale);
    showsItsDrawing();
    QCOMPARE(deviceDrawing(f.Picture1), drawing);
    QVERIFY(f.state().Map == map);
    QCOMPARE(f.state().GameRunning, int16_t(1));
    QCOMPARE(testsupport::windowBoardProblem(f), QString());
  }

  void piecesFromThePictureAtDeviceResolution_data() {
    QTest::addColumn<QString>("picture");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("xn");
    QTest::addColumn<int>("yn");
    for (const char* picture : {"detailed photo", "one-pixel checker", "flat-coloured pieces", "large flat pieces"})
      for (const double scale : {1.0, 1.5, 2.0})
        for (const QSize grid : {QSize(5, 5), QSize(7, 3)})
          QTest::addRow("%s, %d %%, %dx%d", picture, int(scale * 100), grid.width(), grid.height())
              << picture << scale << grid.width() << grid.height();
  }

  void piecesFromThePictureAtDeviceResolution() {
    QFETCH(QString, picture);
    QFETCH(double, scale);
    QFETCH(int, xn);
    QFETCH(int, yn);
    if (const QString child = testsupport::runRowAtScale(scale); child != QLatin1String("ran here")) {
      QVERIFY2(child.isEmpty(), qPrintable(child));
      return;
    }
    // A screen that leaves the board at most 608 x 400 logical pixels.
    platform::setScreenOverride(15, 15, QRect(0, 0, 680, 600));
    testsupport::PrivateSettings settings;
    testsupport::ScriptedBoxes boxes;
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.state().Xn = int16_t(xn);
    f.state().Yn = int16_t(yn);
    f.state().HyoujiFlag = 0;
    const QString path = dir_.filePath(QStringLiteral("picture-%1.png").arg(QTest::currentDataTag()));
    QImage original;
    if (picture == "detailed photo") original = detailedPhoto(QSize(1600, 1200));
    // Exactly the board's device size: each of its pixels is one on the screen.
    if (picture == "one-pixel checker") original = checker(QSize(600, 400) * scale);
    // Flat pieces in a picture a little larger than the board, and in one
    // several times the board's device size (a photo's usual size).
    const bool flat = picture.endsWith(QLatin1String("pieces"));
    if (flat) {
      const QSize size = picture == "large flat pieces" ? QSize(4013, 2827) : QSize(1003, 707);
      // The board's measures first, from a picture of the same size.
      QVERIFY(QImage(size, QImage::Format_RGB32).save(path));
      QVERIFY(loadChosenPicture(f, path).built());
      const QSize whole(f.state().PictureWidth, f.state().PictureHeight);
      QVERIFY2(whole.width() < size.width(), "the picture is reduced");
      original = flatPieces(size, whole, xn, yn, f.vars().PieceWidth, f.vars().PieceHeight);
    }
    QVERIFY(original.save(path));
    QVERIFY(loadChosenPicture(f, path).built());
    QCOMPARE(boxes.shown.size(), 0);
    const MainVars& v = f.vars();
    const QSize whole(f.state().PictureWidth, f.state().PictureHeight);
    const QImage board = devicePicture(f.Picture1);
    QCOMPARE(board.size(), QSize(platform::toDevice(whole.width(), scale), platform::toDevice(whole.height(), scale)));

    for (int row = 0; row < yn; ++row)
      for (int col = 0; col < xn; ++col) {
        const QRect piece(col * v.PieceWidth, row * v.PieceHeight, v.PieceWidth, v.PieceHeight);
        const QRect device = platform::toDevice(piece, scale);
        const QImage got = board.copy(device);
        const QString where = QStringLiteral("piece (%1, %2)").arg(col + 1).arg(row + 1);
        if (picture == "one-pixel checker") {
          QVERIFY2(got == original.copy(device), qPrintable(where + " is not the picture's pixels one to one"));
        } else if (flat) {
          // Flat in the logical picture and at the screen's resolution alike.
          const QRgb colour = pieceColour(row * xn + col + 1);
          for (const QImage& drawn : {got, f.Picture1->picture().copy(piece)})
            for (int y = 0; y < drawn.height(); ++y)
              for (int x = 0; x < drawn.width(); ++x)
                QVERIFY2(drawn.pixel(x, y) == colour,
                         qPrintable(where + QStringLiteral(" has another colour at %1, %2").arg(x).arg(y)));
        } else {
          // The photo's own rectangle reduced to the piece's device pixels.
          const QRect own = sourceRectOf(piece, whole, original.size());
          const QImage want = original.copy(own).scaled(device.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
          qint64 difference = 0;
          for (int y = 0; y < got.height(); ++y)
            for (int x = 0; x < got.width(); ++x) difference += channelDifference(got.pixel(x, y), want.pixel(x, y));
          const double mean = double(difference) / (got.width() * got.height());
          QVERIFY2(mean < 8, qPrintable(where + QStringLiteral(" differs by %1 on average").arg(mean)));
        }
      }

    // Shuffled and turned, every cell still shows its piece flat and whole.
    if (!flat) return;
    boxes.answer(platform::vbYes);
    f.GStart->trigger();
    const QImage drawing = deviceDrawing(f.Picture1);
    const QRect covered = platform::toDevice(f.Picture2->geometry(), scale);
    for (int row = 1; row <= yn; ++row)
      for (int col = 1; col <= xn; ++col) {
        const QRect cell = platform::toDevice(
            QRect((col - 1) * v.PieceWidth, (row - 1) * v.PieceHeight, v.PieceWidth, v.PieceHeight), scale);
        if (cell.intersects(covered)) continue;
        const QRgb colour = pieceColour(f.state().Map[col][row]);
        for (int y = cell.top(); y <= cell.bottom(); y += 2)
          for (int x = cell.left(); x <= cell.right(); x += 2)
            QVERIFY2(
                drawing.pixel(x, y) == colour,
                qPrintable(
                    QStringLiteral("cell (%1, %2) shows another colour at %3, %4").arg(col).arg(row).arg(x).arg(y)));
      }
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  HiDpiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
