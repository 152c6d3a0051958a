// Drawing the board fast without changing what it shows: the reversed rectangle
// row by row, a shuffle that changes only the grids and a start that draws every
// cell once, and picture areas that collect many drawn rectangles and repaint
// exactly their union.
#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "core/PieceDrawing.h"
#include "platform/PictureBox.h"
#include "shell/Form1.h"
#include "shell/Form2.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QPaintEvent>
#include <QRadioButton>
#include <QScreen>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <random>

using namespace quavinto;
using platform::PictureBox;

namespace {

// Every pixel different, so a pixel from the wrong place cannot match by chance.
QImage pattern(int width, int height, int salt = 0) {
  QImage image(width, height, platform::kBoardFormat);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb((x * 7 + salt) & 0xFF, (y * 13 + salt) & 0xFF, (x * 3 + y * 5 + salt / 3) & 0xFF));
  return image;
}

// Records the union of the regions a widget was asked to paint.
class PaintRecorder : public QObject {
public:
  explicit PaintRecorder(QWidget* target) { target->installEventFilter(this); }
  QRegion painted;

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
};

qint64 areaOf(const QRegion& region) {
  qint64 area = 0;
  for (const QRect& r : region) area += qint64(r.width()) * r.height();
  return area;
}

}  // namespace

class BoardDrawingTest : public QObject {
  Q_OBJECT

private:
  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;
  std::unique_ptr<Form1> form_;

  GameState& g() { return form_->state(); }
  MainVars& v() { return form_->vars(); }

  void openWindow(int xn, int yn) {
    form_ = std::make_unique<Form1>();
    g().Xn = int16_t(xn);
    g().Yn = int16_t(yn);
    form_->ResetView();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

private slots:
  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
  }

  void cleanup() {
    form_.reset();
    boxes_.reset();
    settings_.reset();
  }

  void reverseRectTurnsExactlyItsRectangle_data() {
    QTest::addColumn<QRect>("rect");
    // The images are 40 x 30.
    QTest::newRow("one pixel") << QRect(5, 5, 1, 1);
    QTest::newRow("one row") << QRect(3, 7, 17, 1);
    QTest::newRow("one column") << QRect(9, 2, 1, 13);
    QTest::newRow("shorter than the rows fetched ahead") << QRect(1, 1, 9, 3);
    QTest::newRow("odd width, many rows") << QRect(2, 3, 13, 21);
    QTest::newRow("touching the far corner") << QRect(27, 11, 13, 19);
    QTest::newRow("whole image") << QRect(0, 0, 40, 30);
  }

