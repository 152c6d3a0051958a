// Choosing a picture: the picture dialog as the program sets it up, the kind
// of file by its last three letters, the stopped game, files dropped on the
// window, and pictures too small or too big for the board.
#include "core/GameFlow.h"
#include "pictures/PictureLoading.h"
#include "platform/FileDialog.h"
#include "platform/Screen.h"
#include "shell/Form1.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCoreApplication>
#include <QMimeData>
#include <QtTest>

using namespace quavinto;

class PictureCommandsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;
  QTemporaryDir dir_;
  std::unique_ptr<testsupport::ScriptedFileDialog> dialog_;

  QString makePicture(const QString& name, int w, int h, const char* format = "BMP") {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x * y) % 256));
    const QString path = dir_.filePath(name);
    if (!image.save(path, format)) return QString();
    return path;
  }

  void choose(Form1& f, std::optional<QString> path) {
    dialog_->script = {path.value_or(QString())};
    f.LoadPictureEx->trigger();
  }

  void startPlaying(Form1& f) {
    boxes_->answer(platform::vbYes);
    f.GStart->trigger();
  }

private slots:
  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
    dialog_ = std::make_unique<testsupport::ScriptedFileDialog>();
  }
  void cleanup() {
    dialog_.reset();
    boxes_.reset();
    settings_.reset();
  }

  void dialogSetUp() {
    Form1 f;
    choose(f, std::nullopt);
    QCOMPARE(dialog_->shown.size(), size_t(1));
    const platform::CommonDialog& d = dialog_->shown.front();
    QCOMPARE(d.filter, QStringLiteral(u"BMP形式(*.BMP)|*.BMP|GIF形式(*.GIF)|*.GIF|JPEG形式(*.JPG)|*.JPG|すべて(*.*)|*.*"));
    QCOMPARE(d.filterIndex, 1);
    QCOMPARE(d.initDir, QCoreApplication::applicationDirPath());
    QCOMPARE(d.flags, 0x1004);
    QCOMPARE(d.defaultExt, QStringLiteral(".BMP"));
    QVERIFY(d.cancelError);
    // A chosen JPEG preselects its filter and folder next time.
    const QString jpeg = makePicture(QStringLiteral("photo.jpg"), 200, 100, "JPG");
    choose(f, jpeg);
    QCOMPARE(f.state().PictureType, int16_t(3));
    choose(f, std::nullopt);
    QCOMPARE(dialog_->shown.back().filterIndex, 3);
    QCOMPARE(dialog_->shown.back().initDir, dir_.path());
    QCOMPARE(dialog_->shown.back().fileName, jpeg);
  }

  void titleLeftFromGameFileDialog() {
    Form1 f;
    startPlaying(f);
    dialog_->script = {QString()};
    f.SaveData->trigger();  // cancelled
    choose(f, std::nullopt);
    QCOMPARE(dialog_->shown.back().effectiveTitle(), QStringLiteral(u"ゲームの状態を保存"));
  }

  void cancelStopsTheGame() {
    Form1 f;
    startPlaying(f);
    const Grid map = f.state().Map;
    choose(f, std::nullopt);
    QCOMPARE(f.state().GameRunning, int16_t(0));
    QVERIFY(f.GStart->isEnabled());
    QVERIFY(!f.GStop->isEnabled());
    QVERIFY(f.state().Map == map);
    QVERIFY(f.vars().PictureFile.isEmpty());
  }

  void kindByLastThreeLetters_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::newRow(".JPG") << "cat.JPG" << 3;
    QTest::newRow(".jpg") << "cat.jpg" << 3;
    QTest::newRow(".BMP") << "cat.BMP" << 1;
    QTest::newRow(".gif") << "cat.gif" << 2;
    QTest::newRow(".Jpg") << "cat.Jpg" << 0;
    QTest::newRow(".jpeg") << "cat.jpeg" << 0;
    QTest::newRow(".png") << "cat.png" << 0;
  }

  void kindByLastThreeLetters() {
    QFETCH(QString, name);
    QFETCH(int, type);
    QCOMPARE(int(pictureTypeOf(name)), type);
    Form1 f;
    const QString path = makePicture(name, 120, 90, "BMP");
    QVERIFY(!path.isEmpty());
    choose(f, path);
    QCOMPARE(f.vars().PictureFile, path);
    QCOMPARE(int(f.state().PictureType), type == 0 ? 1 : type);
    QCOMPARE(f.state().PictureWidth, int16_t(type == 0 ? 384 : 120));
    QVERIFY(boxes_->shown.isEmpty());
  }

  void acceptedPictureBuildsBoard() {
    Form1 f;
    f.state().ResumeFlag = 1;
    const QString path = makePicture(QStringLiteral("board.bmp"), 400, 300);
    choose(f, path);
    QCOMPARE(f.state().ResumeFlag, int16_t(0));
    QCOMPARE(f.vars().PieceWidth, 80);
    QCOMPARE(f.vars().PieceHeight, 60);
    QCOMPARE(f.Picture1->size(), QSize(400, 300));
    QCOMPARE(f.Picture3->x(), 425);
    QCOMPARE(f.Picture2->pos(), QPoint(0, 0));
    QCOMPARE(f.Picture1->retained(), f.Picture1->picture());
    QCOMPARE(f.Picture2->retained().copy(0, 0, 80, 60), f.Picture1->picture().copy(0, 0, 80, 60));
  }

  void undecodablePictureChangesNothingButPath() {
    Form1 f;
    const QString path = dir_.filePath(QStringLiteral("broken.bmp"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("BM this is no picture");
    file.close();
    const QImage before = f.Picture1->retained();
    choose(f, path);
    QCOMPARE(f.vars().PictureFile, path);
    QCOMPARE(f.state().PictureType, int16_t(1));
    QCOMPARE(f.Picture1->retained(), before);
    QVERIFY(boxes_->shown.isEmpty());
  }

  void pictureTooSmallForGridIsRefused() {
    Form1 f;
    f.state().Xn = 10;
    f.state().Yn = 10;
    f.ResetView();
    const QString path = makePicture(QStringLiteral("tiny.bmp"), 8, 40);
    choose(f, path);
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(boxes_->shown.first().style, 48);
    QCOMPARE(f.state().PictureWidth, int16_t(384));
    QCOMPARE(f.vars().PieceWidth, 38);
    QCOMPARE(f.Picture1->size(), QSize(380, 250));
  }

  void bigPictureScaledToFit() {
    Form1 f;
    platform::setScreenOverride(0, 0, QRect(0, 0, 1024, 768));
    const QString path = makePicture(QStringLiteral("photo.bmp"), 3000, 2000);
    choose(f, path);
    platform::setScreenOverride(0, 0, QRect());
    const QSize board(f.state().PictureWidth, f.state().PictureHeight);
    QVERIFY(board.width() <= 1024 - 4 * 14 - 16);
    QVERIFY(board.height() < 768);
    // Proportions kept within a pixel.
    QVERIFY(std::abs(board.width() * 2000 - board.height() * 3000) <= 3000);
    QVERIFY(f.frameGeometry().width() <= 1024);
    QVERIFY(f.frameGeometry().height() <= 768);
  }

  void droppedFileLoadsLikeChosen() {
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    startPlaying(f);
    const QString path = makePicture(QStringLiteral("dropped.bmp"), 300, 200);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&f, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&f, &drop);
    QCOMPARE(f.state().GameRunning, int16_t(0));
    QCOMPARE(f.vars().PictureFile, path);
    QCOMPARE(f.state().PictureWidth, int16_t(300));
    QVERIFY(f.GStart->isEnabled());
  }
};

QTEST_MAIN(PictureCommandsTest)
#include "tst_picturecommands.moc"
