// Files as a player meets them across whole journeys in the real window: a
// game saved in every state and read back in another run, a save that fails
// while leaving the program, a big picture and the view shown later, and a
// picture gone from disk after it was loaded; a file given to the program
// as the desktop's file manager gives it, and the command line that names it.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <unistd.h>

#include <functional>
#include <memory>

#include "persistence/GameFile.h"
#include "persistence/GameFileIo.h"
#include "persistence/KeptGame.h"
#include "pictures/BoardLayout.h"
#include "pictures/PictureLoading.h"
#include "platform/FileNames.h"
#include "platform/PictureBox.h"
#include "platform/Screen.h"
#include "platform/SettingsStore.h"
#include "shell/AppStart.h"
#include "shell/CommandLine.h"
#include "shell/Form2.h"
#include "support/PlayedWindow.h"

using namespace quavinto;

class FileJourneysTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PlayedWindow> win_;

  Form1& form() { return win_->form(); }

  static QString writePicture(const QString& path, int w, int h) {
    QImage picture(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * 3 + y) % 256));
    return picture.save(path) ? path : QString();
  }

  // Presses a cell and lets go on it: the floating piece is left over it.
  void pressCell(int col, int row) {
    const QPoint at = win_->cellCentre(col, row);
    QTest::mousePress(form().Picture1, Qt::LeftButton, {}, at);
    QTest::mouseRelease(form().Picture1, Qt::LeftButton, {}, at);
  }

  // The settings dialog, confirmed after `act` has set it as the player would.
  void confirmSettings(const std::function<void(Form2&)>& act) {
    QTimer::singleShot(0, [act] {
      auto* dialog = qobject_cast<Form2*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      act(*dialog);
      dialog->Command1[0]->click();
    });
    form().SetData1->trigger();
  }

  QAction* scaleItem(int16_t zoom) { return zoom == 1 ? form().XX1 : zoom == 2 ? form().XX2 : form().XX4; }

 private slots:
  void init() { win_ = std::make_unique<testsupport::PlayedWindow>(1000.0); }
  void cleanup() {
    win_.reset();
    platform::setScreenOverride(0, 0, QRect());
  }

  // A game saved with reversed pieces, the floating piece over some cell, and
  // the view at each scale, shown or hidden, comes back as it was in a window
  // whose own settings differ; saved again, the file carries the time on.
  void roundTripInEveryState_data() {
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("zoom");
    for (int view : {0, 1})
      for (int zoom : {1, 2, 4})
        QTest::newRow(qPrintable(QStringLiteral("view %1, scale %2").arg(view).arg(zoom))) << view << zoom;
  }
  void roundTripInEveryState() {
    QFETCH(int, view);
    QFETCH(int, zoom);
    win_->open(4, 3);
    GameState& g = win_->state();
    g.HyoujiFlag = int16_t(view);
    form().ResetView();
    if (view == 1) scaleItem(int16_t(zoom))->trigger();
    win_->start(true);
    QCOMPARE(g.GameRunning, int16_t(1));
    pressCell(3, 2);
    QTest::mouseClick(form().Picture1, Qt::RightButton, {}, win_->cellCentre(2, 3));
    QCOMPARE(testsupport::windowBoardProblem(form()), QString());
    const Grid map = g.Map, rmap = g.RMap;
    const QSize viewSize = form().Picture3->size();

    win_->clock().now = 1125.0;
    const QString file = win_->path(QStringLiteral(u"ゲーム の 保存.QVD"));
    win_->boxes().answer(platform::vbYes);  // create it
    win_->files().script = {file};
    form().SaveData->trigger();
    QVERIFY(QFile::exists(file));

    // Another run with other settings reads it back.
    win_->open(5, 5);
    GameState& h = win_->state();
    h.HyoujiFlag = int16_t(1 - view);
    form().ResetView();
    if (view == 1) scaleItem(int16_t(zoom))->trigger();
    win_->boxes().answer(platform::vbYes);
    win_->files().script = {file};
    form().ReadData->trigger();
    QCOMPARE(h.GameRunning, int16_t(1));
    QCOMPARE(h.Map, map);
    QCOMPARE(h.RMap, rmap);
    QCOMPARE(int(h.HyoujiFlag), view);
    QCOMPARE(form().Picture3->isVisible(), view == 1);
    if (view == 1) QCOMPARE(form().Picture3->size(), viewSize);
    QCOMPARE(testsupport::windowBoardProblem(form()), QString());
    QCOMPARE(testsupport::menuProblem(form()), QString());

    win_->clock().now = 1200.0;             // the read game resumed at 1125
    win_->boxes().answer(platform::vbYes);  // replace it
    win_->files().script = {file};
    form().SaveData->trigger();
    SavedGame again;
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QString why;
    QVERIFY2(parseGameFile(saved.readAll(), &again, &why), qPrintable(why));
    QCOMPARE(again.seconds, 125 + 75);
  }

  // The command line: one file, --help, --version; anything else refused.
  void readsTheCommandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");  // CommandLine::Action
    QTest::addColumn<QString>("file");
    using A = CommandLine::Action;
    const auto row = [](const char* name, QStringList args, A action, const char* file = "") {
      QTest::newRow(name) << args << int(action) << QString::fromUtf8(file);
    };
    row("nothing", {}, A::Run);
    row("a picture", {"/p/cat.webp"}, A::Run, "/p/cat.webp");
    row("a file after --", {"--", "-cat.png"}, A::Run, "-cat.png");
    row("help", {"--help"}, A::Help);
    row("short help", {"-h"}, A::Help);
    row("version", {"--version"}, A::Version);
    row("unknown option", {"--fullscreen"}, A::Refuse);
    row("the toolkit's options", {"-platform", "xcb", "--style=fusion", "-reverse", "a.bmp"}, A::Run, "a.bmp");
    row("an unknown option after them", {"-style", "fusion", "--bogus"}, A::Refuse);
    row("a lone dash", {"-"}, A::Refuse);
    row("two files", {"a.bmp", "b.bmp"}, A::Refuse);
    row("an empty name", {""}, A::Refuse);
  }
  void readsTheCommandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, file);
    const CommandLine line = parseCommandLine(arguments);
    QCOMPARE(int(line.action), action);
    QCOMPARE(line.file, file);
    QCOMPARE(line.fault.isEmpty(), line.action != CommandLine::Action::Refuse);
  }

  // A file given to the program opens as the picture command or the read
  // would open it; one that cannot be used is refused with the dialogs'
  // message and the built-in picture stays.
  void opensAGivenFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");  // empty: opened
    QTest::newRow("picture") << "given.png" << QString();
    QTest::newRow("picture named in Latin-1") << platform::fileNameFromBytes("\xe9t\xe9.png") << QString();
    QTest::newRow("saved game") << "given.QVD" << QString();
    QTest::newRow("missing") << "gone.qvd" << u"gone.qvd\r\nファイルが見つかりません。"_qs;
    QTest::newRow("no picture") << "text.png" << u"「text.png」は使えません。\r\n画像ではありません。"_qs;
    QTest::newRow("name of no kind") << "given.tif" << u"ファイル名の終わりが"_qs;
    QTest::newRow("damaged game") << "text.QVD" << u"ゲームは読み込まれず"_qs;
  }
  void opensAGivenFile() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    const QString picture = writePicture(win_->path(QStringLiteral("given.png")), 120, 90);
    QVERIFY(QFile::copy(picture, win_->path(QStringLiteral("given.tif"))));
    const QByteArray latin1 = platform::fileNameBytes(win_->path(platform::fileNameFromBytes("\xe9t\xe9.png")));
    QCOMPARE(::link(QFile::encodeName(picture).constData(), latin1.constData()), 0);
    for (const char* text : {"text.png", "text.QVD"}) {
      QFile file(win_->path(QLatin1String(text)));
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a picture\r\n") > 0);
    }
    // The game: a 3 x 2 board of the picture, one piece turned, saved.
    win_->open(3, 2);
    QVERIFY(takePictureFile(form(), picture).built());
    win_->start(true);
    QTest::mouseClick(form().Picture1, Qt::RightButton, {}, win_->cellCentre(2, 1));
    const Grid map = win_->state().Map, rmap = win_->state().RMap;
    win_->boxes().answer(platform::vbYes);
    win_->files().script = {win_->path(QStringLiteral("given.QVD"))};
    form().SaveData->trigger();

    win_->open(5, 5);  // a fresh start on the built-in picture
    win_->boxes().shown.clear();
    win_->boxes().answer(platform::vbYes);  // resume a read game
    openGivenFile(form(), win_->path(name));
    const GameState& g = win_->state();
    const auto& shown = win_->boxes().shown;
    const bool game = name == QLatin1String("given.QVD");
    QCOMPARE(shown.size(), message.isEmpty() && !game ? 0 : 1);  // a refusal, or the offer to resume
    if (!message.isEmpty()) QVERIFY2(shown[0].text.contains(message), qPrintable(shown[0].text));
    QCOMPARE(win_->vars().PictureFile, !message.isEmpty() ? QString() : game ? picture : win_->path(name));
    QCOMPARE(g.GameRunning, int16_t(game ? 1 : 0));
    if (game) QVERIFY(g.Map == map && g.RMap == rmap);
    QCOMPARE(testsupport::windowBoardProblem(form()), QString());
  }

  // Leaving the program during a game, the player agrees to save, and the
  // file cannot be written (its folder went away): the game is not lost; the
  // dialog comes back for another place, and the program ends once saved.
  void failedSaveOnLeavingOffersTheDialogAgain() {
    win_->open(3, 3);
    bool ended = false;
    form().endProgram = [&] { ended = true; };
    win_->start(true);
    QVERIFY(QDir(win_->path(QString())).mkdir(QStringLiteral("gone")));
    const QString lost = win_->path(QStringLiteral("gone/lost.QVD"));
    const QString kept = win_->path(QStringLiteral("kept.QVD"));
    win_->files().script = {lost, kept};
    win_->boxes().shown.clear();
    win_->boxes().answer(platform::vbOK);   // leave
    win_->boxes().answer(platform::vbYes);  // save the game
    win_->boxes().answer(platform::vbYes);  // create lost.QVD, as the folder vanishes
    win_->boxes().onShow = [this](const testsupport::ShownBox& box) {
      if (box.text.startsWith(QStringLiteral("lost.QVD"))) QDir(win_->path(QStringLiteral("gone"))).removeRecursively();
    };
    win_->boxes().answer(platform::vbOK);   // the failure
    win_->boxes().answer(platform::vbYes);  // create kept.QVD
    form().Fin->trigger();
    win_->boxes().onShow = nullptr;
    QVERIFY(ended);
    QVERIFY(win_->files().script.empty());
    QVERIFY2(QFile::exists(kept), "the game was lost with the failed save");
  }

  // The same, and the player gives up at the dialog: the program ends as a
  // cancelled save at leaving always did, with no further question.
  void failedSaveOnLeavingThenCancelEnds() {
    win_->open(3, 3);
    bool ended = false;
    form().endProgram = [&] { ended = true; };
    win_->start(true);
    QVERIFY(QDir(win_->path(QString())).mkdir(QStringLiteral("gone")));
    win_->files().script = {win_->path(QStringLiteral("gone/lost.QVD")), QString()};
    win_->boxes().onShow = [this](const testsupport::ShownBox& box) {
      if (box.text.startsWith(QStringLiteral("lost.QVD"))) QDir(win_->path(QStringLiteral("gone"))).removeRecursively();
    };
    win_->boxes().shown.clear();
    form().Fin->trigger();
    win_->boxes().onShow = nullptr;
    QVERIFY(ended);
    QCOMPARE(win_->files().shown.size(), size_t(2));
    QCOMPARE(win_->boxes().shown.size(), 4);  // leave, save?, create, failure
    // The game is not lost: it is kept for the next start.
    SavedGame kept;
    QVERIFY2(loadGameFile(form().keeper->current().filePath(), &kept, nullptr),
             "the game was lost with the given-up save");
    QVERIFY(kept.Map == win_->state().Map);
  }

  // A big photo loaded with the view hidden fills the screen's width; showing
  // the view from the settings must not put the view beyond the screen.
  void viewShownAfterABigPictureStaysOnScreen() {
    const QRect screen(0, 0, 1366, 768);
    platform::setScreenOverride(0, 0, screen);
    win_->open(5, 5);
    const QString photo = writePicture(win_->path(QStringLiteral("wide.png")), 2400, 900);
    QVERIFY(!photo.isEmpty());
    win_->files().script = {photo};
    form().LoadPictureEx->trigger();
    QCOMPARE(win_->vars().PictureFile, photo);
    QVERIFY(form().frameGeometry().width() <= screen.width());

    confirmSettings([](Form2& d) { d.Check1->setChecked(true); });
    QCOMPARE(win_->state().HyoujiFlag, int16_t(1));
    const QRect viewOnScreen(form().Picture3->mapTo(&form(), QPoint(0, 0)), form().Picture3->size());
    QVERIFY2(form().frameGeometry().width() <= screen.width(),
             qPrintable(QStringLiteral("window %1 wide").arg(form().frameGeometry().width())));
    QVERIFY(viewOnScreen.right() < screen.width());
    // The board is the same photo, smaller, and plays as any other.
    const QImage shown = form().Picture1->picture();
    QVERIFY(shown.width() < 2400 / 2);
    QVERIFY(qAbs(shown.width() * 900 / 2400 - shown.height()) <= 1);
    // The view shows the whole photo; the board's pieces are each reduced from
    // their own part of it, so they differ from it only along their edges.
    const QImage view = form().Image1->picture();
    QCOMPARE(view.size(), shown.size());
    qint64 difference = 0;
    for (int y = 0; y < view.height(); ++y)
      for (int x = 0; x < view.width(); ++x)
        difference += qAbs(qRed(view.pixel(x, y)) - qRed(shown.pixel(x, y))) +
                      qAbs(qGreen(view.pixel(x, y)) - qGreen(shown.pixel(x, y))) +
                      qAbs(qBlue(view.pixel(x, y)) - qBlue(shown.pixel(x, y)));
    QVERIFY2(difference < qint64(view.width()) * view.height() * 3 * 2,
             qPrintable(QStringLiteral("the board differs from the view by %1 a pixel")
                            .arg(double(difference) / (view.width() * view.height()))));
    QCOMPARE(win_->vars().PictureFile, photo);
    win_->start(true);
    QCOMPARE(testsupport::windowBoardProblem(form()), QString());
    QCOMPARE(testsupport::checkBoard(form().Picture1->retained(), shown, win_->state(), win_->vars(), 1, 1), QString());
  }

  // A picture deleted after it was loaded: the settings still rebuild the
  // board from the picture on screen, a game on it is saved, and reading that
  // file says the picture is missing and changes nothing.
  void pictureDeletedAfterLoading() {
    win_->open(4, 4);
    const QString picture = writePicture(win_->path(QStringLiteral("photo one.png")), 320, 240);
    QVERIFY(!picture.isEmpty());
    win_->files().script = {picture};
    form().LoadPictureEx->trigger();
    QCOMPARE(win_->vars().PictureFile, picture);
    const QImage board = form().Picture1->picture();
    QVERIFY(QFile::remove(picture));

    confirmSettings([](Form2& d) { d.Option1[1]->click(); });  // 8 x 8
    QCOMPARE(win_->state().Xn, int16_t(8));
    QCOMPARE(form().Picture1->picture().copy(0, 0, 320, 240), board.copy(0, 0, 320, 240));
    win_->start(true);
    QCOMPARE(testsupport::windowBoardProblem(form()), QString());
    const QString file = win_->path(QStringLiteral("on-deleted.QVD"));
    win_->boxes().answer(platform::vbYes);
    win_->files().script = {file};
    form().SaveData->trigger();
    QVERIFY(QFile::exists(file));

    const Grid map = win_->state().Map;
    win_->boxes().shown.clear();
    win_->files().script = {file};
    form().ReadData->trigger();
    QCOMPARE(win_->boxes().shown.size(), 1);
    QCOMPARE(win_->boxes().shown[0].style, 48);
    QCOMPARE(win_->state().Map, map);
    QCOMPARE(win_->state().GameRunning, int16_t(1));
    QCOMPARE(win_->vars().PictureFile, picture);
  }
};

QTEST_MAIN(FileJourneysTest)
#include "tst_filejourneys.moc"
