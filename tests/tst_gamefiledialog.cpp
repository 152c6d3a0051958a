// The game-file dialog: where it opens, what it offers, and what it returns,
// with the file dialog answered by a script.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>

#include "persistence/GameFileDialog.h"
#include "platform/StartFolders.h"
#include "support/TestSupport.h"

using platform::CommonDialog;

namespace {

const QString kCancel;  // a null text: the player cancels

using ScriptedDialog = testsupport::ScriptedFileDialog;

const QString kFilter = QStringLiteral(u"GAMEDATA(*.QVD)|*.QVD|すべて(*.*)|*.*");
const QString kSaveTitle = QStringLiteral(u"ゲームの状態を保存");
const QString kReadTitle = QStringLiteral(u"ゲームの状態を読み出し");

// The window's part: the set-up dialog shown with the check it came with.
bool show(const quavinto::GameState& g, CommonDialog& dlg) {
  const platform::ChoiceCheck check = quavinto::prepareGameFileDialog(g, dlg);
  return dlg.showOpen(nullptr, check);
}

}  // namespace

class TestGameFileDialog : public QObject {
  Q_OBJECT

 private slots:
  // A program in a folder of its own (a build) starts both dialogs beside
  // itself; an installed one, in the player's pictures folder (else home) and
  // home. "installed" is the layout cmake --install and the package make.
  void startFoldersFollowTheInstallation_data() {
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("picturesFolder");
    QTest::addColumn<QString>("pictures");
    QTest::addColumn<QString>("games");
    QTest::newRow("build folder") << false << true << "<program>"
                                  << "<program>";
    QTest::newRow("installed") << true << true << "<home>/Bilder"
                               << "<home>";
    QTest::newRow("installed, no pictures folder") << true << false << "<home>"
                                                   << "<home>";
  }
  void startFoldersFollowTheInstallation() {
    QFETCH(bool, installed);
    QFETCH(bool, picturesFolder);
    QFETCH(QString, pictures);
    QFETCH(QString, games);
    QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("home")), program = root.filePath(QStringLiteral("prefix/games"));
    QVERIFY(QDir().mkpath(program) && QDir().mkpath(home + QStringLiteral("/.config")));
    if (installed) QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("prefix/share/quavinto/help"))));
    if (picturesFolder) QVERIFY(QDir().mkpath(home + QStringLiteral("/Bilder")));
    QFile dirs(home + QStringLiteral("/.config/user-dirs.dirs"));
    QVERIFY(dirs.open(QIODevice::WriteOnly) && dirs.write("XDG_PICTURES_DIR=\"$HOME/Bilder\"\n") > 0);
    dirs.close();
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
    const QString gotPictures = platform::startFolder(platform::StartFolder::Pictures, program);
    const QString gotGames = platform::startFolder(platform::StartFolder::GameFiles, program);
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    QCOMPARE(platform::isInstalledProgram(program), installed);
    QCOMPARE(gotPictures, pictures.replace("<program>", program).replace("<home>", home));
    QCOMPARE(gotGames, games.replace("<program>", program).replace("<home>", home));
  }

  void firstUseOpensInTheProgramsFolder_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("checked");
    QTest::newRow("read") << "READ" << kReadTitle << 0x1004 << false;
    QTest::newRow("save") << "SAVE" << kSaveTitle << 0x2806 << true;
  }
  void firstUseOpensInTheProgramsFolder() {
    QFETCH(QString, mode);
    QFETCH(QString, title);
    QFETCH(int, flags);
    QFETCH(bool, checked);
    quavinto::GameState g;
    g.FileDialogMode = mode;
    g.FileDialogTitle = title;
    CommonDialog dlg;
    dlg.fileName = QStringLiteral("/pics/cat.bmp");  // left by the picture dialog
    dlg.filterIndex = 3;
    testsupport::ScriptedBoxes boxes;
    ScriptedDialog script({kCancel});
    const platform::ChoiceCheck check = quavinto::prepareGameFileDialog(g, dlg);
    // Only a save checks the chosen name (the picture in play, a device).
    QCOMPARE(bool(check), checked);
    QVERIFY(script.shown.empty());  // the set-up shows nothing
    QVERIFY(!dlg.showOpen(nullptr, check));
    QCOMPARE(script.shown.size(), size_t(1));
    const CommonDialog& shown = script.shown[0];
    QCOMPARE(shown.initDir, QCoreApplication::applicationDirPath());
    QVERIFY(shown.fileName.isEmpty());
    QCOMPARE(shown.dialogTitle, title);
    QCOMPARE(shown.filter, kFilter);
    QCOMPARE(shown.filterIndex, 1);
    QCOMPARE(shown.defaultExt, QStringLiteral(".QVD"));
    QCOMPARE(shown.flags, flags);
    QVERIFY(shown.cancelError);
    // Cancelled: nothing chosen, nothing said.
    QVERIFY(g.GameFileName.isEmpty());
    QVERIFY(boxes.shown.isEmpty());
    // The title stays on the dialog for the next picture dialog.
    QCOMPARE(dlg.effectiveTitle(), title);
  }

  void saveOpensWhereTheLastReadWas() {
    quavinto::GameState g;
    g.GameFileName = QStringLiteral("/games/save1.QVD");
    g.FileDialogMode = QStringLiteral("SAVE");
    g.FileDialogTitle = kSaveTitle;
    CommonDialog dlg;
    ScriptedDialog script({kCancel});
    QVERIFY(!show(g, dlg));
    QCOMPARE(script.shown[0].initDir, QStringLiteral("/games"));
    QCOMPARE(script.shown[0].fileName, QStringLiteral("/games/save1.QVD"));
    QCOMPARE(g.GameFileName, QStringLiteral("/games/save1.QVD"));
  }

  void readAndSaveInARealFolder() {
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("save1.QVD"));
    QFile f(existing);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    quavinto::GameState g;
    CommonDialog dlg;
    testsupport::ScriptedBoxes boxes;
    boxes.answer(platform::vbYes);

    g.FileDialogMode = QStringLiteral("READ");
    g.FileDialogTitle = kReadTitle;
    {
      ScriptedDialog script({existing});
      QVERIFY(show(g, dlg));
    }
    QCOMPARE(dlg.fileName, existing);
    g.GameFileName = dlg.fileName;  // taken as the read takes the chosen file

    // A new name without extension, typed in the folder the dialog opened in.
    g.FileDialogMode = QStringLiteral("SAVE");
    g.FileDialogTitle = kSaveTitle;
    {
      ScriptedDialog script({QStringLiteral("save2")});
      QVERIFY(show(g, dlg));
      QCOMPARE(script.shown[0].initDir, dir.path());
    }
    QCOMPARE(dlg.fileName, dir.filePath(QStringLiteral("save2.QVD")));
    g.GameFileName = dlg.fileName;  // taken as the save takes the chosen file
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral(u"save2.QVD は存在しません。\r\n作成しますか?"));

    // Reading a file that is not there is refused until the player cancels.
    g.FileDialogMode = QStringLiteral("READ");
    {
      ScriptedDialog script({QStringLiteral("save3"), kCancel});
      QVERIFY(!show(g, dlg));
    }
    QCOMPARE(g.GameFileName, dir.filePath(QStringLiteral("save2.QVD")));
    QVERIFY(boxes.shown.last().text.contains(QStringLiteral(u"ファイルが見つかりません")));
  }

  void otherModesKeepTheFlags() {
    quavinto::GameState g;
    g.FileDialogMode = QStringLiteral("save");  // only the exact texts count
    CommonDialog dlg;
    dlg.flags = 0x1004;
    ScriptedDialog script({kCancel});
    show(g, dlg);
    QCOMPARE(script.shown[0].flags, 0x1004);
  }
};

QTEST_GUILESS_MAIN(TestGameFileDialog)
#include "tst_gamefiledialog.moc"
