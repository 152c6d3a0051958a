// Saving a game in play and reading it back: the file on disk, the time carried
// over, the redrawn board, the resume question, and damaged files or missing
// pictures that leave everything as it was.
#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "core/PlayMoves.h"
#include "persistence/GameFile.h"
#include "persistence/GameFileIo.h"
#include "persistence/KeptGame.h"
#include "pictures/BoardLayout.h"
#include "pictures/RecentPictures.h"
#include "platform/FileDialog.h"
#include "shell/Form1.h"
#include "shell/GameInPlay.h"
#include "shell/Form2.h"
#include "shell/Messages.h"
#include "shell/RecentPicturesMenu.h"
#include "support/TestSupport.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using namespace quavinto;

class SavedGamesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;
  std::unique_ptr<testsupport::FakeClock> clock_;
  std::unique_ptr<QTemporaryDir> tmp_;
  QDir dir_;
  std::unique_ptr<testsupport::ScriptedFileDialog> dialog_;

  void startPlaying(Form1& f, double at) {
    clock_->now = at;
    boxes_->answer(platform::vbYes);
    f.GStart->trigger();
    QCOMPARE(f.state().GameRunning, int16_t(1));
  }

  // Saves under the name as the player types it and returns the bytes of the
  // file the program says it wrote (GameFileName), empty when there is none.
  QByteArray save(Form1& f, const QString& name) {
    dialog_->script = {dir_.filePath(name)};
    f.SaveData->trigger();
    QFile file(f.state().GameFileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  static QString writeGame(const QString& path, const SavedGame& game) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return QString();
    file.write(formatGameFile(game));
    return path;
  }

  // A 2 x 1 game on `picture` with its two pieces exchanged.
  static SavedGame twoPieceGame(const QString& picture, int seconds = 0) {
    SavedGame game;
    game.pictureFile = picture;
    game.Xn = 2;
    game.Yn = 1;
    game.Map[1][1] = 2;
    game.Map[2][1] = 1;
    game.PieceWidth = 100;
    game.PieceHeight = 100;
    game.seconds = seconds;
    return game;
  }

  QString savePicture(const QString& name, int w, int h) {
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    for (int x = 0; x < w; ++x) picture.setPixel(x, x % h, qRgb(255, x % 256, 0));
    const QString path = dir_.filePath(name);
    return picture.save(path) ? path : QString();
  }

  void read(Form1& f, const QString& name, int resume) {
    dialog_->script = {dir_.filePath(name)};
    boxes_->answer(resume);
    f.ReadData->trigger();
  }

  static void solve(Form1& f) {
    GameState& g = f.state();
    InitMap(g);
    g.RMap = Grid{};
    CheckComplete(f);
  }

private slots:
  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
    clock_ = std::make_unique<testsupport::FakeClock>(1000.0);
    tmp_ = std::make_unique<QTemporaryDir>();
    dir_ = QDir(tmp_->path());
    dialog_ = std::make_unique<testsupport::ScriptedFileDialog>();
  }
  void cleanup() {
    dialog_.reset();
    clock_.reset();
    boxes_.reset();
    settings_.reset();
  }

  void savedFileAsWritten() {
    Form1 f;
    f.state().Xn = 3;
    f.state().Yn = 2;
    f.ResetView();
    startPlaying(f, 50000.0);
    clock_->now = 50095.4;
    boxes_->answer(platform::vbYes);  // create the new file
    const QByteArray bytes = save(f, QStringLiteral("game"));
    // The typed name takes the default extension: that file, and only it, is written.
    QCOMPARE(f.state().GameFileName, dir_.filePath(QStringLiteral("game.QVD")));
    QCOMPARE(dir_.entryList(QDir::Files), QStringList{QStringLiteral("game.QVD")});
    const QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.size(), 12);  // 11 lines and the empty rest after the last line end
    QCOMPARE(lines[0], QByteArray("\r"));  // the built-in picture
    QCOMPARE(lines[4], QByteArray(" 128  128 \r"));
    QCOMPARE(lines[5], QByteArray(" 3  2 \r"));
    QCOMPARE(lines[10], QByteArray(" 95 \r"));
    QCOMPARE(dialog_->shown.back().flags, 0x2806);
    QCOMPARE(dialog_->shown.back().effectiveTitle(), QStringLiteral(u"ゲームの状態を保存"));
    QVERIFY(f.ReadData->isEnabled());
    QCOMPARE(f.state().GameRunning, int16_t(1));
  }

  void timeCarriesOver() {
    Form1 f;
    startPlaying(f, 1000.0);
    clock_->now = 1100.0;
    save(f, QStringLiteral("t.QVD"));
    f.GStop->trigger();
    clock_->now = 5000.0;
    read(f, QStringLiteral("t.QVD"), platform::vbYes);
    QCOMPARE(f.state().GameRunning, int16_t(1));
    QCOMPARE(f.vars().SavedSeconds, 100);
    clock_->now = 5050.0;
    const QByteArray again = save(f, QStringLiteral("t2.QVD"));
    QVERIFY(again.endsWith(" 150 \r\n"));
    boxes_->shown.clear();
    solve(f);
    QVERIFY(boxes_->shown.first().text.endsWith(QStringLiteral(u"00時間02分30秒です。")));
  }

  void midnightSave() {
    Form1 f;
    startPlaying(f, 86390.0);
    clock_->now = 30.0;
    QVERIFY(save(f, QStringLiteral("m.QVD")).endsWith(" 40 \r\n"));
  }

  void readRestoresBoardAndAsks() {
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.state().Xn = 4;
    f.state().Yn = 3;
    f.state().ColorFlag = 2;
    f.state().HyoujiFlag = 1;
    f.ResetView();
    startPlaying(f, 2000.0);
    const Grid map = f.state().Map, flags = f.state().RMap;
    save(f, QStringLiteral("r.QVD"));
    // Another game in between, on other settings.
    f.GStop->trigger();
    f.state().Xn = 5;
    f.state().Yn = 5;
    f.state().ColorFlag = 0;
    f.ResetView();
    boxes_->shown.clear();
    read(f, QStringLiteral("r.QVD"), platform::vbNo);
    QCOMPARE(f.state().Xn, int16_t(4));
    QCOMPARE(f.state().Yn, int16_t(3));
    QCOMPARE(f.state().ColorFlag, int16_t(2));
    QCOMPARE(f.state().ResumeFlag, int16_t(1));
    QVERIFY(f.state().Map == map);
    QVERIFY(f.state().RMap == flags);
    QCOMPARE(testsupport::checkBoard(f.Picture1->retained(), f.Picture1->picture(), f.state(), f.vars()), QString());
    QCOMPARE(boxes_->shown.last().text, QStringLiteral(u"ゲームを再開始します"));
    QCOMPARE(boxes_->shown.last().style, 52);
    QCOMPARE(f.state().GameRunning, int16_t(0));
    QVERIFY(f.ReadData->isEnabled());
    QVERIFY(f.GStart->isEnabled());
    QVERIFY(!f.Label2_0->isVisible());
    QCOMPARE(f.Picture2->pos(), QPoint(0, 0));
    QCOMPARE(dialog_->shown.back().flags, 0x1004);
    QCOMPARE(dialog_->shown.back().effectiveTitle(), QStringLiteral(u"ゲームの状態を読み出し"));
  }

  void damagedFileChangesNothing() {
    Form1 f;
    startPlaying(f, 3000.0);
    const Grid map = f.state().Map;
    const int startTime = f.vars().StartTime;
    QFile bad(dir_.filePath(QStringLiteral("bad.QVD")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("\r\n 0 \r\n 0 \r\n 0 \r\n 76  51 \r\n 31  5 \r\n");
    bad.close();
    save(f, QStringLiteral("ok.QVD"));  // a save enables the read command during play
    boxes_->shown.clear();
    read(f, QStringLiteral("bad.QVD"), platform::vbYes);
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(boxes_->shown.first().style, 16);
    QVERIFY(boxes_->shown.first().text.startsWith(QStringLiteral(u"エラー")));
    // The program carries on: the text says so, and never reads as if it ends.
    QVERIFY(boxes_->shown.first().text.contains(QStringLiteral(u"が発生しました。\r\n")));
    QVERIFY(boxes_->shown.first().text.endsWith(QStringLiteral(u"ゲームは読み込まれず、何も変わっていません。")));
    QVERIFY(!boxes_->shown.first().text.contains(QStringLiteral(u"プログラム")));
    // Read directly, the refusal is an outcome with the reader's words, and no box.
    const GameRead refused = readGameFile(f, dir_.filePath(QStringLiteral("bad.QVD")));
    QCOMPARE(refused.outcome, ReadOutcome::Damaged);
    QVERIFY(!refused.why.isEmpty());
    QCOMPARE(boxes_->shown.first().text, readErrorText(refused.why));
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(f.state().GameRunning, int16_t(1));
    QVERIFY(f.state().Map == map);
    QCOMPARE(f.vars().StartTime, startTime);
    QCOMPARE(f.state().Xn, int16_t(5));
    // The cell the floating piece left shows its true piece.
    QCOMPARE(testsupport::checkBoard(f.Picture1->retained(), f.Picture1->picture(), f.state(), f.vars()), QString());
  }

  // A game whose picture is missing is not read, and PictureFile keeps naming
  // the picture on the board, so a later save still reads back on it.
  void missingPicture() {
    Form1 f;
    const QString path = savePicture(QStringLiteral("pic.bmp"), 200, 100);
    QVERIFY(!path.isEmpty());
    writeGame(dir_.filePath(QStringLiteral("g.QVD")), twoPieceGame(path));
    QFile::remove(path);
    startPlaying(f, 100.0);
    save(f, QStringLiteral("before.QVD"));  // a save enables the read command during play
    read(f, QStringLiteral("g.QVD"), platform::vbYes);
    QCOMPARE(boxes_->shown.last().text, QStringLiteral(u"データファイルの画像\r\nファイルがみつかりません。"));
    QCOMPARE(boxes_->shown.last().style, 48);
    const qsizetype shown = boxes_->shown.size();
    QCOMPARE(readGameFile(f, dir_.filePath(QStringLiteral("g.QVD"))).outcome, ReadOutcome::PictureMissing);
    QCOMPARE(boxes_->shown.size(), shown);
    QCOMPARE(f.vars().PictureFile, QString());
    QCOMPARE(f.state().Xn, int16_t(5));
    QCOMPARE(f.state().PictureWidth, int16_t(384));
    QCOMPARE(f.state().GameRunning, int16_t(1));
    QCOMPARE(readRecentPictures(), QStringList());
    // The game goes on and saves on the built-in picture it is played on.
    const QByteArray saved = save(f, QStringLiteral("after.QVD"));
    QVERIFY(saved.startsWith("\r\n"));
    // With the picture back the same file resumes on it.
    QCOMPARE(savePicture(QStringLiteral("pic.bmp"), 200, 100), path);
    read(f, QStringLiteral("g.QVD"), platform::vbYes);
    QCOMPARE(f.state().GameRunning, int16_t(1));
    QCOMPARE(f.vars().PictureFile, path);
    QCOMPARE(f.state().PictureWidth, int16_t(200));
    QCOMPARE(int(f.state().Map[1][1]), 2);
    // Read onto the board, the picture heads the recent pictures; a game on
    // the built-in picture lists nothing.
    QCOMPARE(readRecentPictures(), QStringList{path});
    save(f, QStringLiteral("again.QVD"));
    read(f, QStringLiteral("after.QVD"), platform::vbYes);
    QCOMPARE(f.vars().PictureFile, QString());
    QCOMPARE(readRecentPictures(), QStringList{path});
  }

  // A picture that exists but cannot be decoded is refused the same way.
  void undecodablePictureChangesNothing() {
    Form1 f;
    const QString path = dir_.filePath(QStringLiteral("broken.bmp"));
    {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("BM not really a picture");
    }
    writeGame(dir_.filePath(QStringLiteral("b.QVD")), twoPieceGame(path));
    startPlaying(f, 100.0);
    const Grid map = f.state().Map;
    save(f, QStringLiteral("before.QVD"));
    boxes_->shown.clear();
    read(f, QStringLiteral("b.QVD"), platform::vbYes);
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(boxes_->shown[0].style, 16);
    QVERIFY(boxes_->shown[0].text.endsWith(QStringLiteral(u"ゲームは読み込まれず、何も変わっていません。")));
    const GameRead undecodable = readGameFile(f, dir_.filePath(QStringLiteral("b.QVD")));
    QCOMPARE(undecodable.outcome, ReadOutcome::PictureUnusable);
    QCOMPARE(boxes_->shown[0].text, readErrorText(undecodable.why));
    // A picture too small for the file's grid: 3 pixels cannot make two pieces.
    const QString tiny = savePicture(QStringLiteral("tiny.bmp"), 3, 1);
    writeGame(dir_.filePath(QStringLiteral("t.QVD")), twoPieceGame(tiny));
    const GameRead small = readGameFile(f, dir_.filePath(QStringLiteral("t.QVD")));
    QCOMPARE(small.outcome, ReadOutcome::GridTooSmall);
    QCOMPARE(small.misfit.pictureWidth, 3);
    QCOMPARE(small.misfit.xn, 2);
    QCOMPARE(boxes_->shown.size(), 1);
    read(f, QStringLiteral("t.QVD"), platform::vbYes);
    QCOMPARE(boxes_->shown.size(), 2);
    QCOMPARE(boxes_->shown[1].style, 48);
    QCOMPARE(boxes_->shown[1].text, boardTooSmallText(3, 1, 2, 1));
    QCOMPARE(f.vars().PictureFile, QString());
    QCOMPARE(f.state().GameRunning, int16_t(1));
    QVERIFY(f.state().Map == map);
    QVERIFY(save(f, QStringLiteral("after.QVD")).startsWith("\r\n"));
  }

  // Answering No to the resume question during a game ends the old game: the
  // board shows the file's arrangement, nothing can be saved, and solving it
  // announces nothing, so the two clocks never meet.
  void readDuringGameDeclinedEndsTheGame() {
    Form1 f;
    writeGame(dir_.filePath(QStringLiteral("half.QVD")), twoPieceGame(QString(), 500));
    startPlaying(f, 1000.0);
    clock_->now = 1200.0;
    save(f, QStringLiteral("own.QVD"));
    read(f, QStringLiteral("half.QVD"), platform::vbNo);
    QCOMPARE(f.state().GameRunning, int16_t(0));
    QVERIFY(f.GStart->isEnabled());
    QVERIFY(!f.GStop->isEnabled());
    QVERIFY(!f.SaveData->isEnabled());
    QVERIFY(f.ReadData->isEnabled());
    QCOMPARE(int(f.state().Map[1][1]), 2);
    QCOMPARE(testsupport::checkBoard(f.Picture1->retained(), f.Picture1->picture(), f.state(), f.vars()), QString());
    clock_->now = 1210.0;
    boxes_->shown.clear();
    solve(f);
    QVERIFY2(boxes_->shown.isEmpty(), qPrintable(boxes_->shown.value(0).text));
    // A new start plays on the read board with a fresh clock.
    startPlaying(f, 2000.0);
    clock_->now = 2010.0;
    QVERIFY(save(f, QStringLiteral("fresh.QVD")).endsWith(" 10 \r\n"));
  }

  // The file's colour and view setting take effect as if chosen in the
  // settings dialog: caption colour, scale menu, and the picture fitted with
  // the view the file shows.
  void readAppliesTheFilesDisplaySettings() {
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.state().ColorFlag = 2;  // black: the caption is white
    f.applyBackgroundColour(true);
    f.ResetView();
    QCOMPARE(f.Label1_0->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    QVERIFY(!f.menuEnabled(Menu::ScaleAll));
    // A picture that fits the screen only while the view is hidden.
    const int withoutView = largestBoard(f).width();
    f.state().HyoujiFlag = 1;
    const int withView = largestBoard(f).width();
    f.state().HyoujiFlag = 0;
    QVERIFY(withView + 20 < withoutView);
    const int wide = (withView + withoutView) / 2;
    const QString path = savePicture(QStringLiteral("wide.bmp"), wide, 120);
    SavedGame game = twoPieceGame(path);
    game.ColorFlag = 1;  // white
    game.HyoujiFlag = 1;
    writeGame(dir_.filePath(QStringLiteral("white.QVD")), game);
    read(f, QStringLiteral("white.QVD"), platform::vbNo);
    QCOMPARE(f.state().ColorFlag, int16_t(1));
    QCOMPARE(f.backgroundColour(), QColor(255, 255, 255));
    QCOMPARE(f.Label1_0->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QVERIFY(f.menuEnabled(Menu::ScaleAll));
    QVERIFY(f.Picture3->isVisible());
    QVERIFY2(f.state().PictureWidth <= largestBoard(f).width(),
             qPrintable(QStringLiteral("%1 > %2").arg(f.state().PictureWidth).arg(largestBoard(f).width())));
    QVERIFY(f.state().PictureWidth < wide);

    // And back: black with the view hidden.
    game.ColorFlag = 2;
    game.HyoujiFlag = 0;
    writeGame(dir_.filePath(QStringLiteral("black.QVD")), game);
    read(f, QStringLiteral("black.QVD"), platform::vbNo);
    QCOMPARE(f.Label1_0->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    QVERIFY(!f.menuEnabled(Menu::ScaleAll));
    QVERIFY(!f.Picture3->isVisible());
    QCOMPARE(int(f.state().PictureWidth), wide);
  }

  void cancelledSaveWritesNothing() {
    Form1 f;
    startPlaying(f, 100.0);
    dialog_->script = {QString()};
    f.SaveData->trigger();
    QVERIFY(!f.ReadData->isEnabled());
    QCOMPARE(dir_.entryList(QDir::Files).size(), 0);
  }

  void failedSaveIsReported() {
    Form1 f;
    startPlaying(f, 100.0);
    // The chosen folder disappears while the player answers the create
    // question, after the dialog has checked it, before the file is written.
    QVERIFY(dir_.mkdir(QStringLiteral("gone")));
    boxes_->shown.clear();
    dialog_->script = {dir_.filePath(QStringLiteral("gone/lost.QVD"))};
    boxes_->onShow = [this](const testsupport::ShownBox&) {
      QDir(dir_.filePath(QStringLiteral("gone"))).removeRecursively();
    };
    boxes_->answer(platform::vbYes);  // create the new file
    f.SaveData->trigger();
    boxes_->onShow = nullptr;
    QCOMPARE(boxes_->shown.size(), 2);  // the create question, then the failure
    QCOMPARE(boxes_->shown.last().style, 48);
    QVERIFY(boxes_->shown.last().text.startsWith(QStringLiteral(u"ゲームを保存できませんでした。\r\n")));
    // The cause in Japanese, not the system's English text.
    QVERIFY2(boxes_->shown.last().text.contains(QStringLiteral(u"フォルダーがありません")),
             qPrintable(boxes_->shown.last().text));
    QVERIFY2(!boxes_->shown.last().text.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))),
             qPrintable(boxes_->shown.last().text));
    QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("gone/lost.QVD"))));
    QCOMPARE(f.state().GameRunning, int16_t(1));
  }

  // Choosing an existing file asks before replacing it; No brings the dialog
  // back and the file stays as it was.
  void saveAsksBeforeReplacing() {
    Form1 f;
    startPlaying(f, 100.0);
    const QString notes = dir_.filePath(QStringLiteral("notes.txt"));
    {
      QFile file(notes);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("my notes\n");
    }
    boxes_->shown.clear();
    boxes_->answer(platform::vbNo);
    dialog_->script = {notes, QString()};  // No, then Cancel
    f.SaveData->trigger();
    QCOMPARE(dialog_->shown.size(), size_t(2));
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(boxes_->shown[0].style, 52);
    QCOMPARE(boxes_->shown[0].text, QStringLiteral(u"notes.txt は既に存在します。\r\n上書きしますか?"));
    QFile kept(notes);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("my notes\n"));
    kept.close();
    // Yes replaces it with the game.
    boxes_->answer(platform::vbYes);
    dialog_->script = {notes};
    f.SaveData->trigger();
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QVERIFY(kept.readAll().endsWith(" 0 \r\n"));
  }

  // The picture the game is played on is never replaced by the game file,
  // whatever name leads to it.
  void saveNeverReplacesThePictureInPlay() {
    Form1 f;
    const QString picture = savePicture(QStringLiteral("photo.bmp"), 200, 100);
    QVERIFY(QFile::link(picture, dir_.filePath(QStringLiteral("link.bmp"))));
    writeGame(dir_.filePath(QStringLiteral("on-photo.QVD")), twoPieceGame(picture));
    read(f, QStringLiteral("on-photo.QVD"), platform::vbYes);
    QCOMPARE(f.vars().PictureFile, picture);
    QFile file(picture);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    for (const QString& name : {QStringLiteral("photo.bmp"), QStringLiteral("link.bmp")}) {
      boxes_->shown.clear();
      dialog_->script = {dir_.filePath(name), QString()};
      f.SaveData->trigger();
      QCOMPARE(boxes_->shown.size(), 1);  // no overwrite question: the refusal only
      QCOMPARE(boxes_->shown[0].style, 48);
      QVERIFY2(boxes_->shown[0].text.contains(QStringLiteral(u"画像に上書きしてゲームを保存することはできません")),
               qPrintable(boxes_->shown[0].text));
      QVERIFY(file.open(QIODevice::ReadOnly));
      QCOMPARE(file.readAll(), before);
      file.close();
    }
    QCOMPARE(f.state().GameFileName, dir_.filePath(QStringLiteral("on-photo.QVD")));
    // Another name saves as usual.
    boxes_->answer(platform::vbYes);  // create it
    QVERIFY(save(f, QStringLiteral("photo-game.QVD")).startsWith(picture.toUtf8() + "\r\n"));
  }

  // A named pipe chosen as the game file is refused before the overwrite
  // question; it stays a pipe.
  void saveNeverReplacesWhatIsNotAFile() {
    Form1 f;
    startPlaying(f, 100.0);
    const QString pipe = dir_.filePath(QStringLiteral("pipe.QVD"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    boxes_->shown.clear();
    dialog_->script = {pipe, QString()};
    f.SaveData->trigger();
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(boxes_->shown[0].style, 48);
    QVERIFY(boxes_->shown[0].text.contains(QStringLiteral(u"通常のファイルではない")));
    QVERIFY(QFileInfo(pipe).isFile() == false && QFileInfo(pipe).exists());
  }

  // The kept game follows the game in play: written after a move (once the
  // timer has run), at a pause and a minimised window, and when the program
  // is left or the session ends; removed when the player ends the game
  // (completed, stopped, the settings) and says No to saving at the exit.
  // Left for another picture or a game read, it waits in its picture's place,
  // also when a game of the other picture begins. It holds the board it was
  // written from and its moves.
  void keptGameFollowsTheGame_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<int>("seconds");  // the time kept: when it was written, pauses left out
    QTest::newRow("after a move") << "move" << true << 40;
    QTest::newRow("at a pause") << "pause" << true << 50;
    QTest::newRow("minimised") << "minimise" << true << 50;
    QTest::newRow("completed") << "complete" << false << 0;
    QTest::newRow("stopped") << "stop" << false << 0;
    QTest::newRow("another picture chosen") << "picture" << true << 40;
    QTest::newRow("then a new game begun") << "picture, new" << true << 40;
    QTest::newRow("settings, Yes then Cancel") << "settings" << false << 0;
    QTest::newRow("a game read, not resumed") << "read" << true << 40;
    QTest::newRow("exit, No to saving") << "exit no" << false << 0;
    QTest::newRow("exit, saved") << "exit saved" << true << 50;
    QTest::newRow("exit cancelled") << "exit cancelled" << true << 40;
    QTest::newRow("session lost") << "session" << true << 50;
  }
  void keptGameFollowsTheGame() {
    QFETCH(QString, how);
    QFETCH(bool, kept);
    QFETCH(int, seconds);
    Form1 f;
    f.endProgram = [] {};
    f.state().Xn = 3;
    f.state().Yn = 2;
    f.ResetView();
    startPlaying(f, 7000.0);
    QVERIFY(f.keeper->games().list().isEmpty());
    clock_->now = 7040.0;
    QVERIFY(playMove(f, Move::turn({2, 2})));
    const Grid map = f.state().Map, flags = f.state().RMap;
    // The write waits for the timer: quick moves share one.
    QVERIFY(f.keeper->pending());
    QVERIFY(f.keeper->games().list().isEmpty());
    clock_->now = 7050.0;
    f.keeper->writePending();
    const KeptGame file = f.keeper->current();
    QVERIFY(file.exists());
    QCOMPARE(file.name(), keptGameName(QStringLiteral("builtin"), 3, 2));
    if (how == QLatin1String("pause")) {
      f.Pause->trigger();
      clock_->now = 7300.0;
    } else if (how == QLatin1String("minimise")) {
      f.show();
      QVERIFY(QTest::qWaitForWindowExposed(&f));
      f.setWindowState(Qt::WindowMinimized);
      QTRY_VERIFY(f.play().paused);
    } else if (how == QLatin1String("complete")) {
      solve(f);
    } else if (how == QLatin1String("stop")) {
      f.GStop->trigger();
    } else if (how.startsWith(QLatin1String("picture"))) {
      dialog_->script = {savePicture(QStringLiteral("other.png"), 300, 200)};
      f.LoadPictureEx->trigger();
      QCOMPARE(f.state().GameRunning, int16_t(0));
      if (how.endsWith(QLatin1String("new"))) startPlaying(f, 8000.0);
    } else if (how == QLatin1String("settings")) {
      boxes_->answer(platform::vbYes);
      testsupport::whenSettingsDialogOpens([](Form2& d) { d.Command1[1]->click(); });
      f.SetData1->trigger();
    } else if (how == QLatin1String("read")) {
      writeGame(dir_.filePath(QStringLiteral("other.QVD")), twoPieceGame(QString()));
      save(f, QStringLiteral("own.QVD"));  // reading waits for a save during a game
      read(f, QStringLiteral("other.QVD"), platform::vbNo);
      QCOMPARE(f.state().GameRunning, int16_t(0));
    } else if (how == QLatin1String("exit no")) {
      boxes_->answer(platform::vbOK);
      boxes_->answer(platform::vbNo);
      f.Fin->trigger();
    } else if (how == QLatin1String("exit saved")) {
      boxes_->answer(platform::vbOK);
      boxes_->answer(platform::vbYes);
      boxes_->answer(platform::vbYes);  // create the new file
      dialog_->script = {dir_.filePath(QStringLiteral("mine.QVD"))};
      f.Fin->trigger();
      QVERIFY(QFile::exists(dir_.filePath(QStringLiteral("mine.QVD"))));
    } else if (how == QLatin1String("exit cancelled")) {
      boxes_->answer(platform::vbCancel);
      f.Fin->trigger();
      QCOMPARE(f.state().GameRunning, int16_t(1));
    } else if (how == QLatin1String("session")) {
      QVERIFY(f.sessionEnding([] { return false; }));
    }
    f.keeper->finishWrites();
    QCOMPARE(file.exists(), kept);
    if (!kept) return;
    SavedGame game;
    QVERIFY(loadGameFile(file.filePath(), &game, nullptr));
    QVERIFY(game.Map == map);
    QVERIFY(game.RMap == flags);
    QCOMPARE(game.Xn, int16_t(3));
    QCOMPARE(game.seconds, seconds);
    QCOMPARE(file.figures().moves, 1);
    // Only the kept game (beside the recent pictures) is in its folder; the
    // player's own files are elsewhere.
    QCOMPARE(QDir(file.folder()).entryList({QStringLiteral("*.QVD*")}, QDir::Files),
             QStringList{file.name() + QStringLiteral(".QVD")});
  }

  // Moves coming faster than the timer share one write, which holds the last
  // of them; the timer writes it within half a second.
  void keptGameWritesTheLastOfQuickMoves() {
    Form1 f;
    f.state().Xn = 4;
    f.state().Yn = 4;
    f.ResetView();
    startPlaying(f, 100.0);
    for (int i = 1; i <= 4; ++i) QVERIFY(playMove(f, Move::turn({i, 1})));
    QVERIFY(undoMove(f));
    QCOMPARE(f.keeper->writes(), 0);
    QVERIFY(f.keeper->pending());
    QTRY_COMPARE_WITH_TIMEOUT(f.keeper->writes(), 1, 5000);
    SavedGame game;
    QVERIFY(loadGameFile(f.keeper->current().filePath(), &game, nullptr));
    QVERIFY(game.RMap == f.state().RMap);
    QCOMPARE(f.keeper->current().figures().moves, 3);

    // The player thinks for 40 s: the time is kept as it grows, never twice
    // within half a second, and not while paused.
    clock_->now += 40;
    f.keeper->keepTime();
    f.keeper->finishWrites();
    QCOMPARE(f.keeper->writes(), 2);
    QVERIFY(loadGameFile(f.keeper->current().filePath(), &game, nullptr));
    QCOMPARE(game.seconds, 40);
    clock_->now += 0.3;
    f.keeper->keepTime();
    f.keeper->finishWrites();
    QCOMPARE(f.keeper->writes(), 2);
    f.Pause->trigger();
    f.keeper->finishWrites();
    const int paused = f.keeper->writes();
    clock_->now += 30;
    f.keeper->keepTime();
    f.keeper->finishWrites();
    QCOMPARE(f.keeper->writes(), paused);
  }

  // At the start the kept game is offered once the window shows, named by
  // its picture, grid, time and moves. Yes resumes it as a read game resumed,
  // without the read's own question, with its time carried over; No removes
  // it. One that fails the file's checks or whose picture is gone or
  // unreadable is set aside as .bad with one message and never offered. The
  // single kept game of earlier versions is taken over as the first of the
  // picture's games.
  void keptGameOfferedAtStart_data() {
    QTest::addColumn<QString>("kept");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("setAside");
    QTest::newRow("resumed") << "game" << int(platform::vbYes) << true << false;
    QTest::newRow("declined") << "game" << int(platform::vbNo) << true << false;
    QTest::newRow("damaged") << "damaged" << 0 << false << true;
    QTest::newRow("shortened") << "shortened" << 0 << false << true;
    QTest::newRow("picture gone") << "no picture" << 0 << false << true;
    QTest::newRow("picture unreadable") << "bad picture" << 0 << false << true;
    QTest::newRow("nothing kept") << "" << 0 << false << false;
  }
  void keptGameOfferedAtStart() {
    QFETCH(QString, kept);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, setAside);
    const KeptGame file;
    QVERIFY(QDir().mkpath(file.folder()));
    const SavedGame game = twoPieceGame(savePicture(QStringLiteral("p.png"), 240, 120), 95);
    SavedGame other = game;
    if (kept == QLatin1String("no picture")) other.pictureFile = dir_.filePath(QStringLiteral("gone.png"));
    if (kept == QLatin1String("bad picture")) {
      other.pictureFile = dir_.filePath(QStringLiteral("bad.png"));
      QFile bad(other.pictureFile);
      QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("not a picture at all") > 0);
    }
    QByteArray bytes = formatGameFile(other);
    if (kept == QLatin1String("damaged")) bytes.replace(" 002", " 007");
    if (kept == QLatin1String("shortened")) bytes.chop(12);
    if (!kept.isEmpty()) {
      QFile out(file.filePath());
      QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
    }
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    boxes_->shown.clear();
    clock_->now = 5000.0;
    if (answer) boxes_->answer(answer);
    f.offerKeptGame();
    const bool resumed = answer == platform::vbYes;
    QCOMPARE(boxes_->shown.size(), asked || setAside ? 1 : 0);
    if (asked) {
      QCOMPARE(boxes_->shown[0].text, QStringLiteral(u"前回のゲームを続けますか？\r\np.png　2×1　0:01:35　手数 0"));
      QCOMPARE(boxes_->shown[0].style, 36);
    }
    if (setAside) {
      QCOMPARE(boxes_->shown[0].style, 48);
      const QStringList bads = QDir(file.folder()).entryList({QStringLiteral("*.QVD.bad")}, QDir::Files);
      QCOMPARE(bads.size(), 1);
      QVERIFY(boxes_->shown[0].text.contains(file.folder() + QLatin1Char('/') + bads[0]));
      QFile bad(file.folder() + QLatin1Char('/') + bads[0]);
      QVERIFY(bad.open(QIODevice::ReadOnly));
      QCOMPARE(bad.readAll(), bytes);
    }
    f.keeper->finishWrites();
    QCOMPARE(f.keeper->games().list().size(), resumed ? 1 : 0);
    QVERIFY(!file.exists());  // taken over, set aside or removed
    QCOMPARE(f.state().GameRunning, int16_t(resumed ? 1 : 0));
    if (!resumed) return;
    // The board, its flags, the clock and the menus of a resumed game.
    QVERIFY(f.state().Map == game.Map);
    QVERIFY(f.state().RMap == game.RMap);
    QCOMPARE(f.vars().PictureFile, game.pictureFile);
    QCOMPARE(testsupport::checkBoard(f.Picture1->retained(), f.Picture1->picture(), f.state(), f.vars()), QString());
    clock_->now = 5010.0;
    QVERIFY2(f.inPlay().clockText().startsWith(QStringLiteral("0:01:45")), qPrintable(f.inPlay().clockText()));
    QVERIFY(f.SaveData->isEnabled() && f.GStop->isEnabled() && !f.GStart->isEnabled() && !f.ReadData->isEnabled());
    // The player's own game file is not the kept one.
    QVERIFY(f.state().GameFileName.isEmpty());
  }

  // A kept game that cannot be removed (its folder cannot be written) is
  // still never offered again once its game ended: the end is remembered in
  // the ended list. Checked in a child process that is not root, since root
  // removes files from any folder.
  void endedGameNotRemovableIsNeverOffered() {
    const QString folder = dir_.filePath(QStringLiteral("state")), data = dir_.filePath(QStringLiteral("data"));
    const QString list = data + QStringLiteral("/ended-games");
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(data));
    const KeptGame kept(folder, QString(), list);
    QVERIFY(!writeGame(kept.filePath(), twoPieceGame(QString(), 95)).isEmpty());
    for (const auto& [path, mode] :
         {std::pair{kept.filePath(), 0644}, {folder, 0555}, {data, 0777}, {dir_.path(), 0755}})
      QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
      if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
      const bool before = kept.ended(), retired = kept.retire();
      _exit(before ? 4 : retired ? 5 : !kept.exists() ? 6 : !kept.ended() ? 7 : 0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(kept.exists());
    QVERIFY(kept.ended());  // from the list: this process never saw the end
    Form1 f;
    f.keeper->setFolder(folder, list);
    boxes_->shown.clear();
    f.offerKeptGame();
    QCOMPARE(boxes_->shown.size(), 0);
    QCOMPARE(f.state().GameRunning, int16_t(0));
  }

  // Each picture and grid keeps its own game: a game left for another picture
  // waits for its picture; the start offers the newest; loading the first
  // picture again offers its game with its moves, and Yes resumes them. A
  // second copy of the program neither offers nor writes while the first
  // holds the folder, and a hold left by a killed copy is taken over.
  void aGamePerPictureHeldByOneCopy() {
    const QString a = savePicture(QStringLiteral("a.png"), 240, 120);
    const QString b = savePicture(QStringLiteral("b.png"), 300, 200);
    const auto play = [&](Form1& f, const QString& picture, int turns) {
      dialog_->script = {picture};
      f.LoadPictureEx->trigger();
      f.state().Xn = 2;
      f.state().Yn = 1;
      f.ResetView();
      startPlaying(f, 1000.0);
      for (int i = 1; i <= turns; ++i) QVERIFY(playMove(f, Move::turn({i, 1})));
      f.keeper->writePending();
    };
    int fewestOfA = -1;
    {
      Form1 first;
      play(first, a, 2);
      // A hint taken is kept with the game, as is the figure of its start.
      QVERIFY(takeHint(first));
      first.keeper->writePending();
      fewestOfA = first.play().fewest;
      QVERIFY(fewestOfA >= 0);
      Form1 second;
      QVERIFY(first.keeper->keeping());
      QVERIFY(!second.keeper->keeping());
      boxes_->shown.clear();
      second.offerKeptGame();
      QVERIFY(boxes_->shown.isEmpty());
      play(second, b, 1);
      second.GStop->trigger();
      second.keeper->finishWrites();
      QCOMPARE(first.keeper->games().list().size(), 1);  // the second copy removed nothing
      play(first, b, 1);
      QCOMPARE(first.keeper->games().list().size(), 2);
      // The recent pictures say which have a game in progress, and its time.
      first.RecentPictures->refill();
      // The hint taken on a cost its 30 seconds.
      QCOMPARE(first.RecentPictures->entryOf(a)->text(), QStringLiteral(u"a.png（途中 0:00:30）"));
    }
    Form1 f;
    QVERIFY(f.keeper->keeping());
    boxes_->shown.clear();
    boxes_->answer(platform::vbNo);
    f.offerKeptGame();
    QCOMPARE(boxes_->shown.size(), 1);
    QVERIFY2(boxes_->shown[0].text.endsWith(QStringLiteral(u"b.png　2×1　0:00:00　手数 1")),
             qPrintable(boxes_->shown[0].text));
    QCOMPARE(f.keeper->games().list().size(), 1);
    boxes_->answer(platform::vbYes);
    dialog_->script = {a};
    f.LoadPictureEx->trigger();
    QTRY_COMPARE(boxes_->shown.size(), 2);  // once the picture's key is known
    QVERIFY2(boxes_->shown[1].text.endsWith(QStringLiteral(u"a.png　2×1　0:00:30　手数 2")),
             qPrintable(boxes_->shown[1].text));
    QCOMPARE(f.state().GameRunning, int16_t(1));
    QCOMPARE(f.play().moves(), 2);
    QCOMPARE(f.play().fewest, fewestOfA);
    QCOMPARE(f.play().hints(), 1);
    QVERIFY(playMove(f, Move::turn({1, 1})));
    QCOMPARE(f.inPlay().clockText().endsWith(QStringLiteral(u"手数 3")), true);

    // A hold whose copy is gone does not keep the next one from keeping games.
    const QString folder = dir_.filePath(QStringLiteral("killed"));
    QVERIFY(QDir().mkpath(folder));
    QFile lock(folder + QStringLiteral("/kept.lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write("2147480000\nquavinto\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    KeptGames games(folder);
    QVERIFY(games.hold());
  }

  // The figures beside a kept game are read as a stranger's file: only whole
  // lines of ours count, later figures are passed over, and anything else
  // leaves the game with no moves carried.
  void keptFiguresReadOnlyWhenWhole_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("moves");  // -1: refused
    QTest::addColumn<int>("fewest");
    QTest::addColumn<int>("hints");
    QTest::newRow("as written") << formatKeptFigures({QStringLiteral("builtin"), 48, 40, 2}) << 48 << 40 << 2;
    QTest::newRow("fewest not known") << formatKeptFigures({QStringLiteral("builtin"), 5, -1, 0}) << 5 << -1 << 0;
    QTest::newRow("written before hints")
        << QByteArray("QUAVINTO kept game 1\npicture builtin\nmoves 7\n") << 7 << -1 << 0;
    QTest::newRow("later figures") << QByteArray("QUAVINTO kept game 1\npicture builtin\nmoves 7\nfewest 40\nstars 3\n")
                                   << 7 << 40 << 0;
    QTest::newRow("NUL in the count") << QByteArray("QUAVINTO kept game 1\npicture builtin\nmoves 4\0\n", 46) << -1
                                      << -1 << 0;
    QTest::newRow("a sign") << QByteArray("QUAVINTO kept game 1\npicture builtin\nmoves -3\n") << -1 << -1 << 0;
    QTest::newRow("a sign in the hints") << QByteArray("QUAVINTO kept game 1\npicture builtin\nmoves 3\nhints -1\n")
                                         << -1 << -1 << 0;
    QTest::newRow("cut short") << QByteArray("QUAVINTO kept game 1\npicture builtin\nmoves 4") << -1 << -1 << 0;
    QTest::newRow("no moves") << QByteArray("QUAVINTO kept game 1\npicture builtin\n") << -1 << -1 << 0;
    QTest::newRow("not ours") << QByteArray("moves 4\n") << -1 << -1 << 0;
  }
  void keptFiguresReadOnlyWhenWhole() {
    QFETCH(QByteArray, text);
    QFETCH(int, moves);
    QFETCH(int, fewest);
    QFETCH(int, hints);
    KeptFigures figures;
    QCOMPARE(parseKeptFigures(text, &figures), moves >= 0);
    QCOMPARE(figures.moves, std::max(moves, 0));
    QCOMPARE(figures.fewest, fewest);
    QCOMPARE(figures.hints, hints);
  }

  void exitWithSaveWritesGameFirst() {
    Form1 f;
    bool ended = false;
    f.endProgram = [&] { ended = true; };
    startPlaying(f, 100.0);
    boxes_->answer(platform::vbOK);
    boxes_->answer(platform::vbYes);
    boxes_->answer(platform::vbYes);  // create the new file
    dialog_->script = {dir_.filePath(QStringLiteral("exit.QVD"))};
    f.Fin->trigger();
    QVERIFY(ended);
    QVERIFY(QFile::exists(dir_.filePath(QStringLiteral("exit.QVD"))));
  }
};

QTEST_MAIN(SavedGamesTest)
#include "tst_savedgames.moc"
