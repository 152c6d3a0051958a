// The board at 200 % screen scale: pieces stay crisp (every picture pixel
// becomes a solid 2 x 2 block, nothing smoothed) and the mouse still hits the
// right cells.
#include "shell/Form1.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QtTest>

using namespace quavinto;

class HiDpiTest : public QObject {
  Q_OBJECT

private slots:
  void crispPiecesAndExactHits() {
    testsupport::PrivateSettings settings;
    testsupport::ScriptedBoxes boxes;
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(f.devicePixelRatio(), 2.0);
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

    // On screen each board pixel is a 2 x 2 block of exactly its colour.
    const QImage shown = f.Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), f.Picture1->size() * 2);
    const QImage& board = f.Picture1->retained();
    // The floating piece and the keyboard focus outline of cell (1, 1) lie on top.
    const QRect covered = f.Picture2->geometry().united(QRect(0, 0, v.PieceWidth, v.PieceHeight));
    for (int y = 0; y < board.height(); y += 7)
      for (int x = 0; x < board.width(); x += 5) {
        if (covered.contains(x, y) || f.Picture2->geometry().contains(x, y)) continue;
        const QRgb want = board.pixel(x, y);
        for (int dy = 0; dy < 2; ++dy)
          for (int dx = 0; dx < 2; ++dx) QCOMPARE(shown.pixel(2 * x + dx, 2 * y + dy), want);
      }
  }
};

int main(int argc, char** argv) {
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  HiDpiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