  void reverseRectTurnsExactlyItsRectangle() {
    QFETCH(QRect, rect);
    const QImage source = pattern(40, 30);
    const QImage before = pattern(40, 30, 101);
    QImage target = before;
    QVERIFY(reverseRect(target, source, rect.x(), rect.y(), rect.width(), rect.height()));
    QCOMPARE(target.copy(rect), source.copy(rect).mirrored(true, true));
    // Nothing outside the rectangle changes.
    QImage outside = target;
    QImage outsideBefore = before;
    for (QImage* image : {&outside, &outsideBefore})
      for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) image->setPixel(x, y, 0);
    QCOMPARE(outside, outsideBefore);
  }

  void reverseRectRefusesRectanglesReachingOut_data() {
    QTest::addColumn<QRect>("rect");
    QTest::newRow("left of the image") << QRect(-1, 0, 5, 5);
    QTest::newRow("above the image") << QRect(0, -2, 5, 5);
    QTest::newRow("past the right edge") << QRect(36, 0, 5, 5);
    QTest::newRow("past the bottom edge") << QRect(0, 26, 5, 5);
    QTest::newRow("empty") << QRect(3, 3, 0, 4);
  }

  void reverseRectRefusesRectanglesReachingOut() {
    QFETCH(QRect, rect);
    const QImage source = pattern(40, 30);
    const QImage before = pattern(40, 30, 55);
    QImage target = before;
    QVERIFY(!reverseRect(target, source, rect.x(), rect.y(), rect.width(), rect.height()));
    QCOMPARE(target, before);
  }

  // A new grid that crops less of the picture than the old one made the last
  // column and row of reversed pieces fall outside the reversed image. Played
  // as the player does: a grid chosen in the settings dialog, or a new picture,
  // then a game started.
  void reversedPiecesRightAfterEveryLayout_data() {
    QTest::addColumn<QSize>("picture");  // empty: the built-in picture
    QTest::addColumn<int>("fromGrid");
    QTest::addColumn<int>("toPreset");   // 0 5x5, 1 8x8, 2 10x10
    QTest::newRow("384x256 picture 5x5 to 8x8") << QSize(384, 256) << 5 << 1;
    QTest::newRow("built-in 10x10 to 8x8") << QSize() << 10 << 1;
    QTest::newRow("photo 5x5 to 8x8") << QSize(1500, 1000) << 5 << 1;
    QTest::newRow("odd picture 8x8 to 5x5") << QSize(397, 263) << 8 << 0;
  }

  void reversedPiecesRightAfterEveryLayout() {
    QFETCH(QSize, picture);
    QFETCH(int, fromGrid);
    QFETCH(int, toPreset);
    openWindow(fromGrid, fromGrid);
    QTemporaryDir dir;
    if (picture.isValid()) {
      const QString path = dir.filePath(QStringLiteral("photo.bmp"));
      QVERIFY(pattern(picture.width(), picture.height()).save(path, "BMP"));
      testsupport::ScriptedFileDialog dialog({path});
      form_->LoadPictureEx->trigger();
      QCOMPARE(form_->vars().PictureFile, path);
    }
    // One game on the first grid, so the reversed image is built for it.
    boxes_->answer(platform::vbNo);
    form_->GStart->trigger();
    QCOMPARE(testsupport::windowBoardProblem(*form_), QString());
    QTimer::singleShot(0, [toPreset] {
      auto* dialog = qobject_cast<Form2*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      dialog->Option1[toPreset]->click();
      dialog->Command1[0]->click();
    });
    form_->SetData1->trigger();
    QCOMPARE(int(g().Xn), toPreset == 0 ? 5 : 8);
    QCOMPARE(testsupport::windowBoardProblem(*form_), QString());
    // Every piece reversed, so every cell is copied from the reversed image.
    boxes_->answer(platform::vbYes);
    form_->GStart->trigger();
    QCOMPARE(g().GameRunning, int16_t(1));
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col) g().RMap[col][row] = 1;
    drawAllCells(*form_);
    QCOMPARE(testsupport::checkBoard(form_->Picture1->retained(), form_->Picture1->picture(), g(), v()), QString());
  }

  // The same after a game read onto a grid that crops less of the picture.
  void reversedPiecesRightAfterAGameRead() {
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("photo.bmp"));
    QVERIFY(pattern(384, 256).save(picture, "BMP"));
    const QString game = dir.filePath(QStringLiteral("game.QVD"));
    openWindow(8, 8);
    {
      testsupport::ScriptedFileDialog files({picture, game});
      form_->LoadPictureEx->trigger();
      boxes_->answer(platform::vbYes);
      form_->GStart->trigger();
      form_->SaveData->trigger();
      QVERIFY(QFile::exists(game));
    }
    openWindow(5, 5);
    testsupport::ScriptedFileDialog files({picture, game});
    form_->LoadPictureEx->trigger();
    QCOMPARE(form_->Picture1->size(), QSize(380, 255));
    boxes_->answer(platform::vbYes);
    form_->ReadData->trigger();
    QCOMPARE(g().Xn, int16_t(8));
    QCOMPARE(g().GameRunning, int16_t(1));
    QCOMPARE(testsupport::windowBoardProblem(*form_), QString());
  }

  // Before any game a piece turned on the floating piece shows this picture's
  // piece reversed, not what an earlier picture left in the reversed image.
  void turnBeforeAnyStartShowsThisPicture() {
    openWindow(4, 4);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.bmp"));
    QVERIFY(pattern(300, 200, 77).save(path, "BMP"));
    testsupport::ScriptedFileDialog dialog({path});
    form_->LoadPictureEx->trigger();
    QCOMPARE(form_->Picture2->pos(), QPoint(0, 0));
    QTest::mouseClick(form_->Picture2, Qt::RightButton, {}, QPoint(3, 3));
    QCOMPARE(int(g().RMap[1][1]), 1);
    QCOMPARE(testsupport::windowBoardProblem(*form_), QString());
  }

  void reversedImageSmallerThanBoardIsReported() {
    openWindow(5, 5);
    form_->Picture4->resize(form_->Picture1->width() - 1, form_->Picture1->height());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^reversed image")));
    QVERIFY(!DrawReverse(*form_));
    QVERIFY(testsupport::windowBoardProblem(*form_).contains(QStringLiteral("does not cover")));
  }

  void shuffleStepChangesOnlyTheGrids() {
    openWindow(4, 3);
    const QImage board = form_->Picture1->retained().copy();
    const Grid map = g().Map;
    // Step 6 with u = 0.1 exchanges cell 6 (col 2, row 2) with cell 2 (col 2, row 1).
    shuffleStep(*form_, 6, 0.1);
    QCOMPARE(g().Map[2][2], map[2][1]);
    QCOMPARE(g().Map[2][1], map[2][2]);
    QCOMPARE(int(g().RMap[2][2]), 1);
    QCOMPARE(int(g().RMap[2][1]), 1);
    // An odd step clears the flags of both its cells.
    shuffleStep(*form_, 7, 0.99);
    QCOMPARE(g().Map[3][2], map[4][3]);
    QCOMPARE(g().Map[4][3], map[3][2]);
    QCOMPARE(int(g().RMap[3][2]), 0);
    QCOMPARE(int(g().RMap[4][3]), 0);
    QCOMPARE(form_->Picture1->retained(), board);
  }

  void drawAllCellsShowsTheGrids() {
    openWindow(5, 4);
    DrawReverse(*form_);
    std::mt19937 random(7);
    std::vector<int16_t> pieces(20);
    for (int k = 0; k < 20; ++k) pieces[size_t(k)] = int16_t(k + 1);
    std::shuffle(pieces.begin(), pieces.end(), random);
    for (int row = 1; row <= 4; ++row)
      for (int col = 1; col <= 5; ++col) {
        g().Map[col][row] = pieces[size_t((row - 1) * 5 + col - 1)];
        g().RMap[col][row] = int16_t((col + 2 * row) % 3 == 0);
      }
    drawAllCells(*form_);
    QCOMPARE(testsupport::checkBoard(form_->Picture1->retained(), form_->Picture1->picture(), g(), v()), QString());
  }

  // Drawing every cell at once must leave exactly what one piece copy per cell
  // leaves, also where a reversed piece reaches past a too small reversed image
  // and only its part inside can be copied.
  void drawAllCellsMatchesOneCopyPerCell_data() {
    QTest::addColumn<int>("narrowerBy");
    QTest::addColumn<int>("shorterBy");
    QTest::newRow("reversed image covers the board") << 0 << 0;
    QTest::newRow("reversed image half a piece narrower") << 1 << 0;
    QTest::newRow("reversed image half a piece shorter") << 0 << 1;
  }

  void drawAllCellsMatchesOneCopyPerCell() {
    QFETCH(int, narrowerBy);
    QFETCH(int, shorterBy);
    openWindow(6, 5);
    DrawReverse(*form_);
    const int cutX = narrowerBy * v().PieceWidth / 2, cutY = shorterBy * v().PieceHeight / 2;
    if (cutX || cutY) {
      // Measured from the grid's edge, which need not be the picture's.
      const QSize shortOf(narrowerBy ? 6 * v().PieceWidth - cutX : form_->Picture4->width(),
                          shorterBy ? 5 * v().PieceHeight - cutY : form_->Picture4->height());
      form_->Picture4->resize(shortOf);
      QCOMPARE(form_->Picture4->retained().size(), shortOf);
    }
    std::mt19937 random(5);
    std::vector<int16_t> pieces(30);
    for (int k = 0; k < 30; ++k) pieces[size_t(k)] = int16_t(k + 1);
    std::shuffle(pieces.begin(), pieces.end(), random);
    for (int row = 1; row <= 5; ++row)
      for (int col = 1; col <= 6; ++col) {
        const int k = pieces[size_t((row - 1) * 6 + col - 1)];
        g().Map[col][row] = int16_t(k);
        // Every piece whose home is in the last column or row is reversed, so
        // clipped copies certainly happen when the reversed image falls short.
        g().RMap[col][row] = int16_t((k - 1) % 6 == 5 || (k - 1) / 6 == 4 || (col + row) % 2 == 0);
      }
    QImage& board = form_->Picture1->retained();
    board.fill(qRgb(9, 8, 7));
    for (int row = 1; row <= 5; ++row)
      for (int col = 1; col <= 6; ++col) {
        const int x = (col - 1) * v().PieceWidth, y = (row - 1) * v().PieceHeight;
        copyPiece(*form_, form_->boardDc(), x, y, x, y, g().RMap[col][row]);
      }
    const QImage expected = board.copy();
    board.fill(qRgb(9, 8, 7));
    drawAllCells(*form_);
    QCOMPARE(board, expected);
    if (!cutX && !cutY)
      QCOMPARE(testsupport::checkBoard(board, form_->Picture1->picture(), g(), v()), QString());
  }

  void startDrawsEveryCellWhateverTheBoardShowed_data() {
    QTest::addColumn<int>("xn");
    QTest::addColumn<int>("yn");
    QTest::newRow("30x30") << 30 << 30;
    QTest::newRow("7x5 not dividing the picture") << 7 << 5;
    QTest::newRow("1x1") << 1 << 1;
  }

  void startDrawsEveryCellWhateverTheBoardShowed() {
    QFETCH(int, xn);
    QFETCH(int, yn);
    openWindow(xn, yn);
    // A drawing that matches no piece anywhere: every cell must be drawn anew.
    form_->Picture1->retained().fill(qRgb(1, 2, 3));
    testsupport::FakeRandom random({0.93, 0.12, 0.5, 0.77, 0.01, 0.64, 0.38});
    boxes_->answer(platform::vbNo);
    form_->GStart_Click();
    QCOMPARE(testsupport::checkBoard(form_->Picture1->retained(), form_->Picture1->picture(), g(), v()), QString());
    // The floating piece shows the first cell's piece.
    const QImage first = form_->Picture1->retained().copy(0, 0, v().PieceWidth, v().PieceHeight);
    QCOMPARE(form_->Picture2->retained().copy(0, 0, v().PieceWidth, v().PieceHeight), first);
  }

  // Every layout builds the reversed image, so a start on an unchanged board
  // leaves it alone; anything written to it or to the picture since makes the
  // start build it again, and every reversed piece comes out right.
  void startRebuildsTheReversedImageOnlyWhenStale_data() {
    QTest::addColumn<int>("change");  // 0 nothing, 1 reversed image written over, 2 picture written over
    QTest::newRow("unchanged board") << 0;
    QTest::newRow("reversed image written over") << 1;
    QTest::newRow("picture written over") << 2;
  }

  void startRebuildsTheReversedImageOnlyWhenStale() {
    QFETCH(int, change);
    openWindow(6, 4);
    QImage& reversed = form_->Picture4->retained();
    boxes_->answer(platform::vbNo);
    form_->GStart_Click();
    QCOMPARE(testsupport::windowBoardProblem(*form_), QString());
    if (change == 1) reversed.fill(qRgb(9, 9, 9));
    if (change == 2) form_->Picture1->pictureBitmap()->invertPixels();
    const qint64 before = reversed.cacheKey();
    boxes_->answer(platform::vbNo);
    form_->GStart_Click();
    if (change == 0)
      QCOMPARE(reversed.cacheKey(), before);
    else
      QVERIFY(reversed.cacheKey() != before);
    for (int row = 1; row <= g().Yn; ++row)
      for (int col = 1; col <= g().Xn; ++col) g().RMap[col][row] = 1;
    drawAllCells(*form_);
    QCOMPARE(testsupport::checkBoard(form_->Picture1->retained(), form_->Picture1->picture(), g(), v()), QString());
  }

  void startRepaintsTheWholeBoardOnce() {
    openWindow(6, 4);
    form_->refreshBoard();
    QTest::qWait(20);
    PaintRecorder recorder(form_->Picture1);
    boxes_->answer(platform::vbNo);
    form_->GStart_Click();
    QTest::qWait(20);
    QVERIFY(recorder.painted.contains(form_->Picture1->rect()));
  }

  // While the start's question is up (its box runs the window's events), the
  // screen behind it shows the shuffled board, not the board as it was before
  // the start: every cell the start drew reaches the screen.
  void screenShowsTheShuffledBoardBehindTheQuestion() {
    openWindow(6, 4);
    form_->refreshBoard();
    QTest::qWait(20);
    QImage shown;
    boxes_->onShow = [&](const testsupport::ShownBox&) {
      QCoreApplication::processEvents();
      const QPoint at = form_->Picture1->mapTo(form_.get(), QPoint(0, 0));
      const QSize size = form_->Picture1->size();
      shown = form_->screen()->grabWindow(form_->winId(), at.x(), at.y(), size.width(), size.height()).toImage();
    };
    boxes_->answer(platform::vbNo);
    form_->GStart_Click();
    boxes_->onShow = nullptr;
    QCOMPARE(shown.size(), form_->Picture1->size());
    QCOMPARE(shown.convertToFormat(platform::kBoardFormat), form_->Picture1->retained());
    // The start did shuffle: the board is not the intact picture.
    QVERIFY(form_->Picture1->retained() != form_->Picture1->picture());
  }

  // Drawing every cell marks the whole grid for the next refresh, so the screen
  // follows the drawing even where nothing else repaints the board.
  void drawingEveryCellReachesTheScreen() {
    openWindow(6, 4);
    // Whatever laying out the board left to repaint is on the screen first.
    form_->refreshBoard();
    QTest::qWait(20);
    PaintRecorder recorder(form_->Picture1);
    for (int row = 1; row <= 4; ++row)
      for (int col = 1; col <= 6; ++col) {
        g().Map[col][row] = int16_t(homePiece(6, 7 - col, 5 - row));
        g().RMap[col][row] = int16_t((col + row) % 2);
      }
    drawAllCells(*form_);
    form_->refreshBoard();
    QTest::qWait(20);
    QVERIFY(recorder.painted.contains(QRect(0, 0, 6 * v().PieceWidth, 4 * v().PieceHeight)));
  }

  void manyDrawnRectanglesRepaintExactlyTheirUnion_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("a few") << 12;
    QTest::newRow("more than are kept apart") << 9000;
  }

  void manyDrawnRectanglesRepaintExactlyTheirUnion() {
    QFETCH(int, count);
    PictureBox box;
    box.setAutoSize(true);
    box.setPicture(pattern(240, 180));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::qWait(20);
    PaintRecorder recorder(&box);

    QImage ink = pattern(8, 8, 200);
    platform::DeviceContext inkDc(&ink);
    std::mt19937 random(11);
    QRegion drawn;
    QImage expected = box.retained().copy();
    for (int i = 0; i < count; ++i) {
      // Confined to the left part, in no particular order, with repeats.
      const int x = int(random() % 110), y = int(random() % 170);
      const int w = 1 + int(random() % 8), h = 1 + int(random() % 8);
      QVERIFY(platform::BitBlt(box.hdc(), x, y, w, h, &inkDc, 0, 0, platform::SRCCOPY));
      drawn += QRect(x, y, w, h);
      platform::copyPixels(expected, x, y, w, h, ink, 0, 0);
    }
    box.refresh();
    QTRY_VERIFY(!recorder.painted.isEmpty());
    QTest::qWait(20);
    QCOMPARE(areaOf(recorder.painted.intersected(drawn)), areaOf(drawn));
    QCOMPARE(areaOf(recorder.painted), areaOf(drawn));
    QCOMPARE(box.retained(), expected);
  }

  void paintShowsTheDrawingExactly() {
    PictureBox box;
    box.setBackground(Qt::red);
    box.resize(90, 70);
    box.setPicture(pattern(60, 50));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QImage shown = box.grab().toImage().convertToFormat(platform::kBoardFormat);
    QCOMPARE(shown.size(), QSize(90, 70));
    QCOMPARE(shown.copy(0, 0, 60, 50), pattern(60, 50));
    // Beyond the picture the area shows its background.
    QCOMPARE(shown.pixel(75, 10), qRgb(255, 0, 0));
    QCOMPARE(shown.pixel(10, 60), qRgb(255, 0, 0));
    QCOMPARE(shown, box.retained());
  }
};

QTEST_MAIN(BoardDrawingTest)
#include "tst_boarddrawing.moc"
