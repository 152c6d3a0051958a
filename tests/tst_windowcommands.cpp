// The main window's command plumbing: what is held back while a game is being
// prepared, and when the shown window is arranged around its board.
#include "core/GameFlow.h"
#include "shell/Form1.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace quavinto;

namespace {

// A window that runs `whilePreparing` at the first yield of a game start.
class InterferedForm : public Form1 {
public:
  std::function<void()> whilePreparing;
  void processEvents() override {
    if (whilePreparing && preparing()) {
      auto once = std::move(whilePreparing);
      whilePreparing = nullptr;
      once();
    }
    Form1::processEvents();
  }
};

}  // namespace

class WindowCommandsTest : public QObject {
  Q_OBJECT
  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;
  QTemporaryDir dir_;

 private slots:
  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
  }
  void cleanup() {
    boxes_.reset();
    settings_.reset();
  }

  // While the shuffle runs, every command and drop that would rebuild the
  // board or end the program does nothing at all; the scale commands, which
  // only resize the view, still work.
  void commandsThatRebuildTheBoardWaitWhileAGameIsPrepared() {
    const QString picture = dir_.filePath(QStringLiteral("other.png"));
    QImage image(120, 90, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(picture));

    InterferedForm f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    int endings = 0;
    f.endProgram = [&] { ++endings; };
    testsupport::ScriptedFileDialog files({picture, picture, picture});
    bool dropAccepted = true;
    int16_t zoomDuring = 0;
    f.whilePreparing = [&] {
      f.LoadPictureEx->trigger();
      f.ReadData->trigger();
      f.SetData1->trigger();
      f.Fin->trigger();
      QMimeData mime;
      mime.setUrls({QUrl::fromLocalFile(picture)});
      QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
      QCoreApplication::sendEvent(&f, &enter);
      QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
      QCoreApplication::sendEvent(&f, &drop);
      dropAccepted = enter.isAccepted() || drop.isAccepted();
      f.XX4->trigger();
      zoomDuring = f.state().ZoomFlag;
    };
    boxes_->answer(platform::vbNo);
    f.GStart->trigger();

    QVERIFY(!f.whilePreparing);  // the interference ran
    QCOMPARE(files.shown.size(), size_t(0));
    QCOMPARE(boxes_->shown.size(), 1);  // the start question only
    QCOMPARE(endings, 0);
    QVERIFY(!dropAccepted);
    QVERIFY(f.vars().PictureFile.isEmpty());
    QCOMPARE(zoomDuring, int16_t(4));
    QVERIFY(!f.preparing());

    // Once prepared, the same commands run again.
    f.LoadPictureEx->trigger();
    QCOMPARE(files.shown.size(), size_t(1));
    QCOMPARE(f.vars().PictureFile, picture);
  }

  // Once shown, the window is arranged again with its frame known: its outer
  // size is the one the board asks for. That happens once; a size the player
  // gives the window afterwards stays.
  void shownWindowIsArrangedOnceAroundItsFrame() {
    Form1 f;
    f.ArrangeWindow();
    const QSize outer = f.frameGeometry().size();  // no frame before it is shown
    f.show();
    f.resize(f.size() + QSize(60, 40));
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QTRY_COMPARE_WITH_TIMEOUT(f.frameGeometry().size(), outer, 3000);

    const QSize players = f.size() + QSize(80, 50);
    f.resize(players);
    QTest::qWait(1500);
    QCOMPARE(f.size(), players);
  }
};

QTEST_MAIN(WindowCommandsTest)
#include "tst_windowcommands.moc"
