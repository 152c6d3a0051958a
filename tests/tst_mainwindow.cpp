// The main window's start-up, layout, finished-picture view and menu states.
#include "core/GameFlow.h"
#include "core/MenuStates.h"
#include "persistence/Settings.h"
#include "platform/Screen.h"
#include "platform/SettingsStore.h"
#include "shell/Form1.h"
#include "shell/Form2.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using namespace quavinto;

namespace {

// Records what the player sees while a game is being prepared.
class WatchedForm : public Form1 {
public:
  int yields = 0;
  bool noticeSeen = false;
  QRect notice0, notice1;
  bool menusHeldBack = true;
  void processEvents() override {
    ++yields;
    if (Label2_0->isVisible() && Label2_1->isVisible()) {
      noticeSeen = true;
      notice0 = Label2_0->geometry();
      notice1 = Label2_1->geometry();
    }
    // A second start chosen meanwhile must not run inside this one.
    const Grid before = state().Map;
    Form1::GStart_Click();
    if (!(state().Map == before)) menusHeldBack = false;
    Form1::processEvents();
  }
};

struct MenuFour {
  bool gstart, gstop, save, read;
};

// The ways into each event of the menu table, played through the window.
enum class Play {
  Load,
  LoadWithView,
  StartQuestion,
  StartConfirmed,
  StartDeclined,
  Stop,
  CompletedUnsaved,
  CompletedAfterSave,
  PictureCancelledInGame,
  PictureChosenInGame,
  PictureDroppedInGame,
  SavedInGame,
  ReadResumed,
  ReadDeclinedInGame,
  SettingsCancelledInGame,
  SettingsWithView,
  ReadShowingTheView,
};

QString rendered(const quavinto::MenuRow& row) {
  QString text;
  for (quavinto::MenuChange change : row.changes) {
    switch (change) {
      case quavinto::MenuChange::Keep: text += QLatin1Char('-'); break;
      case quavinto::MenuChange::On: text += QLatin1Char('E'); break;
      case quavinto::MenuChange::Off: text += QLatin1Char('D'); break;
      case quavinto::MenuChange::ByView: text += QLatin1Char('V'); break;
    }
  }
  return text;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PrivateSettings> settings_;
  std::unique_ptr<testsupport::ScriptedBoxes> boxes_;

  void store(const char* key, const char* value) {
    platform::SaveSetting(QStringLiteral("XAN"), QStringLiteral("QUAVINTO"), QString::fromLatin1(key),
                          QString::fromLatin1(value));
  }

  static MenuFour menus(const Form1& f) {
    return {f.GStart->isEnabled(), f.GStop->isEnabled(), f.SaveData->isEnabled(), f.ReadData->isEnabled()};
  }

  static void compareMenus(const Form1& f, MenuFour want) {
    const MenuFour got = menus(f);
    QCOMPARE(got.gstart, want.gstart);
    QCOMPARE(got.gstop, want.gstop);
    QCOMPARE(got.save, want.save);
    QCOMPARE(got.read, want.read);
  }

  void startPlaying(Form1& f) {
    boxes_->answer(platform::vbYes);
    f.GStart->trigger();
    QCOMPARE(f.state().GameRunning, int16_t(1));
  }

  // A 1 x 1 game is solved from its start: turning its one piece twice on
  // the floating piece completes it.
  void completeOneByOne(Form1& f) {
    QTest::mouseClick(f.Picture2, Qt::RightButton, {}, QPoint(2, 2));
    QTest::mouseClick(f.Picture2, Qt::RightButton, {}, QPoint(2, 2));
  }

  QString writePicture(const QTemporaryDir& dir, const QString& name, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    const QString path = dir.filePath(name);
    return image.save(path) ? path : QString();
  }

  void play(Form1& f, Play how, const QTemporaryDir& dir) {
    testsupport::ScriptedFileDialog files;
    const QString game = dir.filePath(QStringLiteral("game.QVD"));
    switch (how) {
      case Play::Load:
      case Play::LoadWithView: break;
      case Play::StartQuestion: {
        QString seen;
        boxes_->onShow = [&](const testsupport::ShownBox&) { seen = testsupport::menuStates(f); };
        boxes_->answer(platform::vbNo);
        f.GStart->trigger();
        boxes_->onShow = nullptr;
        QCOMPARE(seen.left(2), QStringLiteral("ED"));
        break;
      }
      case Play::StartConfirmed: startPlaying(f); break;
      case Play::StartDeclined:
        boxes_->answer(platform::vbNo);
        f.GStart->trigger();
        break;
      case Play::Stop:
        startPlaying(f);
        f.GStop->trigger();
        break;
      case Play::CompletedUnsaved:
      case Play::CompletedAfterSave:
        startPlaying(f);
        if (how == Play::CompletedAfterSave) {
          files.script = {game};
          f.SaveData->trigger();
        }
        completeOneByOne(f);
        QCOMPARE(f.state().GameRunning, int16_t(0));
        break;
      case Play::PictureCancelledInGame:
        startPlaying(f);
        files.script = {QString()};
        f.LoadPictureEx->trigger();
        break;
      case Play::PictureChosenInGame:
        startPlaying(f);
        files.script = {writePicture(dir, QStringLiteral("chosen.bmp"), QSize(200, 150))};
        f.LoadPictureEx->trigger();
        QCOMPARE(f.state().PictureWidth, int16_t(200));
        break;
      case Play::PictureDroppedInGame: {
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        startPlaying(f);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(writePicture(dir, QStringLiteral("dropped.bmp"), QSize(210, 140)))});
        QDragEnterEvent enter(QPoint(20, 40), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&f, &enter);
        QDropEvent drop(QPointF(20, 40), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&f, &drop);
        QCoreApplication::processEvents();
        QCOMPARE(f.state().PictureWidth, int16_t(210));
        break;
      }
      case Play::SavedInGame:
        startPlaying(f);
        files.script = {game};
        f.SaveData->trigger();
        QVERIFY(QFile::exists(game));
        break;
      case Play::ReadResumed:
      case Play::ReadDeclinedInGame:
        startPlaying(f);
        files.script = {game, game};
        f.SaveData->trigger();
        boxes_->answer(how == Play::ReadResumed ? platform::vbYes : platform::vbNo);
        f.ReadData->trigger();
        QCOMPARE(f.state().ResumeFlag, int16_t(1));
        break;
      case Play::SettingsCancelledInGame:
        startPlaying(f);
        boxes_->answer(platform::vbYes);
        testsupport::whenSettingsDialogOpens([](Form2& d) { d.Command1[1]->click(); });
        f.SetData1->trigger();
        break;
      case Play::ReadShowingTheView:
        // A game saved with the view shown, read back after hiding it.
        testsupport::whenSettingsDialogOpens([](Form2& d) {
          d.Check1->setChecked(true);
          d.Command1[0]->click();
        });
        f.SetData1->trigger();
        startPlaying(f);
        files.script = {game};
        f.SaveData->trigger();
        boxes_->answer(platform::vbYes);
        testsupport::whenSettingsDialogOpens([](Form2& d) {
          d.Check1->setChecked(false);
          d.Command1[0]->click();
        });
        f.SetData1->trigger();
        QCOMPARE(f.state().HyoujiFlag, int16_t(0));
        files.script = {game};
        boxes_->answer(platform::vbNo);
        f.ReadData->trigger();
        QCOMPARE(f.state().HyoujiFlag, int16_t(1));
        break;
      case Play::SettingsWithView:
        testsupport::whenSettingsDialogOpens([](Form2& d) {
          d.Check1->setChecked(true);
          d.Command1[0]->click();
        });
        f.SetData1->trigger();
        QCOMPARE(f.state().HyoujiFlag, int16_t(1));
        break;
    }
  }

