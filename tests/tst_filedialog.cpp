// The common file dialog: what it shows, how a picked name is finished and
// checked, the create question, and the real Qt dialog driven offscreen.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <functional>

#include "pictures/PictureLoading.h"
#include "pictures/PicturePreview.h"
#include "platform/FileDialog.h"
#include "platform/FileNames.h"
#include "support/TestSupport.h"

using platform::CommonDialog;

namespace {

const QString kCancel;  // a null text: the player cancels

using ScriptedDialog = testsupport::ScriptedFileDialog;

void touch(const QString& path) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
}

const QString kPictureFilter =
    QStringLiteral(u"BMP形式(*.BMP)|*.BMP|GIF形式(*.GIF)|*.GIF|JPEG形式(*.JPG)|*.JPG|すべて(*.*)|*.*");

// What the player cannot read whole in the dialog: the folder box's path
// (the box shortens it in the middle when it lacks room) and the names in
// the list, whichever view shows them.
QStringList cutTexts(QFileDialog* dialog) {
  QStringList cut;
  auto* folder = dialog->findChild<QComboBox*>(QStringLiteral("lookInCombo"));
  if (!folder) return {QStringLiteral("no folder box")};
  QStyleOptionComboBox option;
  option.initFrom(folder);
  const QRect field =
      folder->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, folder);
  if (folder->fontMetrics().horizontalAdvance(folder->currentText()) > field.width() - folder->iconSize().width() - 4)
    cut << QStringLiteral("folder %1 in %2 px").arg(folder->currentText()).arg(field.width());
  for (auto* view : dialog->findChildren<QAbstractItemView*>()) {
    if (!view->isVisible() || view->objectName() == QLatin1String("sidebar") || qobject_cast<QHeaderView*>(view))
      continue;
    for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r) {
      const QModelIndex index = view->model()->index(r, 0, view->rootIndex());
      const QRect place = view->visualRect(index);
      const int wanted = view->fontMetrics().horizontalAdvance(index.data().toString()) + view->iconSize().width();
      if (place.width() < wanted || place.left() < 0 || place.right() >= view->viewport()->width())
        cut << QStringLiteral("%1 in %2").arg(index.data().toString(), view->objectName());
    }
  }
  return cut;
}

}  // namespace

