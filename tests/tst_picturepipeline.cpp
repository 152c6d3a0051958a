// The one way a picture reaches the board: decoded, fitted to the screen for
// the view setting asked for, and checked against the grid, with nothing of
// the window changed until the caller builds the board.
#include "pictures/BoardLayout.h"
#include "platform/PictureBox.h"
#include "platform/Screen.h"
#include "shell/Form1.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace quavinto;

class PicturePipelineTest : public QObject {
  Q_OBJECT
  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;
  QTemporaryDir dir_;

  QString savePicture(const QString& name, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    const QString path = dir_.filePath(name);
    return image.save(path) ? path : QString();
  }

 private slots:
  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
    platform::setScreenOverride(0, 0, QRect(0, 0, 1366, 768));
  }
  void cleanup() {
    platform::setScreenOverride(0, 0, QRect());
    boxes_.reset();
    settings_.reset();
  }

  // A big photo is fitted for the view setting the caller names, whatever
  // the window shows now; the window, its board and its setting stay as they
  // were, and no message is shown.
  void fitsForTheViewSettingAskedFor() {
    Form1 f;
    const QString photo = savePicture(QStringLiteral("photo.png"), 1600, 1200);
    QVERIFY(!photo.isEmpty());
    const QImage boardBefore = f.Picture1->picture();
    const int16_t viewBefore = f.state().HyoujiFlag;

    const BoardPicture hidden = prepareBoardPicture(f, photo, 0, 4, 3);
    const BoardPicture shown = prepareBoardPicture(f, photo, 1, 4, 3);
    QCOMPARE(hidden.outcome, PictureOutcome::Ready);
    QCOMPARE(shown.outcome, PictureOutcome::Ready);
    const QPoint origin = f.Picture1->pos();
    QCOMPARE(hidden.image.size(), QSize(1600, 1200).scaled(largestBoard(origin, 0), Qt::KeepAspectRatio));
    QCOMPARE(shown.image.size(), QSize(1600, 1200).scaled(largestBoard(origin, 1), Qt::KeepAspectRatio));
    QVERIFY(shown.image.width() < hidden.image.width());

    QCOMPARE(f.state().HyoujiFlag, viewBefore);
    QCOMPARE(f.Picture1->picture(), boardBefore);
    QVERIFY(boxes_->shown.isEmpty());
  }

  // What can go wrong, told apart so each path can word its own message: a
  // file that is no picture, a picture too small for the grid, and an empty
  // name that stands for the default picture.
  void refusalsAndTheDefaultPicture() {
    Form1 f;
    const QString text = dir_.filePath(QStringLiteral("notes.png"));
    {
      QFile file(text);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("not a picture at all\n");
    }
    const BoardPicture unusable = prepareBoardPicture(f, text, 0, 2, 2);
    QCOMPARE(unusable.outcome, PictureOutcome::Unusable);
    QVERIFY(unusable.problem != decode::PictureProblem::None);
    QVERIFY(!unusable.why.isEmpty());

    const QString small = savePicture(QStringLiteral("small.png"), 40, 30);
    const BoardPicture tooSmall = prepareBoardPicture(f, small, 0, 30, 30);
    QCOMPARE(tooSmall.outcome, PictureOutcome::GridTooSmall);
    QCOMPARE(tooSmall.image.size(), QSize(40, 30));  // decoded: its size goes into the message
    QCOMPARE(prepareBoardPicture(f, small, 0, 20, 15).outcome, PictureOutcome::Ready);
    QCOMPARE(prepareBoardPicture(f, small, 0, 21, 15).outcome, PictureOutcome::GridTooSmall);

    const BoardPicture standard = prepareBoardPicture(f, QStringLiteral("  "), 0, 4, 3);
    QCOMPARE(standard.outcome, PictureOutcome::Ready);
    QCOMPARE(standard.image.size(), f.Image2.size());
    QVERIFY(boxes_->shown.isEmpty());
  }
};

QTEST_MAIN(PicturePipelineTest)
#include "tst_picturepipeline.moc"
