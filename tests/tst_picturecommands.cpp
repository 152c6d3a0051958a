// Choosing a picture: the picture dialog as the program sets it up and where
// it opens next, the kind of file by its name, the stopped game, files
// dropped on the window, pictures refused with their reason and nothing
// changed, and pictures too small or too big for the board.
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCoreApplication>
#include <QMimeData>
#include <QThread>
#include <QtTest>
#include <optional>

#include "core/GameFlow.h"
#include "persistence/GameFileIo.h"
#include "pictures/PictureLoading.h"
#include "pictures/RecentPictures.h"
#include "platform/AtomicWrite.h"
#include "platform/FileDialog.h"
#include "platform/FileNames.h"
#include "platform/Screen.h"
#include "pictures/Thumbnails.h"
#include "shell/Form1.h"
#include "shell/Messages.h"
#include "shell/RecentPicturesMenu.h"
#include "support/TestSupport.h"

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

  // Delivers a file dropped from the file manager, as the window system does,
  // then lets the window take it; `shownAtReturn` gets how many boxes had been
  // shown by the time the drop itself returned.
  void dropFile(Form1& f, const QString& path, int* shownAtReturn = nullptr) {
    dropUrl(f, QUrl::fromLocalFile(path), shownAtReturn);
  }
  void dropUrl(Form1& f, const QUrl& url, int* shownAtReturn = nullptr) {
    QMimeData mime;
    mime.setUrls({url});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&f, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&f, &drop);
    if (shownAtReturn) *shownAtReturn = int(boxes_->shown.size());
    // The picture is taken once the drop has returned.
    QCoreApplication::processEvents();
  }

  QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return QString();
    file.write(bytes);
    return path;
  }

  static bool solvedOrder(const GameState& g) {
    for (int row = 1; row <= g.Yn; ++row)
      for (int col = 1; col <= g.Xn; ++col)
        if (g.Map[col][row] != homePiece(g.Xn, col, row) || g.RMap[col][row] != 0) return false;
    return true;
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
    // The first four entries as they always were, the later kinds after them,
    // and last every kind the program reads.
    QCOMPARE(d.filter, QStringLiteral(u"BMP形式(*.BMP)|*.BMP|GIF形式(*.GIF)|*.GIF|JPEG形式(*.JPG)|*.JPG|すべて(*.*)|*.*"
                                      u"|PNG形式(*.PNG)|*.PNG|WebP形式(*.WEBP)|*.WEBP|JPEG形式(*.JPEG)|*.JPEG"
                                      u"|すべての画像|*.BMP;*.GIF;*.JPG;*.JPEG;*.PNG;*.WEBP"));
    QCOMPARE(d.filterIndex, 1);
    QCOMPARE(d.initDir, QCoreApplication::applicationDirPath());
    QCOMPARE(d.flags, 0x1004);
    QCOMPARE(d.defaultExt, QStringLiteral(".BMP"));
    QVERIFY(d.cancelError);
    QVERIFY(d.sideWidget);
    // A chosen JPEG preselects its filter and folder next time.
    const QString jpeg = makePicture(QStringLiteral("photo.jpg"), 200, 100, "JPG");
    choose(f, jpeg);
    QCOMPARE(f.state().PictureType, int16_t(3));
    choose(f, std::nullopt);
    QCOMPARE(dialog_->shown.back().filterIndex, 3);
    QCOMPARE(dialog_->shown.back().initDir, dir_.path());
    QCOMPARE(dialog_->shown.back().fileName, jpeg);
    // A PNG selects its own entry at the end of the list.
    choose(f, makePicture(QStringLiteral("shot.PNG"), 200, 100, "PNG"));
    QCOMPARE(f.state().PictureType, int16_t(5));
    choose(f, std::nullopt);
    QCOMPARE(dialog_->shown.back().filterIndex, 5);
    const QStringList names = platform::qtNameFilters(dialog_->shown.back().filter);
    QCOMPARE(names.size(), 8);
    QVERIFY(names[4].startsWith(QStringLiteral(u"PNG形式")));
    QVERIFY(names[7].startsWith(QStringLiteral(u"すべての画像")));
  }

  void titleLeftFromGameFileDialog() {
    Form1 f;
    startPlaying(f);
    dialog_->script = {QString()};
    f.SaveData->trigger();  // cancelled
    choose(f, std::nullopt);
    QCOMPARE(dialog_->shown.back().effectiveTitle(), QStringLiteral(u"ゲームの状態を保存"));
    // The preview is the picture dialog's alone.
    QVERIFY(!dialog_->shown.front().sideWidget);
    dialog_->script = {QString()};
    f.ReadData->trigger();
    QVERIFY(!dialog_->shown.back().sideWidget);
  }

  void cancelStopsTheGame() {
    Form1 f;
    startPlaying(f);
    const Grid map = f.state().Map;
    const auto asked = boxes_->shown.size();  // the start question
    choose(f, std::nullopt);
    QCOMPARE(boxes_->shown.size(), asked);  // a cancelled dialog says nothing
    QCOMPARE(f.state().GameRunning, int16_t(0));
    QVERIFY(f.GStart->isEnabled());
    QVERIFY(!f.GStop->isEnabled());
    QVERIFY(f.state().Map == map);
    QVERIFY(f.vars().PictureFile.isEmpty());
  }

  // The three original kinds by their last three letters, all capital or all
  // small; the later ones by their whole extension in any case. A name of no
  // accepted kind is refused with a message, and the board and PictureFile
  // keep the picture in play.
  void kindByName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::newRow(".JPG") << "cat.JPG" << 3;
    QTest::newRow(".jpg") << "cat.jpg" << 3;
    QTest::newRow(".BMP") << "cat.BMP" << 1;
    QTest::newRow(".gif") << "cat.gif" << 2;
    QTest::newRow("no dot") << "catbmp" << 1;
    QTest::newRow(".Jpg") << "cat.Jpg" << 0;
    QTest::newRow(".tif") << "cat.tif" << 0;
    QTest::newRow(".png") << "cat.png" << 5;
    QTest::newRow(".Png") << "cat.Png" << 5;
    QTest::newRow(".WebP") << "cat.WebP" << 6;
    QTest::newRow(".jpeg") << "cat.jpeg" << 7;
    QTest::newRow(".JPEG") << "cat.JPEG" << 7;
    QTest::newRow("png without dot") << "catpng" << 0;
  }

  void kindByName() {
    QFETCH(QString, name);
    QFETCH(int, type);
    QCOMPARE(int(pictureTypeOf(name)), type);
    Form1 f;
    const QString path = makePicture(name, 120, 90, "BMP");
    QVERIFY(!path.isEmpty());
    choose(f, path);
    QCOMPARE(int(f.state().PictureType), type == 0 ? 1 : type);
    if (type == 0) {
      QVERIFY(f.vars().PictureFile.isEmpty());
      QCOMPARE(f.state().PictureWidth, int16_t(384));
      QCOMPARE(boxes_->shown.size(), 1);
      QCOMPARE(boxes_->shown.first().style, 48);
      QCOMPARE(boxes_->shown.first().title, QStringLiteral("QUAVINTO"));
      QCOMPARE(boxes_->shown.first().text, pictureNameRefusalText(path));
      QVERIFY(boxes_->shown.first().text.contains(QStringLiteral(u"ファイル名の終わり")));
      QVERIFY(boxes_->shown.first().text.contains(name));
      // Taken directly, the name is refused by the outcome alone: the window says why.
      const BoardOutcome refused = loadChosenPicture(f, path);
      QCOMPARE(refused.outcome, PictureOutcome::NameRefused);
      QCOMPARE(refused.path, path);
      QCOMPARE(boxes_->shown.size(), 1);
      QVERIFY(f.vars().PictureFile.isEmpty());
    } else {
      QCOMPARE(f.vars().PictureFile, path);
      QCOMPARE(f.state().PictureWidth, int16_t(120));
      QVERIFY(boxes_->shown.isEmpty());
    }
  }

  // PNG, WebP and JPEG named .jpeg become the board from the menu and from a
  // drop, with their exact decoded pixels, and can be played.
  void newKindsLoadAndPlay_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::newRow("PNG with transparency") << "png-alpha-70x46.png" << 5;
    QTest::newRow("WebP") << "webp-lossy-70x46.webp" << 6;
    QTest::newRow("JPEG named .jpeg") << "jpeg-named-jpeg-70x46.jpeg" << 7;
    QTest::newRow("JPEG named .JPEG") << "jpeg-named-capital-JPEG-70x46.JPEG" << 7;
  }
  void newKindsLoadAndPlay() {
    QFETCH(QString, name);
    QFETCH(int, type);
    const QString path = qEnvironmentVariable("QUAVINTO_TEST_DATA") + QStringLiteral("/pictures/good/") + name;
    QImage decoded;
    QVERIFY(decode::loadPicture(path, &decoded));
    for (const bool byDrop : {false, true}) {
      boxes_->shown.clear();
      Form1 f;
      if (byDrop)
        dropFile(f, path);
      else
        choose(f, path);
      QVERIFY(boxes_->shown.isEmpty());
      QCOMPARE(f.vars().PictureFile, path);
      QCOMPARE(int(f.state().PictureType), type);
      QCOMPARE(f.Picture1->picture(), decoded.convertToFormat(f.Picture1->picture().format()));
      startPlaying(f);
      QCOMPARE(f.state().GameRunning, int16_t(1));
      QCOMPARE(testsupport::checkBoard(f.Picture1->retained(), f.Picture1->picture(), f.state(), f.vars(), 1, 1),
               QString());
    }
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

  // A refused picture says why and changes nothing: PictureFile still names
  // the picture on the board, so a later save names the right picture. The
  // dialog still opens where the player last was.
  void undecodablePictureChangesNothing() {
    Form1 f;
    const QString good = makePicture(QStringLiteral("good.bmp"), 200, 150);
    choose(f, good);
    const QString path = writeFile(QStringLiteral("broken.jpeg"), "\xff\xd8\xff\xe0 no picture follows");
    const QImage before = f.Picture1->retained();
    choose(f, path);
    QCOMPARE(f.vars().PictureFile, good);
    QCOMPARE(f.Picture1->retained(), before);
    QCOMPARE(f.state().PictureWidth, int16_t(200));
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(boxes_->shown.first().style, 48);
    QCOMPARE(boxes_->shown.first().text,
             QStringLiteral(u"「broken.jpeg」は使えません。\r\n画像ファイルが壊れています。"));
    choose(f, std::nullopt);
    QCOMPARE(dialog_->shown.back().fileName, path);
    QCOMPARE(dialog_->shown.back().filterIndex, 7);
    // Once a picture is on the board again, the dialog opens at it.
    QDir(dir_.path()).mkdir(QStringLiteral("later"));
    const QString later = makePicture(QStringLiteral("later/dropped.bmp"), 120, 90);
    dropFile(f, later);
    choose(f, std::nullopt);
    QCOMPARE(dialog_->shown.back().fileName, later);
    QCOMPARE(dialog_->shown.back().initDir, dir_.filePath(QStringLiteral("later")));
  }

  void refusedPictureKeepsSavesRight() {
    Form1 f;
    const QString text = writeFile(QStringLiteral("notes.png"), "not a picture at all\r\n");
    choose(f, text);
    QCOMPARE(boxes_->shown.size(), 1);
    QVERIFY(boxes_->shown.first().text.contains(QStringLiteral(u"画像ではありません")));
    startPlaying(f);
    const QString game = dir_.filePath(QStringLiteral("after-refusal.QVD"));
    dialog_->script = {game};
    f.SaveData->trigger();
    SavedGame saved;
    QString error;
    QVERIFY2(loadGameFile(game, &saved, &error), qPrintable(error));
    QCOMPARE(saved.pictureFile, QString());  // the default picture it was played on
  }

  // Whatever the reason, one message in the player's terms.
  void refusalReasons_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("english");
    QTest::newRow("not a picture") << "text-named-bmp.bmp" << QStringLiteral(u"画像ではありません") << false;
    QTest::newRow("kind not taken") << "tiff-named-bmp.bmp" << QStringLiteral(u"対応していません") << false;
    QTest::newRow("too large even reduced")
        << "jpeg-gigapixel-65500x65500.jpg" << QStringLiteral(u"（65500×65500。13 億 6516 万画素までです）") << false;
    QTest::newRow("too large even reduced, in English")
        << "jpeg-gigapixel-65500x65500.jpg" << QStringLiteral(u"(65500×65500; the limit is 1,365,166,590 pixels).")
        << true;
    QTest::newRow("damaged") << "jpeg-headers-only.jpg" << QStringLiteral(u"壊れています") << false;
    QTest::newRow("missing") << "no-such-file.bmp" << QStringLiteral(u"みつからない") << false;
  }
  void refusalReasons() {
    QFETCH(QString, file);
    QFETCH(QString, reason);
    QFETCH(bool, english);
    std::optional<testsupport::EnglishUi> inEnglish;
    if (english) inEnglish.emplace();
    const QString path = qEnvironmentVariable("QUAVINTO_TEST_DATA") + QStringLiteral("/pictures/bad/") + file;
    // Chosen in the dialog (which itself refuses a missing file) and dropped.
    for (const bool byDrop : {false, true}) {
      if (!byDrop && !QFile::exists(path)) continue;
      boxes_->shown.clear();
      Form1 f;
      if (byDrop)
        dropFile(f, path);
      else
        choose(f, path);
      QCOMPARE(boxes_->shown.size(), 1);
      QCOMPARE(boxes_->shown.first().style, 48);
      QCOMPARE(boxes_->shown.first().title, QStringLiteral("QUAVINTO"));
      QVERIFY2(boxes_->shown.first().text.contains(reason), qPrintable(boxes_->shown.first().text));
      QVERIFY(f.vars().PictureFile.isEmpty());
      QCOMPARE(f.state().PictureWidth, int16_t(384));
    }
  }

  // The pictures that reached the board, chosen or dropped: newest first,
  // ten at most, each once, in the state folder; refused ones are not kept.
  void recentPicturesList() {
    Form1 f;
    QStringList loaded;
    for (int i = 0; i < 12; ++i) {
      loaded.prepend(makePicture(QStringLiteral("recent-%1.bmp").arg(i), 60 + i, 40));
      choose(f, loaded.first());
    }
    choose(f, writeFile(QStringLiteral("refused.png"), "not a picture"));
    dropFile(f, loaded[5]);
    QStringList expected = loaded.mid(0, 10);
    expected.move(5, 0);
    QCOMPARE(readRecentPictures(), expected);
    QCOMPARE(recentPicturesFile(), settings_->dir.filePath(QStringLiteral("state/quavinto/recent-pictures")));
    QFile file(recentPicturesFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    // A full disk keeps the list there was.
    platform::setWriteFailureForTests(10);
    choose(f, loaded[9]);
    platform::setWriteFailureForTests(-1);
    QCOMPARE(readRecentPictures(), expected);
  }

  // A list that is no regular file is never waited on and reads as empty; of
  // one too long the first whole lines are kept; a line with a NUL names no
  // file and is left out; a name that is not UTF-8 is kept byte for byte.
  void recentListReadAsUntrusted_data() { testsupport::addHostileFileRows(); }
  void recentListReadAsUntrusted() {
    QFETCH(QString, kind);
    const QString a = makePicture(QStringLiteral("list-a.bmp"), 60, 40);
    const QString b = makePicture(QStringLiteral("list-b.bmp"), 60, 40);
    QByteArray content = a.toUtf8() + "\n/p/\xff\xfe.bmp\n/p/a@b.bmp\n" + b.toUtf8() + "\n";
    QVERIFY(QDir().mkpath(QFileInfo(recentPicturesFile()).path()));
    QVERIFY(testsupport::makeHostileFile(recentPicturesFile(), kind, 64 * 1024, content.replace('@', '\0')));
    const QStringList read = readRecentPictures();
    alarm(0);
    const bool lines = kind == QLatin1String("big") || kind == QLatin1String("nul");
    const QString odd = platform::fileNameFromBytes("/p/\xff\xfe.bmp");
    QCOMPARE(read, lines ? (QStringList{a, odd, b}) : QStringList());
    rememberRecentPicture(b);
    const QStringList after = lines ? QStringList{b, a, odd} : QStringList{b};
    QCOMPARE(readRecentPictures(), kind == QLatin1String("folder") ? QStringList() : after);
    QFile file(recentPicturesFile());
    QVERIFY(kind == QLatin1String("folder") || file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QVERIFY(!written.contains("\xef\xbf\xbd"));
    QCOMPARE(written.contains("\n/p/\xff\xfe.bmp\n"), lines);
  }

  // 最近使った画像, right after 画像読み込み: the entries show at once with a
  // placeholder and take their thumbnails from the worker thread; choosing
  // one loads it as the picture command does; a picture that has gone is
  // shown as such, refused with the missing-file message and taken off; the
  // last item clears the list.
  void recentPicturesMenu() {
    Form1 f;
    const QString a = makePicture(QStringLiteral("menu-a.bmp"), 120, 80);
    const QString b = makePicture(QStringLiteral("menu-b.bmp"), 90, 60);
    const QString gone = makePicture(QStringLiteral("menu-gone.bmp"), 100, 100);
    for (const QString& path : {gone, a, b}) choose(f, path);
    QVERIFY(QFile::remove(gone));
    RecentPicturesMenu* menu = f.RecentPictures;
    QCOMPARE(f.TopFile->actions().at(1), menu->menuAction());
    const auto captions = [menu] {
      emit menu->aboutToShow();
      QStringList list;
      for (QAction* action : menu->actions()) list << (action->isSeparator() ? QStringLiteral("-") : action->text());
      return list;
    };
    const int madeOnUiThread = quavinto::thumbnailsMadeOnUiThread();
    QCOMPARE(captions(), (QStringList{QStringLiteral("menu-b.bmp"), QStringLiteral("menu-a.bmp"),
                                      QStringLiteral(u"menu-gone.bmp（見つかりません）"), QStringLiteral("-"),
                                      QStringLiteral(u"一覧を消去")}));
    const qint64 placeholder = menu->entryOf(gone)->icon().cacheKey();
    QCOMPARE(menu->entryOf(a)->icon().cacheKey(), placeholder);
    QTRY_VERIFY(menu->entryOf(a)->icon().cacheKey() != placeholder &&
                menu->entryOf(b)->icon().cacheKey() != placeholder);
    QCOMPARE(quavinto::thumbnailsMadeOnUiThread(), madeOnUiThread);

    startPlaying(f);
    menu->entryOf(a)->trigger();
    QCOMPARE(f.state().GameRunning, int16_t(0));
    QCOMPARE(f.vars().PictureFile, a);
    QCOMPARE(f.state().PictureWidth, int16_t(120));
    QVERIFY(solvedOrder(f.state()));
    QCOMPARE(readRecentPictures(), (QStringList{a, b, gone}));

    boxes_->shown.clear();
    captions();
    menu->entryOf(gone)->trigger();
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(boxes_->shown.first().text, pictureRefusalText(gone, decode::PictureProblem::CannotOpen));
    QCOMPARE(f.vars().PictureFile, a);
    QCOMPARE(readRecentPictures(), (QStringList{a, b}));

    // Closed whenever the picture command is.
    f.LoadPictureEx->setEnabled(false);
    QVERIFY(!menu->menuAction()->isEnabled());
    f.LoadPictureEx->setEnabled(true);
    QVERIFY(menu->menuAction()->isEnabled());

    captions();
    menu->clearAction()->trigger();
    QCOMPARE(readRecentPictures(), QStringList());
    QCOMPARE(captions(),
             (QStringList{QStringLiteral(u"（なし）"), QStringLiteral("-"), QStringLiteral(u"一覧を消去")}));
    QVERIFY(!menu->clearAction()->isEnabled());
  }

  void droppedFileLoadsLikeChosen() {
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    startPlaying(f);
    const QString path = makePicture(QStringLiteral("dropped.bmp"), 300, 200);
    dropFile(f, path);
    QCOMPARE(f.state().GameRunning, int16_t(0));
    QCOMPARE(f.vars().PictureFile, path);
    QCOMPARE(f.state().PictureWidth, int16_t(300));
    QVERIFY(f.GStart->isEnabled());
    QVERIFY(!f.GStop->isEnabled());
    QVERIFY(solvedOrder(f.state()));

    // A name that is not UTF-8 (Latin-1 "été"), dropped as a file manager
    // sends it, loads; it heads the recent list byte for byte, shows there
    // with U+FFFD and opens from it again.
    const QByteArray oddBytes = QFile::encodeName(dir_.path()) + "/\xe9t\xe9.bmp";
    QCOMPARE(::rename(QFile::encodeName(makePicture(QStringLiteral("odd.bmp"), 200, 100)).constData(),
                      oddBytes.constData()),
             0);
    const QString odd = platform::fileNameFromBytes(oddBytes);
    dropUrl(f, QUrl::fromEncoded("file://" + oddBytes.toPercentEncoding("/")));
    QCOMPARE(f.vars().PictureFile, odd);
    QCOMPARE(f.state().PictureWidth, int16_t(200));
    QCOMPARE(readRecentPictures(), (QStringList{odd, path}));
    dropFile(f, path);
    emit f.RecentPictures->aboutToShow();
    QAction* entry = f.RecentPictures->entryOf(odd);
    QVERIFY(entry);
    QCOMPARE(entry->text(), QStringLiteral(u"\uFFFDt\uFFFD.bmp"));
    entry->trigger();
    QCOMPARE(f.vars().PictureFile, odd);
    QCOMPARE(f.state().PictureWidth, int16_t(200));
    QCOMPARE(readRecentPictures(), (QStringList{odd, path}));
  }

  // A drop that cannot become the board changes nothing: the game goes on
  // with its arrangement and clock, PictureFile stays, and the player is told
  // why. Files that are no files (a named pipe, a link to /dev/zero) are
  // refused at once, never read.
  // A picture dropped just before a start is taken only if the start has not
  // begun preparing the board: it never rebuilds the board under a shuffle.
  void dropTakenAfterAStartBeganIsLeftAlone() {
    const QString path = makePicture(QStringLiteral("late.png"), 260, 210, "PNG");
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&f, &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&f, &drop);
    QVERIFY(drop.isAccepted());
    // The start serves the window while it prepares, where the drop's turn
    // comes; it is served at once when it has waited long enough (no events
    // are handled while waiting here).
    QThread::msleep(20);
    boxes_->answer(platform::vbNo);
    f.GStart_Click();
    QCoreApplication::processEvents();
    QVERIFY(f.vars().PictureFile.isEmpty());
    QCOMPARE(boxes_->shown.size(), 1);  // the start's question only
    QCOMPARE(testsupport::windowBoardProblem(f), QString());
  }

  void refusedDropChangesNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("outcome");
    QTest::newRow("text") << "text" << int(PictureOutcome::Unusable);
    QTest::newRow("unknown extension") << "extension" << int(PictureOutcome::NameRefused);
    QTest::newRow("named pipe") << "pipe" << int(PictureOutcome::Unusable);
    QTest::newRow("link to /dev/zero") << "zero" << int(PictureOutcome::Unusable);
    QTest::newRow("too small for the grid") << "small" << int(PictureOutcome::GridTooSmall);
  }
  void refusedDropChangesNothing() {
    QFETCH(QString, kind);
    QFETCH(int, outcome);
    QString path;
    if (kind == QLatin1String("text")) path = writeFile(QStringLiteral("readme.jpg"), "plain text\n");
    if (kind == QLatin1String("extension")) path = makePicture(QStringLiteral("picture.tiff"), 100, 100);
    if (kind == QLatin1String("pipe")) {
      path = dir_.filePath(QStringLiteral("pipe.bmp"));
      QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    }
    if (kind == QLatin1String("zero")) {
      path = dir_.filePath(QStringLiteral("zero.jpg"));
      QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    }
    if (kind == QLatin1String("small")) path = makePicture(QStringLiteral("tiny.png"), 3, 3, "PNG");
    QVERIFY(!path.isEmpty());
    Form1 f;
    startPlaying(f);
    const GameState before = f.state();
    const QImage board = f.Picture1->retained();
    QElapsedTimer timer;
    timer.start();
    int shownAtReturn = -1;
    dropFile(f, path, &shownAtReturn);
    QVERIFY(timer.elapsed() < 2000);
    // The file manager's drag is over before the refusal is shown.
    QCOMPARE(shownAtReturn, 1);
    QCOMPARE(f.state().GameRunning, int16_t(1));
    QVERIFY(f.GStop->isEnabled());
    QVERIFY(!f.GStart->isEnabled());
    QVERIFY(f.state().Map == before.Map);
    QVERIFY(f.state().RMap == before.RMap);
    QVERIFY(f.vars().PictureFile.isEmpty());
    QCOMPARE(f.Picture1->retained(), board);
    QCOMPARE(boxes_->shown.size(), 2);  // the start's question, then the refusal
    QCOMPARE(boxes_->shown.last().style, 48);
    // The same file taken directly: its outcome names the refusal and what the
    // message tells, no box is opened, and the game goes on.
    const BoardOutcome refused = loadChosenPicture(f, path, true);
    QCOMPARE(int(refused.outcome), outcome);
    QCOMPARE(refused.path, path);
    QCOMPARE(boxes_->shown.size(), 2);
    if (refused.outcome == PictureOutcome::GridTooSmall) {
      QCOMPARE(refused.misfit.pictureWidth, 3);
      QCOMPARE(refused.misfit.pictureHeight, 3);
      QCOMPARE(refused.misfit.xn, int(f.state().Xn));
      QCOMPARE(boxes_->shown.last().text, boardTooSmallText(3, 3, f.state().Xn, f.state().Yn));
    }
    QCOMPARE(f.state().GameRunning, int16_t(1));
    QVERIFY(f.state().Map == before.Map);
  }

  // A new picture always starts in solved order: after a shuffled game, and
  // after a game read from a file.
  void newPictureStartsSolved() {
    Form1 f;
    testsupport::FakeClock clock(1000.0);
    startPlaying(f);
    QVERIFY(!solvedOrder(f.state()));
    choose(f, makePicture(QStringLiteral("after-game.bmp"), 250, 200));
    QVERIFY(solvedOrder(f.state()));
    QCOMPARE(testsupport::checkBoard(f.Picture1->retained(), f.Picture1->picture(), f.state(), f.vars()), QString());

    startPlaying(f);
    const QString game = dir_.filePath(QStringLiteral("shuffled.QVD"));
    dialog_->script = {game};
    f.SaveData->trigger();
    dialog_->script = {game};
    boxes_->answer(platform::vbNo);
    f.ReadData->trigger();
    QCOMPARE(f.state().ResumeFlag, int16_t(1));
    QVERIFY(!solvedOrder(f.state()));
    dropFile(f, makePicture(QStringLiteral("after-read.png"), 260, 210, "PNG"));
    QCOMPARE(f.state().PictureWidth, int16_t(260));
    QCOMPARE(f.state().ResumeFlag, int16_t(0));
    QVERIFY(solvedOrder(f.state()));
    QCOMPARE(testsupport::checkBoard(f.Picture1->retained(), f.Picture1->picture(), f.state(), f.vars()), QString());
  }
};

QTEST_MAIN(PictureCommandsTest)
#include "tst_picturecommands.moc"
