// The smaller windows at 200 % screen scale: the diagnostics text and the
// program's icon are drawn at the screen's own resolution (not enlarged from
// half-size pixels), and the help window fits on the scaled-down screen.
#include "core/GameState.h"
#include "shell/Form2.h"
#include "shell/Form3.h"
#include "shell/Form4.h"
#include "shell/HelpWindow.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QtTest>

using namespace quavinto;

namespace {

// What `label` shows on the screen, in device pixels.
QImage shownPixels(QWidget* window, const QLabel* label) {
  const QImage whole = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const qreal ratio = window->devicePixelRatioF();
  const QRect r = label->geometry();
  QImage part = whole.copy(QRect(r.topLeft() * ratio, r.size() * ratio));
  part.setDevicePixelRatio(1);
  return part;
}

// The icon artwork made for `pixels` pixels, laid over `background`.
QImage iconArtwork(int pixels, const QColor& background) {
  QImage art(QStringLiteral(":/icon%1.png").arg(pixels));
  QImage over(art.size(), QImage::Format_RGB32);
  over.fill(background);
  QPainter p(&over);
  p.drawImage(0, 0, art);
  return over;
}

}  // namespace

class HiDpiWindowsTest : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() { QCOMPARE(qApp->devicePixelRatio(), 2.0); }

  // Nearest-pixel enlargement of half-size text turns every aligned 2 x 2
  // block into one colour; text drawn for the screen has finer edges.
  void diagnosticsTextIsDrawnAtScreenResolution() {
    GameState gs = testsupport::solvedState(5, 5);
    Form4 window(gs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), window.size() * 2);
    int inked = 0, finer = 0;
    for (int y = 0; y + 1 < shown.height(); y += 2)
      for (int x = 0; x + 1 < shown.width(); x += 2) {
        const QRgb a = shown.pixel(x, y), b = shown.pixel(x + 1, y), c = shown.pixel(x, y + 1),
                   d = shown.pixel(x + 1, y + 1);
        if (qGray(a) + qGray(b) + qGray(c) + qGray(d) == 0) continue;
        ++inked;
        if (a != b || a != c || a != d) ++finer;
      }
    QVERIFY(inked > 500);
    QVERIFY2(finer * 4 > inked, qPrintable(QStringLiteral("%1 of %2 inked blocks finer than 2 x 2").arg(finer).arg(inked)));
  }

  void iconsAreTheArtworkForTheScreen() {
    GameState gs = testsupport::solvedState(5, 5);
    Form3* about = Form3::showAbout(gs, nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QCOMPARE(about->Image1->size(), QSize(32, 32));
    QCOMPARE(shownPixels(about, about->Image1), iconArtwork(64, QColor(192, 255, 255)));
    about->close();

    Form2 settings(gs);
    settings.show();
    QVERIFY(QTest::qWaitForWindowExposed(&settings));
    QCOMPARE(settings.Image1->size(), QSize(32, 32));
    QCOMPARE(shownPixels(&settings, settings.Image1),
             iconArtwork(64, settings.palette().color(QPalette::Window)));
  }

  // The offscreen screen is 800 x 600 device pixels: 400 x 300 at 200 %,
  // less than the help window's usual size.
  void helpWindowFitsTheScreen() {
    HelpWindow::setHelpDirOverride(QStringLiteral(QUAVINTO_SOURCE_DIR "/resources/help"));
    QWidget owner;
    HelpWindow* help = HelpWindow::showContents(&owner);
    QVERIFY(QTest::qWaitForWindowExposed(help));
    const QRect room = help->screen()->availableGeometry();
    QVERIFY(room.width() < 780 && room.height() < 540);
    QVERIFY2(room.contains(help->frameGeometry()),
             qPrintable(QStringLiteral("window %1 x %2 at %3, %4")
                            .arg(help->width())
                            .arg(help->height())
                            .arg(help->x())
                            .arg(help->y())));
    delete help;
    HelpWindow::setHelpDirOverride(QString());
  }
};

int main(int argc, char** argv) {
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  HiDpiWindowsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi_windows.moc"