class TestFileDialog : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString in(const QString& name) const { return dir_.filePath(name); }

  // Drives the file dialog once it is up, then, whatever happened, never
  // leaves it open.
  void driveWhenOpen(QTimer& poll, const std::function<void(QFileDialog*)>& drive) {
    connect(&poll, &QTimer::timeout, this, [&poll, drive] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      poll.stop();
      drive(dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    poll.start(10);
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    for (const char* name : {"cat.bmp", "CAT2.BMP", "dog.Bmp", "bird.gif", "README", "old.QVD", "phone.JPG",
                             "photo.jpeg", "shot.Png", "still.webp"})
      touch(in(QString::fromLatin1(name)));
    QVERIFY(QDir().mkdir(in(QStringLiteral("sub.dir"))));
  }

  void responderSeesThePropertiesAndTheyStay() {
    CommonDialog d;
    d.fileName = in(QStringLiteral("cat.bmp"));
    d.filter = kPictureFilter;
    d.filterIndex = 2;
    d.defaultExt = QStringLiteral(".BMP");
    d.initDir = dir_.path();
    d.flags = 0x1004;
    d.cancelError = true;
    ScriptedDialog script({QStringLiteral("bird.gif"), kCancel});
    QVERIFY(d.showOpen());
    QCOMPARE(d.fileName, in(QStringLiteral("bird.gif")));
    QCOMPARE(script.shown.size(), size_t(1));
    const auto& s = script.shown[0];
    QCOMPARE(s.effectiveTitle(), QStringLiteral(u"開く"));
    QCOMPARE(s.fileName, in(QStringLiteral("cat.bmp")));
    QCOMPARE(s.filter, kPictureFilter);
    QCOMPARE(s.filterIndex, 2);
    QCOMPARE(s.defaultExt, QStringLiteral(".BMP"));
    QCOMPARE(s.initDir, dir_.path());
    QCOMPARE(s.flags, 0x1004);
    // Cancel: the chosen name stays when cancel is an error, and is emptied otherwise.
    QVERIFY(!d.showOpen());
    QCOMPARE(d.fileName, in(QStringLiteral("bird.gif")));
    QCOMPARE(d.filterIndex, 2);
    d.cancelError = false;
    QVERIFY(!d.showOpen());
    QVERIFY(d.fileName.isEmpty());
  }

  // What a typed or picked name becomes, and which message a refused one gives.
  void finishesTheChoice_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer");    // to the message box, 0 for none expected
    QTest::addColumn<QString>("want");  // relative to the folder; empty = refused
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, int flags, const char* typed, int answer, const char* want,
                        const char* message) {
      QTest::newRow(name) << flags << QString::fromUtf8(typed) << answer << QString::fromUtf8(want)
                          << QString::fromUtf8(message);
    };
    row("existing, relative", 0x1004, "cat.bmp", 0, "cat.bmp", "");
    row("existing, absolute", 0x1004, "<dir>/bird.gif", 0, "bird.gif", "");
    row("existing without extension", 0x1004, "README", 0, "README", "");
    row("extension added to an existing one", 0x1004, "old", 0, "old.QVD", "");
    row("missing, must exist", 0x1004, "gone.QVD", 0, "", "gone.QVD\r\nファイルが見つかりません。");
    row("new name, no flags", 0, "new", 0, "new.QVD", "");
    row("own extension kept", 0, "new.txt", 0, "new.txt", "");
    row("trailing dot: as typed", 0, "new.", 0, "new.", "");
    row("create question, yes", 0x2806, "fresh", platform::vbYes, "fresh.QVD",
        "fresh.QVD は存在しません。\r\n作成しますか?");
    row("create question, no", 0x2806, "fresh", platform::vbNo, "", "fresh.QVD は存在しません。\r\n作成しますか?");
    row("existing, overwrite question, yes", 0x2806, "old.QVD", platform::vbYes, "old.QVD",
        "old.QVD は既に存在します。\r\n上書きしますか?");
    row("existing, overwrite question, no", 0x2806, "old", platform::vbNo, "",
        "old.QVD は既に存在します。\r\n上書きしますか?");
    row("existing, no overwrite flag", 0x2804, "old.QVD", 0, "old.QVD", "");
    row("folder missing, path must exist", 0x2806, "nowhere/x", 0, "", "パスが存在しません");
    row("folder missing, no flags", 0, "nowhere/x", 0, "nowhere/x.QVD", "");
    row("folder name: dialog stays", 0, "sub.dir", 0, "", "");
    row("empty", 0x2806, "", 0, "", "");
    // A name not in UTF-8, as the dialog lists it: the file it stands for,
    // unless two names look alike.
    QTest::newRow("shown with U+FFFD") << 0x1004 << QStringLiteral(u"latin1/\uFFFDt\uFFFD.bmp") << 0
                                       << platform::fileNameFromBytes("latin1/\xe9t\xe9.bmp") << QString();
    row("two names shown alike", 0x1004, "latin1/tw\xef\xbf\xbdin.bmp", 0, "", "\r\nファイルが見つかりません。");
  }
  void finishesTheChoice() {
    QFETCH(int, flags);
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(QString, want);
    QFETCH(QString, message);
    testsupport::ScriptedBoxes boxes;
    if (answer) boxes.answer(answer);
    CommonDialog d;
    d.initDir = dir_.path();
    d.defaultExt = QStringLiteral(".QVD");
    d.flags = flags;
    d.dialogTitle = QStringLiteral(u"ゲームの状態を保存");
    // Names in Latin-1, made with their own bytes, in a folder of their own
    // while the row runs.
    const bool latin1 = typed.startsWith(QLatin1String("latin1/"));
    const QByteArray folder = QFile::encodeName(in(QStringLiteral("latin1"))) + '/';
    const char* names[] = {"\xe9t\xe9.bmp", "tw\xe9in.bmp", "tw\xe8in.bmp"};
    if (latin1) {
      QCOMPARE(::mkdir(folder.constData(), 0755), 0);
      for (const char* name : names) QCOMPARE(::close(::open((folder + name).constData(), O_CREAT | O_WRONLY, 0644)), 0);
    }
    const QString got = d.finishChoice(typed.replace(QStringLiteral("<dir>"), dir_.path()));
    if (latin1) {
      for (const char* name : names) QCOMPARE(::unlink((folder + name).constData()), 0);
      QCOMPARE(::rmdir(folder.constData()), 0);
    }
    QCOMPARE(got, want.isEmpty() ? QString() : in(want));
    QCOMPARE(boxes.shown.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
      QVERIFY2(boxes.shown[0].text.contains(message), qPrintable(boxes.shown[0].text));
      QCOMPARE(boxes.shown[0].title, d.dialogTitle);
      QCOMPARE(boxes.shown[0].style, answer ? 4 + 48 : 48);
    }
  }

  // The caller's own rule sees the full path and refuses before any question;
  // the player is asked for another name.
  // A name typed in a folder the player may not read is reported as
  // unreadable, not as missing. Checked in a child process that is not root,
  // since root reads every folder.
  void unreadableFolderIsNotMissing() {
    QTemporaryDir top;
    const QString locked = top.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkdir(locked));
    touch(locked + QStringLiteral("/cat.bmp"));
    QVERIFY(QFile::setPermissions(
        top.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    QVERIFY(QFile::setPermissions(locked, {}));
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
      if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
      testsupport::ScriptedBoxes boxes;
      CommonDialog d;
      d.initDir = top.path();
      d.flags = 0x1004;
      const QString got = d.finishChoice(QStringLiteral("locked/cat.bmp"));
      _exit(!got.isEmpty()                                                                ? 1
            : boxes.shown.size() != 1                                                     ? 2
            : boxes.shown[0].text.contains(QStringLiteral(u"読み取りが許可されていない")) ? 0
                                                                                          : 4);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
  }

  void callersCheckRefusesAChoice() {
    testsupport::ScriptedBoxes boxes;
    CommonDialog d;
    d.initDir = dir_.path();
    d.defaultExt = QStringLiteral(".QVD");
    d.flags = 0x2806;
    QStringList seen;
    const platform::ChoiceCheck check = [&](const QString& path) {
      seen << path;
      return path.endsWith(QLatin1String("cat.bmp")) ? QStringLiteral(u"使えません") : QString();
    };
    ScriptedDialog script({QStringLiteral("cat.bmp"), QStringLiteral("old")});
    boxes.answer(platform::vbYes);  // replace old.QVD
    QVERIFY(d.showOpen(nullptr, check));
    QCOMPARE(d.fileName, in(QStringLiteral("old.QVD")));
    QCOMPARE(seen, QStringList({in(QStringLiteral("cat.bmp")), in(QStringLiteral("old.QVD"))}));
    QCOMPARE(boxes.shown.size(), 2);
    QCOMPARE(boxes.shown[0].text, QStringLiteral(u"使えません"));
    QCOMPARE(boxes.shown[0].style, 48);
    QVERIFY(boxes.shown[1].text.contains(QStringLiteral(u"上書きしますか")));
    // The rule holds for that showing only.
    ScriptedDialog again({QStringLiteral("cat.bmp")});
    QVERIFY(d.showOpen());
    QCOMPARE(d.fileName, in(QStringLiteral("cat.bmp")));
  }

  // A refused answer keeps the dialog open: the player is asked again.
  void asksAgainAfterARefusal() {
    testsupport::ScriptedBoxes boxes;
    boxes.answer(platform::vbNo);
    CommonDialog d;
    d.initDir = dir_.path();
    d.defaultExt = QStringLiteral(".QVD");
    d.flags = 0x2806;
    ScriptedDialog script({QStringLiteral("first"), QStringLiteral("second")});
    QVERIFY(d.showOpen());
    QCOMPARE(d.fileName, in(QStringLiteral("second.QVD")));
    QCOMPARE(script.shown.size(), size_t(2));
    QCOMPARE(boxes.shown.size(), 2);

    std::deque<QString> endless(50, QStringLiteral("missing.bmp"));
    ScriptedDialog stubborn(endless);
    d.flags = 0x1004;
    d.cancelError = true;
    QVERIFY(!d.showOpen());
    QCOMPARE(stubborn.shown.size(), size_t(20));
  }

  void filterIndexIsKeptInRange() {
    CommonDialog d;
    d.filter = kPictureFilter;
    ScriptedDialog script({kCancel, kCancel});
    d.filterIndex = 0;
    d.showOpen();
    d.filterIndex = 9;
    d.showOpen();
    QCOMPARE(script.shown[0].filterIndex, 1);
    QCOMPARE(script.shown[1].filterIndex, 4);
  }

  // The picture dialog's own entries, each listing its kind whatever the letter case.
  void patternsIgnoreLetterCase_data() {
    QTest::addColumn<int>("entry");
    QTest::addColumn<QStringList>("matches");
    QTest::newRow("BMP") << 0 << QStringList{"CAT2.BMP", "cat.bmp", "dog.Bmp"};
    QTest::newRow("GIF") << 1 << QStringList{"bird.gif"};
    QTest::newRow("JPG") << 2 << QStringList{"phone.JPG"};
    QTest::newRow("all, names without a dot too")
        << 3 << QStringList{"CAT2.BMP", "README",    "bird.gif",   "cat.bmp",  "dog.Bmp",
                            "old.QVD",  "phone.JPG", "photo.jpeg", "shot.Png", "still.webp"};
    QTest::newRow("PNG") << 4 << QStringList{"shot.Png"};
    QTest::newRow("WebP") << 5 << QStringList{"still.webp"};
    QTest::newRow("JPEG") << 6 << QStringList{"photo.jpeg"};
    QTest::newRow("every picture, last") << 7 << QStringList{"CAT2.BMP",  "bird.gif",   "cat.bmp",  "dog.Bmp",
                                                             "phone.JPG", "photo.jpeg", "shot.Png", "still.webp"};
  }
  void patternsIgnoreLetterCase() {
    QFETCH(int, entry);
    QFETCH(QStringList, matches);
    const QString filter = quavinto::pictureFilter();
    const QStringList filters = platform::qtNameFilters(filter);
    QCOMPARE(filters.size(), 8);
    QVERIFY(filters[entry].startsWith(filter.split(QLatin1Char('|'))[2 * entry]));
    QDir d(dir_.path());
    d.setFilter(QDir::Files | QDir::CaseSensitive);
    d.setNameFilters(platform::qtNamePatterns(filters[entry]));
    d.setSorting(QDir::Name);
    QCOMPARE(d.entryList(), matches);
  }

  // The real dialog, driven offscreen: it opens as set, lists files whatever
  // their letter case, and a new name typed in it goes through the create
  // question and gets the default extension.
  void realDialogOpensAsSetAndFinishesTheName() {
    testsupport::ScriptedBoxes boxes;
    CommonDialog d;
    d.dialogTitle = QStringLiteral(u"ゲームの状態を保存");
    d.filter = kPictureFilter;
    d.filterIndex = 1;
    d.defaultExt = QStringLiteral(".BMP");
    d.initDir = dir_.path();
    d.fileName = in(QStringLiteral("cat.bmp"));
    d.flags = 0x2806;
    d.cancelError = true;
    QString title, selectedFilter, directory;
    QStringList listed;
    bool typed = false;
    const auto drive = [&](QFileDialog* dialog) {
      title = dialog->windowTitle();
      selectedFilter = dialog->selectedNameFilter();
      directory = dialog->directory().absolutePath();
      auto* view = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
      QVERIFY(view);
      QTRY_VERIFY_WITH_TIMEOUT(view->model()->rowCount(view->rootIndex()) >= 4, 5000);
      for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
        listed += view->model()->index(r, 0, view->rootIndex()).data().toString();
      auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QVERIFY(edit);
      // The player types into the focused name box, which drops the preselection.
      dialog->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(dialog));
      edit->setFocus();
      QTRY_VERIFY(edit->hasFocus());
      edit->selectAll();
      QTest::keyClicks(edit, QStringLiteral("drawing"));
      typed = true;
      QTest::keyClick(edit, Qt::Key_Return);
    };
    QTimer poll;
    driveWhenOpen(poll, drive);
    const bool ok = d.showOpen();
    QVERIFY(typed);
    QCOMPARE(title, d.dialogTitle);
    QVERIFY(selectedFilter.startsWith(QStringLiteral(u"BMP形式(*.BMP)")));
    QCOMPARE(directory, QDir(dir_.path()).absolutePath());
    listed.sort();
    QCOMPARE(listed, (QStringList{"CAT2.BMP", "cat.bmp", "dog.Bmp", "sub.dir"}));
    QVERIFY(ok);
    QCOMPARE(d.fileName, in(QStringLiteral("drawing.BMP")));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral(u"drawing.BMP は存在しません。\r\n作成しますか?"));
  }

  // Asked for, the real dialog shows the selected picture's thumbnail and
  // size beside the list, following the selection; the next showing has no
  // preview unless asked again.
  void realDialogPreviewsTheSelectedPicture() {
    QTemporaryDir cache, pictures;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(pictures.filePath(QStringLiteral("view.png"))));
    QVERIFY(picture.scaled(300, 200).save(pictures.filePath(QStringLiteral("IMG_20240512_183045.png"))));
    CommonDialog d;
    d.filter = kPictureFilter;
    d.filterIndex = 4;
    d.initDir = pictures.path();
    d.fileName = QStringLiteral("view.png");
    d.sideWidget = quavinto::picturePreviewBeside;
    QStringList sizes;
    bool shown = false;
    const auto drive = [&](QFileDialog* dialog) {
      auto* preview = dialog->findChild<quavinto::PicturePreview*>();
      QVERIFY(preview);
      QTRY_VERIFY_WITH_TIMEOUT(!preview->sizeLabel()->text().isEmpty(), 5000);
      sizes += preview->sizeLabel()->text();
      shown = !preview->imageLabel()->pixmap().isNull() && preview->isVisible();
      // The player moves to the other picture in the list.
      auto* view = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
      QVERIFY(view);
      QTRY_VERIFY_WITH_TIMEOUT(view->model()->rowCount(view->rootIndex()) == 2, 5000);
      for (int r = 0; r < 2; ++r) {
        const QModelIndex index = view->model()->index(r, 0, view->rootIndex());
        if (index.data().toString() == QLatin1String("IMG_20240512_183045.png")) view->setCurrentIndex(index);
      }
      QTRY_VERIFY_WITH_TIMEOUT(preview->picture().endsWith(QLatin1String("IMG_20240512_183045.png")), 5000);
      QTRY_VERIFY_WITH_TIMEOUT(!preview->sizeLabel()->text().isEmpty(), 5000);
      sizes += preview->sizeLabel()->text();
      // Beside the preview, the folder and the names read whole in either view.
      const QFileDialog::ViewMode mode = dialog->viewMode();
      for (const QFileDialog::ViewMode m : {QFileDialog::List, QFileDialog::Detail}) {
        dialog->setViewMode(m);
        QTRY_VERIFY2_WITH_TIMEOUT(cutTexts(dialog).isEmpty(), qPrintable(cutTexts(dialog).join(", ")), 2000);
      }
      dialog->setViewMode(mode);
    };
    QTimer poll;
    driveWhenOpen(poll, drive);
    QVERIFY(!d.showOpen());
    QVERIFY(shown);
    QCOMPARE(sizes, (QStringList{QStringLiteral(u"640 × 480 画素"), QStringLiteral(u"300 × 200 画素")}));
    QVERIFY(QFile::exists(cache.filePath(QStringLiteral("thumbnails/large"))));
    QVERIFY(!d.sideWidget);
    qunsetenv("XDG_CACHE_HOME");
  }
};

QTEST_MAIN(TestFileDialog)
#include "tst_filedialog.moc"
