// The settings command around its dialog, and both ways of leaving the game.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "core/GameFlow.h"
#include "platform/SettingsStore.h"
#include "shell/Form1.h"
#include "shell/Form2.h"
#include "support/TestSupport.h"

using namespace quavinto;

namespace {
// The window with a hook into the yields of a game being prepared.
class PreparingForm : public Form1 {
 public:
  std::function<void()> whilePreparing;
  void processEvents() override {
    if (whilePreparing) whilePreparing();
    Form1::processEvents();
  }
};
}  // namespace

class CommandsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;

  static bool solvedAndDrawn(Form1& f) {
    const GameState& g = f.state();
    for (int row = 1; row <= g.Yn; ++row)
      for (int col = 1; col <= g.Xn; ++col)
        if (g.Map[col][row] != homePiece(g.Xn, col, row)) return false;
    return f.Picture1->retained() == f.Picture1->picture().copy(f.Picture1->rect());
  }

  void startPlaying(Form1& f) {
    boxes_->answer(platform::vbYes);
    f.GStart->trigger();
    QCOMPARE(f.state().GameRunning, int16_t(1));
  }

 private slots:
  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
  }
  void cleanup() {
    boxes_.reset();
    settings_.reset();
  }

  void cancelDuringGameStillEndsIt() {
    Form1 f;
    startPlaying(f);
    boxes_->shown.clear();
    boxes_->answer(platform::vbYes);  // change the settings during a game
    testsupport::whenSettingsDialogOpens([](Form2& d) { d.Command1[1]->click(); });
    f.SetData1->trigger();
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(boxes_->shown.first().style, 36);
    QCOMPARE(boxes_->shown.first().text,
             QStringLiteral(u"ゲーム中に設定を変更しにいくとゲームは中断されます\r\n設定を変更しますか"));
    QCOMPARE(f.state().GameRunning, int16_t(0));
    QVERIFY(solvedAndDrawn(f));
    QVERIFY(f.GStart->isEnabled());
    QVERIFY(!f.GStop->isEnabled());
    QVERIFY(!f.SaveData->isEnabled());
    QVERIFY(f.ReadData->isEnabled());
  }

  void declinedQuestionLeavesGameUntouched() {
    Form1 f;
    startPlaying(f);
    const Grid map = f.state().Map;
    boxes_->answer(platform::vbNo);
    f.SetData1->trigger();
    QCOMPARE(f.state().GameRunning, int16_t(1));
    QVERIFY(f.state().Map == map);
    QVERIFY(f.SaveData->isEnabled());
  }

  void presetAndFreeGrid() {
    Form1 f;
    testsupport::whenSettingsDialogOpens([](Form2& d) {
      d.Option1[3]->click();
      d.Text1[0]->setText(QStringLiteral("12"));
      d.Text1[1]->setText(QStringLiteral("7"));
      d.Check1->setChecked(true);
      d.Command1[0]->click();
    });
    f.SetData1->trigger();
    QCOMPARE(f.state().Xn, int16_t(12));
    QCOMPARE(f.state().Yn, int16_t(7));
    QCOMPARE(f.state().SepFlag, int16_t(3));
    QCOMPARE(f.vars().PieceWidth, 32);
    QCOMPARE(f.vars().PieceHeight, 36);
    QVERIFY(f.ScaleAll->menuAction()->isEnabled());
    QVERIFY(!f.Picture3->isHidden());
    testsupport::whenSettingsDialogOpens([](Form2& d) {
      QVERIFY(d.Option1[3]->isChecked());
      QCOMPARE(d.Text1[0]->text(), QStringLiteral("12"));
      QCOMPARE(d.Text1[1]->text(), QStringLiteral("7"));
      d.Option1[1]->click();
      d.Command1[0]->click();
    });
    f.SetData1->trigger();
    QCOMPARE(f.state().Xn, int16_t(8));
    QCOMPARE(f.state().SepFlag, int16_t(1));
  }

  void gridTooFineForPictureIsRefused() {
    Form1 f;
    // A 20 x 10 picture cannot be cut into 30 columns.
    QImage tiny(20, 10, QImage::Format_RGB32);
    tiny.fill(Qt::red);
    f.state().Xn = 4;
    f.state().Yn = 2;
    f.Picture1->setPicture(tiny);
    f.state().PictureWidth = 20;
    f.state().PictureHeight = 10;
    f.ResetView();
    boxes_->shown.clear();
    testsupport::whenSettingsDialogOpens([](Form2& d) {
      d.Option1[3]->click();
      d.Text1[0]->setText(QStringLiteral("30"));
      d.Text1[1]->setText(QStringLiteral("2"));
      d.Command1[0]->click();
      // Refused while the dialog is still open; the player then cancels.
      const bool stillOpen = d.isVisible();
      d.Command1[1]->click();
      QVERIFY(stillOpen);
    });
    f.SetData1->trigger();
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(boxes_->shown.first().style, 48);
    QCOMPARE(f.state().Xn, int16_t(4));
    QCOMPARE(f.vars().PieceWidth, 5);
    QCOMPARE(f.Picture1->size(), QSize(20, 10));
  }

  void blackThenWhiteCaption() {
    Form1 f;
    testsupport::whenSettingsDialogOpens([](Form2& d) {
      d.Option2[2]->click();
      d.Command1[0]->click();
    });
    f.SetData1->trigger();
    QCOMPARE(f.backgroundColour(), QColor(0, 0, 0));
    QCOMPARE(f.Label1_0->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    testsupport::whenSettingsDialogOpens([](Form2& d) {
      d.Option2[4]->click();
      d.Command1[0]->click();
    });
    f.SetData1->trigger();
    QCOMPARE(f.backgroundColour(), QColor(128, 255, 128));
    QCOMPARE(f.Label1_0->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  }

  void exitPaths_data() {
    QTest::addColumn<bool>("byMenu");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<int>("confirm");
    QTest::addColumn<int>("saveOffer");
    QTest::addColumn<bool>("ends");
    for (bool byMenu : {true, false}) {
      const QByteArray path = byMenu ? "menu" : "close box";
      QTest::newRow(path + ", cancel") << byMenu << false << platform::vbCancel << 0 << false;
      QTest::newRow(path + ", cancel in game") << byMenu << true << platform::vbCancel << 0 << false;
      QTest::newRow(path + ", no game") << byMenu << false << platform::vbOK << 0 << true;
      QTest::newRow(path + ", game, no save") << byMenu << true << platform::vbOK << platform::vbNo << true;
    }
  }

  void exitPaths() {
    QFETCH(bool, byMenu);
    QFETCH(bool, playing);
    QFETCH(int, confirm);
    QFETCH(int, saveOffer);
    QFETCH(bool, ends);
    Form1 f;
    bool ended = false;
    f.endProgram = [&] { ended = true; };
    f.show();
    if (playing) startPlaying(f);
    f.state().Xn = 7;  // a change the store only sees on a confirmed exit
    const int contexts = platform::liveMemoryContexts();
    boxes_->shown.clear();
    boxes_->answer(confirm);
    if (saveOffer) boxes_->answer(saveOffer);
    bool closed = false;
    if (byMenu) {
      f.Fin->trigger();
      closed = ended;
    } else {
      closed = f.close();
    }
    QCOMPARE(closed, ends);
    QCOMPARE(boxes_->shown.first().text, QStringLiteral(u"QUAVINTOを終了します。"));
    QCOMPARE(boxes_->shown.first().style, 65);
    QCOMPARE(boxes_->shown.size(), playing && ends ? 2 : 1);
    if (playing && ends) {
      QCOMPARE(boxes_->shown.at(1).text, QStringLiteral(u"ゲーム中です。\r\nデータを保存しますか。"));
      QCOMPARE(boxes_->shown.at(1).style, 36);
    }
    QCOMPARE(QFile::exists(settings_->path()), ends);
    QCOMPARE(platform::liveMemoryContexts(), ends ? contexts - 1 : contexts);
    if (ends)
      QCOMPARE(platform::GetSetting(QStringLiteral("XAN"), QStringLiteral("QUAVINTO"), QStringLiteral("Xn"), {}),
               QStringLiteral("7"));
    else
      QCOMPARE(f.state().GameRunning, int16_t(playing ? 1 : 0));
  }

  // Settings that cannot be written (the configuration folder is a file) are
  // reported once, naming the folder, and the player still leaves.
  void unwritableSettingsAreReportedOnLeaving() {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("config")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    platform::setSettingsRoot(blocker.fileName());
    Form1 f;
    f.show();
    startPlaying(f);
    boxes_->shown.clear();
    for (int answer : {platform::vbOK, platform::vbOK, platform::vbNo}) boxes_->answer(answer);
    const bool closed = f.close();
    platform::setSettingsRoot(settings_->dir.path());
    QVERIFY(closed);
    QCOMPARE(boxes_->shown.size(), 3);  // leaving, the settings, the save offer
    QCOMPARE(boxes_->shown.at(1).text,
             u"設定を保存できませんでした。次回の起動では今回の設定は使われません。\r\n"
             u"保存先のフォルダー: "_qs +
                 blocker.fileName() + QStringLiteral("/XAN"));
    QCOMPARE(boxes_->shown.at(1).style, 48);
  }

  // The desktop session ending asks as the close box does; a game in play can
  // be saved, and a refusal keeps both the program and the session.
  void sessionEnd_data() {
    QTest::addColumn<bool>("mayAsk");
    QTest::addColumn<int>("confirm");
    QTest::addColumn<bool>("ends");
    QTest::newRow("confirmed, game saved") << true << platform::vbOK << true;
    QTest::newRow("cancelled") << true << platform::vbCancel << false;
    QTest::newRow("no leave to ask") << false << 0 << true;
  }

  void sessionEnd() {
    QFETCH(bool, mayAsk);
    QFETCH(int, confirm);
    QFETCH(bool, ends);
    QTemporaryDir games;
    const QString game = games.filePath(QStringLiteral("PLAY.QVD"));
    testsupport::ScriptedFileDialog files({game});
    Form1 f;
    bool ended = false;
    f.endProgram = [&] { ended = true; };
    f.show();
    startPlaying(f);
    f.state().ColorFlag = 2;  // a change the store only sees on a confirmed exit
    boxes_->shown.clear();
    if (confirm) boxes_->answer(confirm);
    boxes_->answer(platform::vbYes);  // save the game in play
    boxes_->answer(platform::vbYes);  // into a new file
    QCOMPARE(f.sessionEnding([&] { return mayAsk; }), ends);
    const bool confirmed = mayAsk && confirm == platform::vbOK;
    QCOMPARE(ended, confirmed);
    // Confirmed: the exit question, the save offer, and the file's creation.
    QCOMPARE(boxes_->shown.size(), mayAsk ? (confirmed ? 3 : 1) : 0);
    if (confirmed) QCOMPARE(boxes_->shown.at(1).text, QStringLiteral(u"ゲーム中です。\r\nデータを保存しますか。"));
    QCOMPARE(QFile::exists(settings_->path()), confirmed);
    QCOMPARE(QFile::exists(game), confirmed);
    if (confirmed)
      QCOMPARE(platform::GetSetting(QStringLiteral("XAN"), QStringLiteral("QUAVINTO"), QStringLiteral("ColorFlag"), {}),
               QStringLiteral("2"));
    else
      QCOMPARE(f.state().GameRunning, int16_t(1));
  }

  // A session ending while the leave question is already up is refused, not
  // asked a second time; the player's answer to the first question decides.
  void sessionEndDuringExitQuestion() {
    Form1 f;
    bool ended = false;
    f.endProgram = [&] { ended = true; };
    f.show();
    bool sessionEnds = true;
    int asks = 0;
    boxes_->onShow = [&](const testsupport::ShownBox& box) {
      if (box.style != 65 || asks++) return;
      sessionEnds = f.sessionEnding([] { return true; });
    };
    boxes_->answer(platform::vbCancel);
    f.Fin->trigger();
    QVERIFY(!sessionEnds);
    QCOMPARE(boxes_->shown.size(), 1);
    QVERIFY(!ended);
    QVERIFY(!QFile::exists(settings_->path()));
  }

  // While a game is being prepared the session's end is refused without a
  // question, as the close box is; the game then starts as usual.
  void sessionEndWhilePreparing() {
    PreparingForm f;
    bool ended = false;
    f.endProgram = [&] { ended = true; };
    f.show();
    int refusals = 0;
    f.whilePreparing = [&] {
      if (f.preparing() && !f.sessionEnding([] { return true; })) ++refusals;
    };
    boxes_->answer(platform::vbYes);  // begin the game
    f.GStart->trigger();
    f.whilePreparing = nullptr;
    QVERIFY(refusals > 0);
    QCOMPARE(boxes_->shown.size(), 1);  // only the question whether to begin
    QVERIFY(!ended);
    QVERIFY(!QFile::exists(settings_->path()));
    QCOMPARE(f.state().GameRunning, int16_t(1));
  }
};

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