private slots:
  // The table in the code, row by row, against the menu table of the window
  // as the player needs it: after every event that leaves no game in play,
  // saving is off (a cancelled picture dialog and a read answered No end the
  // game). Columns: GStart GStop SaveData ReadData ScaleAll Game SetData1;
  // E enabled, D disabled, V enabled while the view is shown, - unchanged.
  void menuTableByEvent_data() {
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("states");
    const auto row = [](MenuEvent e, const char* states) {
      QTest::newRow(menuRow(e).name) << int(e) << QString::fromLatin1(states);
    };
    row(MenuEvent::Design, "EDDEEEE");
    row(MenuEvent::WindowLoaded, "ED--V--");
    row(MenuEvent::PlayBegun, "DEED---");
    row(MenuEvent::StartPreparing, "ED-----");
    row(MenuEvent::StartDeclined, "--DE---");
    row(MenuEvent::GameStopped, "EDDE---");
    row(MenuEvent::PuzzleCompleted, "EDDE---");
    row(MenuEvent::PictureChosen, "EDDE---");
    row(MenuEvent::BoardBuilt, "E----EE");
    row(MenuEvent::GameRead, "----V--");
    row(MenuEvent::GameSaved, "---E---");
    row(MenuEvent::ReadDeclined, "EDDE---");
    row(MenuEvent::SettingsOpening, "--DE---");
    row(MenuEvent::SettingsClosed, "ED--V--");
  }

  void menuTableByEvent() {
    QFETCH(int, event);
    QFETCH(QString, states);
    QCOMPARE(rendered(menuRow(MenuEvent(event))), states);
    QCOMPARE(int(menuRow(MenuEvent(event)).event), event);
  }

  // Each event played through the window's own handlers; the commands'
  // states after it, in the table's column order.
  void menuStatesAfterEachEvent_data() {
    QTest::addColumn<int>("how");
    QTest::addColumn<int>("grid");
    QTest::addColumn<QString>("states");
    QTest::newRow("window loaded") << int(Play::Load) << 5 << "EDDEDEE";
    QTest::newRow("window loaded with the view") << int(Play::LoadWithView) << 5 << "EDDEEEE";
    QTest::newRow("start, at its question") << int(Play::StartQuestion) << 5 << "EDDEDEE";
    QTest::newRow("start confirmed") << int(Play::StartConfirmed) << 5 << "DEEDDEE";
    QTest::newRow("start declined") << int(Play::StartDeclined) << 5 << "EDDEDEE";
    QTest::newRow("game stopped") << int(Play::Stop) << 5 << "EDDEDEE";
    QTest::newRow("completed, never saved") << int(Play::CompletedUnsaved) << 1 << "EDDEDEE";
    QTest::newRow("completed after a save") << int(Play::CompletedAfterSave) << 1 << "EDDEDEE";
    QTest::newRow("picture dialog cancelled in a game") << int(Play::PictureCancelledInGame) << 5 << "EDDEDEE";
    QTest::newRow("picture chosen in a game") << int(Play::PictureChosenInGame) << 5 << "EDDEDEE";
    QTest::newRow("picture dropped in a game") << int(Play::PictureDroppedInGame) << 5 << "EDDEDEE";
    QTest::newRow("game saved") << int(Play::SavedInGame) << 5 << "DEEEDEE";
    QTest::newRow("game read and resumed") << int(Play::ReadResumed) << 5 << "DEEDDEE";
    QTest::newRow("game read in a game, answered No") << int(Play::ReadDeclinedInGame) << 5 << "EDDEDEE";
    QTest::newRow("settings cancelled in a game") << int(Play::SettingsCancelledInGame) << 5 << "EDDEDEE";
    QTest::newRow("settings showing the view") << int(Play::SettingsWithView) << 5 << "EDDEEEE";
    QTest::newRow("game read showing the view") << int(Play::ReadShowingTheView) << 5 << "EDDEEEE";
  }

  void menuStatesAfterEachEvent() {
    QFETCH(int, how);
    QFETCH(int, grid);
    QFETCH(QString, states);
    if (Play(how) == Play::LoadWithView) store("HyoujiFlag", "1");
    QTemporaryDir dir;
    Form1 f;
    if (grid != f.state().Xn) {
      f.state().Xn = f.state().Yn = int16_t(grid);
      f.ResetView();
    }
    play(f, Play(how), dir);
    QCOMPARE(testsupport::menuStates(f), states);
    QCOMPARE(testsupport::menuProblem(f), QString());
    QCOMPARE(testsupport::windowBoardProblem(f), QString());
  }

  // However small the picture, the window is as wide as its menu bar, so no
  // command hides behind the bar's overflow button.
  void windowNeverNarrowerThanItsMenuBar() {
    QTemporaryDir dir;
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    testsupport::ScriptedFileDialog files({writePicture(dir, QStringLiteral("tiny.bmp"), QSize(24, 16))});
    f.LoadPictureEx->trigger();
    QCOMPARE(f.state().PictureWidth, int16_t(24));
    QTRY_VERIFY(f.menuBar()->width() >= f.menuBar()->sizeHint().width());
    const QRect help = f.menuBar()->actionGeometry(f.HELP->menuAction());
    QVERIFY2(help.right() < f.menuBar()->width(), qPrintable(QString::number(help.right())));
    for (auto* button : f.menuBar()->findChildren<QToolButton*>()) QVERIFY(!button->isVisible());
    // Nor can the player make it narrower by hand.
    f.resize(40, f.height());
    QVERIFY(f.width() >= f.menuBar()->sizeHint().width());
  }

  // Pieces must be at least two pixels each way: a one-pixel column of
  // pieces could never be pressed. Refused with the too-fine message.
  void piecesUnderTwoPixelsRefused_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("accepted");
    // The grid is 10 x 5.
    QTest::newRow("two pixels each way") << QSize(20, 10) << true;
    QTest::newRow("one pixel wide") << QSize(19, 10) << false;
    QTest::newRow("one pixel high") << QSize(20, 9) << false;
  }

  void piecesUnderTwoPixelsRefused() {
    QFETCH(QSize, picture);
    QFETCH(bool, accepted);
    QTemporaryDir dir;
    Form1 f;
    f.state().Xn = 10;
    f.state().Yn = 5;
    f.ResetView();
    testsupport::ScriptedFileDialog files({writePicture(dir, QStringLiteral("small.bmp"), picture)});
    f.LoadPictureEx->trigger();
    QCOMPARE(f.state().PictureWidth, int16_t(accepted ? picture.width() : 384));
    QCOMPARE(boxes_->shown.size(), accepted ? 0 : 1);
    if (!accepted) {
      QCOMPARE(boxes_->shown.first().style, 48);
      QVERIFY(boxes_->shown.first().text.contains(QStringLiteral(u"2倍以上")));
    }
    QVERIFY(f.vars().PieceWidth >= 2 && f.vars().PieceHeight >= 2);
  }

  void init() {
    settings_ = std::make_unique<testsupport::PrivateSettings>();
    boxes_ = std::make_unique<testsupport::ScriptedBoxes>();
  }
  void cleanup() {
    platform::setScreenOverride(0, 0, QRect());
    boxes_.reset();
    settings_.reset();
  }

  void menuBarAsDesigned() {
    Form1 f;
    QStringList top;
    for (QAction* a : f.menuBar()->actions()) top << a->text();
    QCOMPARE(top, (QStringList{QStringLiteral(u"ファイル"), QStringLiteral(u"ゲーム"), QStringLiteral(u"設定"),
                               QStringLiteral(u"完成図の倍率"), QStringLiteral("HELP")}));
    const auto captions = [](QMenu* menu) {
      QStringList list;
      for (QAction* a : menu->actions()) list << (a->isSeparator() ? QStringLiteral("-") : a->text());
      return list;
    };
    QCOMPARE(captions(f.TopFile), (QStringList{QStringLiteral(u"画像読み込み"), QStringLiteral(u"最近使った画像"),
                                               QStringLiteral("-"),
                                               QStringLiteral(u"データの読み込み"), QStringLiteral(u"データの保存"),
                                               QStringLiteral("-"), QStringLiteral(u"終了")}));
    // The game's own commands first; ours follow behind a separator.
    QCOMPARE(
        captions(f.Game),
        (QStringList{QStringLiteral(u"ゲーム開始"), QStringLiteral(u"ゲーム中止"), QStringLiteral("-"),
                     QStringLiteral(u"元に戻す"), QStringLiteral(u"やり直し"), QStringLiteral(u"一時停止"),
                     QStringLiteral(u"記録…"), QStringLiteral(u"ヒント"), QStringLiteral(u"クリックで持ち上げる")}));
    QCOMPARE(captions(f.ScaleAll), (QStringList{QStringLiteral("X 1"), QStringLiteral("X 1/2"), QStringLiteral("X 1/4")}));
    QCOMPARE(captions(f.HELP), (QStringList{QStringLiteral(u"目次"), QStringLiteral(u"キーワードで検索"),
                                            QStringLiteral("-"), QStringLiteral(u"ヘルプについて"),
                                            QStringLiteral(u"情報")}));
    QVERIFY(f.SetData1->menu() == nullptr);
    // The game's own commands have no shortcuts; only those added after them do.
    const QList<QAction*> withKeys{f.Undo, f.Redo, f.Pause, f.Records, f.Hint};
    for (QAction* a : f.findChildren<QAction*>())
      QVERIFY2(a->shortcut().isEmpty() != withKeys.contains(a), qPrintable(a->text()));
  }

  void firstRun() {
    Form1 f;
    const GameState& g = f.state();
    QCOMPARE(g.Xn, int16_t(5));
    QCOMPARE(g.Yn, int16_t(5));
    QCOMPARE(g.ZoomFlag, int16_t(1));
    QCOMPARE(g.PictureType, int16_t(1));
    QCOMPARE(g.PictureWidth, int16_t(384));
    QCOMPARE(g.PictureHeight, int16_t(256));
    QCOMPARE(f.vars().PieceWidth, 76);
    QCOMPARE(f.vars().PieceHeight, 51);
    QCOMPARE(f.Picture1->size(), QSize(380, 255));
    QCOMPARE(f.Picture1->pos(), QPoint(14, 20));
    compareMenus(f, {true, false, false, true});
    QVERIFY(!f.ScaleAll->menuAction()->isEnabled());
    QVERIFY(f.XX1->isChecked());
    QVERIFY(!f.XX2->isChecked() && !f.XX4->isChecked());
    QVERIFY(f.Picture3->isHidden());
    QCOMPARE(f.Picture2->pos(), QPoint(-76, -51));
    // Solved order, shown as the intact picture.
    for (int row = 1; row <= 5; ++row)
      for (int col = 1; col <= 5; ++col) QCOMPARE(int(g.Map[col][row]), (row - 1) * 5 + col);
    QCOMPARE(f.Picture1->retained(), f.Picture1->picture().copy(0, 0, 380, 255));
    QVERIFY(boxes_->shown.isEmpty());
  }

  void storedViewAndScale_data() {
    QTest::addColumn<QByteArray>("zoom");
    QTest::addColumn<int>("checked");  // 0 none, else 1, 2, 4
    QTest::addColumn<double>("divisor");
    QTest::newRow("half") << QByteArray("2") << 2 << 1.414;
    QTest::newRow("quarter") << QByteArray("4") << 4 << 2.0;
    QTest::newRow("edited 3") << QByteArray("3") << 0 << 2.45;
    QTest::newRow("edited 0") << QByteArray("0") << 0 << 2.45;
  }

  void storedViewAndScale() {
    QFETCH(QByteArray, zoom);
    QFETCH(int, checked);
    QFETCH(double, divisor);
    store("HyoujiFlag", "1");
    store("ZoomFlag", zoom.constData());
    Form1 f;
    QVERIFY(f.ScaleAll->menuAction()->isEnabled());
    QVERIFY(!f.Picture3->isHidden());
    QCOMPARE(f.XX1->isChecked(), checked == 1);
    QCOMPARE(f.XX2->isChecked(), checked == 2);
    QCOMPARE(f.XX4->isChecked(), checked == 4);
    QCOMPARE(f.Picture3->width(), int(std::nearbyint(380 / divisor)));
    QCOMPARE(f.Picture3->height(), int(std::nearbyint(255 / divisor)));
    QCOMPARE(f.Image1->width(), int(std::nearbyint(384 / divisor - 2)));
    QCOMPARE(f.Image1->height(), int(std::nearbyint(256 / divisor - 2)));
  }

  void fullScaleImageIsPictureLessTwo() {
    store("HyoujiFlag", "1");
    Form1 f;
    QCOMPARE(f.Picture3->size(), f.Picture1->size());
    QCOMPARE(f.Image1->size(), QSize(382, 254));
    // The caption is centred over the view.
    const int centre = f.Picture3->x() + f.Picture3->width() / 2;
    QVERIFY(std::abs(f.Label1_0->geometry().center().x() - centre) <= 1);
  }

  void windowSizeInTwips() {
    Form1 hidden;
    hidden.show();
    QVERIFY(QTest::qWaitForWindowExposed(&hidden));
    hidden.ArrangeWindow();
    // 4 x 210 + 380 x 15 = 6540 twips wide; 5 x 300 + 255 x 15 = 5325 high.
    QCOMPARE(hidden.frameGeometry().size(), QSize(436, 355));
    hidden.state().HyoujiFlag = 1;
    hidden.ArrangeWindow();
    const int viewLeft = hidden.Picture3->x();
    QCOMPARE(hidden.frameGeometry().width(), int(std::nearbyint((5 * 210 + (380 + viewLeft) * 15) / 15.0)));
    QCOMPARE(hidden.frameGeometry().height(), int(std::nearbyint((6 * 300 + (255 + hidden.Picture3->y()) * 15) / 15.0)));
    // Past 32767 twips the window stops growing instead of wrapping round.
    hidden.Picture1->resize(3000, 3000);
    hidden.ArrangeWindow();
    QCOMPARE(hidden.frameGeometry().size(), QSize(2184, 2184));
    // A maximised window keeps its size.
    hidden.Picture1->resize(380, 255);
    hidden.showMaximized();
    QTest::qWait(20);
    const QSize maximised = hidden.size();
    hidden.ArrangeWindow();
    QCOMPARE(hidden.size(), maximised);
  }

  // The view switched on while the window is maximised: back in its normal
  // state the window is wide enough for the board and the view, as it would
  // have been had the view been switched on there.
  void restoredWindowFitsWhatChangedWhileMaximised() {
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    const QSize normal = f.size();
    f.showMaximized();
    QTRY_VERIFY(f.isMaximized() && f.size() != normal);
    const QSize maximised = f.size();
    testsupport::whenSettingsDialogOpens([](Form2& d) {
      d.Check1->setChecked(true);
      d.Command1[0]->click();
    });
    f.SetData1->trigger();
    QCOMPARE(f.state().HyoujiFlag, int16_t(1));
    QCOMPARE(f.size(), maximised);
    const auto fits = [&f] {
      const QRect view = f.Picture3->geometry();
      return f.Client->width() >= view.right() && f.Client->height() >= view.bottom();
    };
    f.showNormal();
    QTRY_VERIFY2(f.size() != maximised && fits(), "the restored window cuts the finished-picture view off");
    QTest::qWait(20);
    QVERIFY(fits());
    QVERIFY(f.width() > normal.width());
    // With nothing changed meanwhile, a window sized by hand keeps that size.
    const QSize byHand(f.width() - 40, f.height() - 30);
    f.resize(byHand);
    QTRY_COMPARE(f.size(), byHand);
    f.showMaximized();
    QTRY_VERIFY(f.isMaximized() && f.size() != byHand);
    f.showNormal();
    QTRY_VERIFY(f.size() != maximised);
    QTest::qWait(20);
    QCOMPARE(f.size(), byHand);
  }

  // A window that grows past the edge of the screen, here by showing the
  // finished-picture view beside the board, moves back so all of it shows;
  // one already hanging over the edge keeps hanging over it as far as before.
  void growingWindowComesBackOnScreen_data() {
    QTest::addColumn<int>("overhang");  // how far the window hangs past the right edge before
    QTest::newRow("inside the screen") << 0;
    QTest::newRow("already over the edge") << 30;
  }

  void growingWindowComesBackOnScreen() {
    QFETCH(int, overhang);
    const QRect screen(0, 0, 1200, 900);
    platform::setScreenOverride(0, 0, screen);
    Form1 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QTest::qWait(1100);  // placed: framed, or the wait for a frame is over
    f.move(screen.right() - f.frameGeometry().width() + 1 + overhang, 300);
    QTRY_COMPARE(f.frameGeometry().right(), screen.right() + overhang);
    const int narrower = f.frameGeometry().width();
    testsupport::whenSettingsDialogOpens([](Form2& d) {
      d.Check1->setChecked(true);
      d.Command1[0]->click();
    });
    f.SetData1->trigger();
    QVERIFY(f.frameGeometry().width() > narrower + 100);
    QTRY_COMPARE(f.frameGeometry().right(), screen.right() + overhang);
    QCOMPARE(f.frameGeometry().top(), 300);
  }

  void backgroundColours_data() {
    QTest::addColumn<int>("flag");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("white") << 1 << QColor(255, 255, 255);
    QTest::newRow("black") << 2 << QColor(0, 0, 0);
    QTest::newRow("light blue") << 3 << QColor(128, 255, 255);
    QTest::newRow("green") << 4 << QColor(128, 255, 128);
    QTest::newRow("yellow") << 5 << QColor(255, 255, 128);
  }

  void backgroundColours() {
    QFETCH(int, flag);
    QFETCH(QColor, colour);
    Form1 f;
    f.state().ColorFlag = int16_t(flag);
    f.ArrangeWindow();
    QCOMPARE(f.backgroundColour(), colour);
    QCOMPARE(f.Label1_0->palette().color(QPalette::Window), colour);
    if (flag == 2) QCOMPARE(f.Label1_0->palette().color(QPalette::WindowText), QColor(255, 255, 255));
  }

  void settingsChangeResizesFromStoredPicture() {
    Form1 f;
    f.state().Xn = 10;
    f.state().Yn = 10;
    f.ResetView();
    QCOMPARE(f.vars().PieceWidth, 38);
    QCOMPARE(f.vars().PieceHeight, 25);
    QCOMPARE(f.Picture1->size(), QSize(380, 250));
  }

  void resetViewKeepsOneMemoryContext() {
    const int before = platform::liveMemoryContexts();
    {
      Form1 f;
      QCOMPARE(platform::liveMemoryContexts(), before + 1);
      f.ResetView();
      f.ResetView();
      QCOMPARE(platform::liveMemoryContexts(), before + 1);
    }
    QCOMPARE(platform::liveMemoryContexts(), before);
  }

  void menuStatesThroughAGame() {
    Form1 f;
    // Before the question the start has already set its own states.
    MenuFour atQuestion{};
    boxes_->onShow = [&](const testsupport::ShownBox&) { atQuestion = menus(f); };
    boxes_->answer(platform::vbYes);
    f.GStart->trigger();
    QCOMPARE(atQuestion.gstart, true);
    QCOMPARE(atQuestion.gstop, false);
    compareMenus(f, {false, true, true, false});
    boxes_->onShow = nullptr;
    f.GStop->trigger();
    compareMenus(f, {true, false, false, true});
    boxes_->answer(platform::vbNo);
    f.GStart->trigger();
    compareMenus(f, {true, false, false, true});
  }

  // Once the puzzle is done no game is in play: a saved game can be read,
  // whether or not the finished one was saved.
  void completionLetsASavedGameBeRead() {
    Form1 f;
    f.state().Xn = 1;
    f.state().Yn = 1;
    f.ResetView();
    boxes_->answer(platform::vbYes);
    f.GStart->trigger();
    compareMenus(f, {false, true, true, false});
    CheckComplete(f);  // 1 x 1 is solved from the start
    compareMenus(f, {true, false, false, true});
    QCOMPARE(f.state().GameRunning, int16_t(0));
  }

  void waitNoticeShownWhilePreparingAndCommandsHeldBack() {
    WatchedForm f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    boxes_->answer(platform::vbNo);
    f.GStart->trigger();
    QCOMPARE(f.yields, 25);  // one per piece
    QVERIFY(f.noticeSeen);
    QVERIFY(f.menusHeldBack);
    QCOMPARE(boxes_->shown.size(), 1);  // one question: the nested start was refused
    // Centred on the board: the first line above the centre line, the second below.
    const QSize board = f.Picture1->size();
    QCOMPARE(f.notice0.bottom() + 1, board.height() / 2);
    QCOMPARE(f.notice1.top(), board.height() / 2);
    QCOMPARE(f.notice0.left(), board.width() / 2 - f.notice0.width() / 2);
    QVERIFY(!f.Label2_0->isVisible());
    QVERIFY(!f.Label2_1->isVisible());
    // The floating piece sits over cell (1, 1) showing what the board shows there.
    QCOMPARE(f.Picture2->pos(), QPoint(0, 0));
    QCOMPARE(f.Picture2->retained().copy(0, 0, 76, 51), f.Picture1->retained().copy(0, 0, 76, 51));
  }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
