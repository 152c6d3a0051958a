// A seeded monkey plays the real main window offscreen through the player's
// own entry points: settings (grids, view, colours), pictures of many sizes
// chosen and dropped, starts answered Yes or No, stops, presses, drags and
// drops, turns, keys, saves and reads, scales, window states and sizes, exits
// and restarts, and input fired while a game is being prepared. After every action the board must show
// exactly what Map and RMap say, the floating piece its cell's piece, and the
// menus the states of the game in play or of no game.
//
// Reproducible: the generator, the clock and the shuffle all follow the seed.
// QUAVINTO_MONKEY_SEED runs one seed, QUAVINTO_MONKEY_SEEDS sets how many seeds
// (from 1), QUAVINTO_MONKEY_STEPS the actions per seed. A failure names the
// seed, the step and the actions that led there.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <random>

#include "core/GameFlow.h"
#include "core/Geometry.h"
#include "platform/ManualDrag.h"
#include "shell/Form1.h"
#include "shell/Form2.h"
#include "support/TestSupport.h"

using namespace quavinto;

namespace {

int envNumber(const char* name, int fallback) {
  bool ok = false;
  const int value = qEnvironmentVariableIntValue(name, &ok);
  return ok ? value : fallback;
}

// The window with a hook into the yields of a game being prepared.
class MonkeyForm : public Form1 {
 public:
  std::function<void()> whilePreparing;
  void processEvents() override {
    if (whilePreparing && !inHook_) {
      inHook_ = true;
      whilePreparing();
      inHook_ = false;
    }
    Form1::processEvents();
  }

 private:
  bool inHook_ = false;
};

class Monkey {
 public:
  explicit Monkey(unsigned seed) : seed_(seed), rng_(seed) {
    clock_ = std::make_unique<testsupport::FakeClock>(30000.0 + seed);
    previousBoxes_ = platform::setMsgBoxResponder(
        [this](const QString& text, int style, const QString&) { return answerBox(text, style); });
    makeFiles();
    openWindow();
  }

  ~Monkey() {
    form_.reset();
    platform::setMsgBoxResponder(previousBoxes_);
  }

  // Runs the actions; an empty result when every check held.
  QString run(int steps) {
    for (step_ = 1; step_ <= steps; ++step_) {
      clock_->now += pick(0, 40) + 0.25 * pick(0, 3);
      act();
      const QString problem = check();
      if (!problem.isEmpty()) return failure(problem);
    }
    return QString();
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  bool chance(int percent) { return pick(1, 100) <= percent; }
  MonkeyForm& f() { return *form_; }

  void note(const QString& what) {
    log_.append(QStringLiteral("%1: %2").arg(step_).arg(what));
    if (log_.size() > 40) log_.removeFirst();
  }

  QString failure(const QString& problem) const {
    // The actions that led there go to the log line by line; the failure
    // itself stays short enough to be read whole.
    for (const QString& line : log_) qInfo("  %s", qPrintable(line));
    return QStringLiteral("seed %1, step %2: %3 (rerun with QUAVINTO_MONKEY_SEED=%1)")
        .arg(seed_)
        .arg(step_)
        .arg(problem);
  }

  int answerBox(const QString& text, int style) {
    note(QStringLiteral("  box %1: %2")
             .arg(style)
             .arg(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" "))));
    if ((style & 7) == 1) return exitAllowed_ ? platform::vbOK : platform::vbCancel;
    if ((style & 7) == 4) return chance(65) ? platform::vbYes : platform::vbNo;
    return platform::vbOK;
  }

  void makeFiles() {
    const auto picture = [this](const QString& name, int w, int h, const char* format) {
      QImage image(w, h, QImage::Format_RGB32);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          image.setPixel(x, y, qRgb((x * 7 + int(seed_)) & 0xFF, (y * 11) & 0xFF, (x * 3 + y * 5) & 0xFF));
      const QString path = dir_.filePath(name);
      if (image.save(path, format, 95)) pictures_ << path;
    };
    picture(QStringLiteral("board.bmp"), 384, 256, "BMP");
    picture(QStringLiteral("odd.BMP"), 397, 263, "BMP");
    picture(QStringLiteral("photo.jpg"), 1500, 1000, "JPG");
    picture(QStringLiteral("small.bmp"), 61, 23, "BMP");
    picture(QStringLiteral("tiny.bmp"), 24, 16, "BMP");
    picture(QStringLiteral("dot.bmp"), 3, 3, "BMP");
    picture(QStringLiteral("tall.jpg"), 120, 400, "JPG");
    picture(QStringLiteral("unaccepted.png"), 90, 60, "PNG");
    QFile text(dir_.filePath(QStringLiteral("notes.bmp")));
    if (text.open(QIODevice::WriteOnly)) text.write("not a picture\n");
    pictures_ << text.fileName();
    pictures_ << dir_.filePath(QStringLiteral("missing.bmp"));
    const QString data = qEnvironmentVariable("QUAVINTO_TEST_DATA");
    if (!data.isEmpty())
      for (const char* name : {"pictures/good/gif-70x46.gif", "pictures/good/gif-animated-40x30.gif",
                               "pictures/good/jpeg-exif-orientation-6-32x64.jpg", "pictures/bad/noise.gif"})
        pictures_ << data + QLatin1Char('/') + QLatin1String(name);
    QFile damaged(dir_.filePath(QStringLiteral("damaged.QVD")));
    if (damaged.open(QIODevice::WriteOnly)) damaged.write("5\r\n5\r\nnot a game\r\n");
    games_ << damaged.fileName() << dir_.filePath(QStringLiteral("never-saved.QVD"));
  }

  void openWindow() {
    form_ = std::make_unique<MonkeyForm>();
    form_->endProgram = [this] { ended_ = true; };
    form_->show();
    exposed_ = QTest::qWaitForWindowExposed(form_.get());
    form_->activateWindow();
  }

  // ---- the actions -------------------------------------------------------

  void act() {
    const int roll = pick(1, 100);
    if (roll <= 24)
      drag();
    else if (roll <= 33)
      rightPress();
    else if (roll <= 36)
      edgePress();
    else if (roll <= 47)
      keys();
    else if (roll <= 55)
      start();
    else if (roll <= 58)
      menu(f().GStop, QStringLiteral("stop"));
    else if (roll <= 64)
      settings();
    else if (roll <= 70)
      choosePicture();
    else if (roll <= 73)
      dropPicture();
    else if (roll <= 78)
      save();
    else if (roll <= 84)
      read();
    else if (roll <= 88)
      scale();
    else if (roll <= 92)
      solve();
    else if (roll <= 95)
      viewDrag();
    else if (roll <= 96)
      pressWhereNothingRuns();
    else if (roll <= 97)
      windowState();
    else
      exitAndRestart();
  }

  void menu(QAction* action, const QString& what) {
    note(what + (action->isEnabled() ? QString() : QStringLiteral(" (disabled)")));
    if (action->isEnabled()) action->trigger();
  }

  QPoint boardPoint() {
    const QSize board = f().Picture1->size();
    return QPoint(pick(0, std::max(0, board.width() - 1)), pick(0, std::max(0, board.height() - 1)));
  }

  QPoint cellCentre(int col, int row) {
    const MainVars& v = f().vars();
    return QPoint((col - 1) * v.PieceWidth + v.PieceWidth / 2, (row - 1) * v.PieceHeight + v.PieceHeight / 2);
  }

  // The area a real pointer at board point p would reach: the floating piece
  // when it lies there, else the board.
  QWidget* under(QPoint p, QPoint* local) {
    QWidget* target = f().Picture1->childAt(p);
    if (!target || target == f().Label2_0 || target == f().Label2_1) target = f().Picture1;
    *local = target->mapFrom(f().Picture1, p);
    return target;
  }

  void press(QPoint p, Qt::MouseButton button) {
    QPoint local;
    QWidget* target = under(p, &local);
    QTest::mousePress(target, button, {}, local);
    QTest::mouseRelease(target, button, {}, local);
  }

  // With `other`, that button is pressed and released on the way, as a
  // player's second finger might: the exchange still waits for the left release.
  void dragFromTo(QPoint from, QPoint to, Qt::MouseButton other = Qt::NoButton) {
    QPoint local;
    QWidget* target = under(from, &local);
    QTest::mousePress(target, Qt::LeftButton, {}, local);
    QTest::mouseMove(f().Picture1, (from + to) / 2);
    if (other != Qt::NoButton) {
      QTest::mousePress(target, other, {}, target->mapFrom(f().Picture1, (from + to) / 2));
      QTest::mouseRelease(target, other, {}, target->mapFrom(f().Picture1, (from + to) / 2));
    }
    QTest::mouseMove(f().Picture1, to);
    QTest::mouseRelease(f().Picture1, Qt::LeftButton, {}, to);
  }

  void drag() {
    const QPoint from = boardPoint();
    QPoint to = boardPoint();
    const int where = pick(1, 10);
    if (where == 1)
      to = QPoint(-pick(1, 12), pick(0, 50));  // the window's background
    else if (where == 2)
      to = f().Picture2->pos() + QPoint(pick(0, 3), pick(0, 3));  // the floating piece
    else if (where == 3)
      to = QPoint(f().Picture1->width() + pick(30, 60), pick(0, 40));  // the view, maybe
    const Qt::MouseButton other = chance(15) ? (chance(50) ? Qt::RightButton : Qt::MiddleButton) : Qt::NoButton;
    note(QStringLiteral("drag (%1, %2) to (%3, %4)%5")
             .arg(from.x())
             .arg(from.y())
             .arg(to.x())
             .arg(to.y())
             .arg(other == Qt::NoButton ? QString() : QStringLiteral(" with button %1 on the way").arg(int(other))));
    dragFromTo(from, to, other);
  }

  void rightPress() {
    const QPoint p = chance(30) ? f().Picture2->pos() + QPoint(1, 1) : boardPoint();
    note(QStringLiteral("right press (%1, %2)").arg(p.x()).arg(p.y()));
    press(p, Qt::RightButton);
  }

  void edgePress() {
    const QSize board = f().Picture1->size();
    const QPoint p = chance(50) ? QPoint(0, pick(0, board.height() - 1)) : QPoint(pick(0, board.width() - 1), 0);
    const Qt::MouseButton button = chance(50) ? Qt::LeftButton : (chance(50) ? Qt::RightButton : Qt::MiddleButton);
    note(QStringLiteral("edge press (%1, %2) button %3").arg(p.x()).arg(p.y()).arg(int(button)));
    press(p, button);
  }

  void pressWhereNothingRuns() {
    // Presses on the view, its caption and the window's background.
    const QPoint p(f().Picture1->width() + pick(0, 200), pick(0, 300));
    note(QStringLiteral("press on the window (%1, %2)").arg(p.x()).arg(p.y()));
    QWidget* target = f().Client->childAt(f().Picture1->mapTo(f().Client, p));
    if (!target) target = f().Client;
    QTest::mouseClick(target, chance(50) ? Qt::LeftButton : Qt::RightButton, {},
                      target->mapFrom(f().Client, f().Picture1->mapTo(f().Client, p)));
  }

  void keys() {
    static const Qt::Key kKeys[] = {Qt::Key_Left,   Qt::Key_Right,  Qt::Key_Up, Qt::Key_Down, Qt::Key_Space,
                                    Qt::Key_Return, Qt::Key_Escape, Qt::Key_R,  Qt::Key_A,    Qt::Key_Enter};
    const int count = pick(1, 6);
    QString keys;
    for (int i = 0; i < count; ++i) {
      const Qt::Key key = kKeys[pick(0, 9)];
      keys += QString::number(int(key), 16) + QLatin1Char(' ');
      QTest::keyClick(f().Picture1, key);
    }
    note(QStringLiteral("keys ") + keys);
  }

  void start() {
    if (chance(35)) {
      const int kind = pick(1, 8);
      f().whilePreparing = [this, kind] { interfereWhilePreparing(kind); };
    }
    menu(f().GStart, QStringLiteral("start"));
    f().whilePreparing = nullptr;
  }

  // What a player might do while the wait notice shows: every command that
  // would rebuild the board and every board input must be held back.
  void interfereWhilePreparing(int kind) {
    if (!chance(20)) return;
    note(QStringLiteral("  while preparing: %1").arg(kind));
    switch (kind) {
      case 1:
        f().GStart->trigger();
        break;
      case 2: {
        testsupport::ScriptedFileDialog files({pictures_.value(pick(0, int(pictures_.size()) - 1))});
        f().LoadPictureEx->trigger();
        break;
      }
      case 3:
        closeSettingsWhenOpen(true);
        f().SetData1->trigger();
        break;
      case 4: {
        testsupport::ScriptedFileDialog files({games_.value(pick(0, int(games_.size()) - 1))});
        f().ReadData->trigger();
        break;
      }
      case 5:
        press(boardPoint(), chance(50) ? Qt::LeftButton : Qt::RightButton);
        break;
      case 6:
        QTest::keyClick(f().Picture1, chance(50) ? Qt::Key_Space : Qt::Key_R);
        break;
      case 7:
        drop(pictures_.value(pick(0, int(pictures_.size()) - 1)));
        break;
      default:
        f().Fin->trigger();
        break;
    }
  }

  // Answers the settings dialog once it opens: a preset or a typed grid
  // (sometimes out of range or too fine for the picture), the view, a
  // colour, then OK or CANCEL. A dialog still open afterwards is cancelled.
  void closeSettingsWhenOpen(bool cancelOnly) {
    const int preset = pick(0, 3);
    static const char* kCounts[] = {"1", "2", "3", "7", "12", "30", "31", "0", "9", "45"};
    const QString xs = QString::fromLatin1(kCounts[pick(0, 9)]);
    const QString ys = QString::fromLatin1(kCounts[pick(0, 9)]);
    const bool view = chance(50);
    const int colour = pick(0, 5);
    const bool ok = !cancelOnly && chance(80);
    QTimer::singleShot(0, [=] {
      auto* d = qobject_cast<Form2*>(QApplication::activeModalWidget());
      if (!d) return;
      if (ok) {
        d->Option1[preset]->click();
        if (preset == 3) {
          d->Text1[0]->setText(xs);
          d->Text1[1]->setText(ys);
        }
        d->Check1->setChecked(view);
        d->Option2[colour]->click();
      }
      QPointer<Form2> dialog(d);
      d->Command1[ok ? 0 : 1]->click();
      QTimer::singleShot(0, [dialog] {
        if (dialog && dialog->isVisible()) dialog->Command1[1]->click();
      });
    });
  }

  void settings() {
    closeSettingsWhenOpen(false);
    menu(f().SetData1, QStringLiteral("settings"));
    note(QStringLiteral("  grid %1x%2, view %3, colour %4")
             .arg(f().state().Xn)
             .arg(f().state().Yn)
             .arg(f().state().HyoujiFlag)
             .arg(f().state().ColorFlag));
  }

  void choosePicture() {
    const QString path = chance(15) ? QString() : pictures_.value(pick(0, int(pictures_.size()) - 1));
    testsupport::ScriptedFileDialog files({path});
    menu(f().LoadPictureEx, QStringLiteral("picture ") + (path.isNull() ? QStringLiteral("cancelled") : path));
  }

  void drop(const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at(pick(0, f().width() - 1), pick(0, f().height() - 1));
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&f(), &enter);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&f(), &dropped);
    // The picture is taken once the drop has returned.
    QCoreApplication::processEvents();
  }

  void dropPicture() {
    const QString path = pictures_.value(pick(0, int(pictures_.size()) - 1));
    note(QStringLiteral("drop ") + path);
    drop(path);
  }

  void save() {
    const QString path = chance(10) ? QString() : dir_.filePath(QStringLiteral("game%1.QVD").arg(pick(1, 4)));
    testsupport::ScriptedFileDialog files({path});
    menu(f().SaveData, QStringLiteral("save ") + (path.isNull() ? QStringLiteral("cancelled") : path));
    if (!path.isNull() && QFile::exists(path) && !games_.contains(path)) games_ << path;
  }

  void read() {
    const QString path = chance(10) ? QString() : games_.value(pick(0, int(games_.size()) - 1));
    testsupport::ScriptedFileDialog files({path});
    if (chance(25)) {
      const int kind = pick(1, 8);
      f().whilePreparing = [this, kind] { interfereWhilePreparing(kind); };
    }
    menu(f().ReadData, QStringLiteral("read ") + (path.isNull() ? QStringLiteral("cancelled") : path));
    f().whilePreparing = nullptr;
  }

  void scale() {
    QAction* items[] = {f().XX1, f().XX2, f().XX4};
    QAction* item = items[pick(0, 2)];
    if (!f().ScaleAll->menuAction()->isEnabled()) {
      note(QStringLiteral("scale (disabled)"));
      return;
    }
    menu(item, QStringLiteral("scale ") + item->text());
  }

  // Drags the finished-picture view by its image to somewhere in the window.
  void viewDrag() {
    if (f().Picture3->isHidden()) return;
    const QPoint grab(pick(1, 5), pick(1, 5));
    const QPoint to(pick(-20, f().Picture1->width() + 100), pick(-10, f().Picture1->height() + 20));
    note(QStringLiteral("view drag to (%1, %2)").arg(to.x()).arg(to.y()));
    QTest::mousePress(f().Image1, Qt::LeftButton, {}, grab);
    QTest::mouseMove(f().Picture1, to);
    QTest::mouseRelease(f().Picture1, Qt::LeftButton, {}, to);
  }

  // Maximises the window, brings it back, or sizes it by hand (perhaps
  // narrower than its menu bar allows).
  void windowState() {
    const int kind = pick(1, 3);
    if (kind == 1 && !f().isMaximized()) {
      note(QStringLiteral("maximise"));
      f().showMaximized();
    } else if (kind <= 2) {
      note(QStringLiteral("normal state"));
      f().showNormal();
    } else {
      const QSize size(pick(100, 900), pick(100, 700));
      note(QStringLiteral("resize to %1 x %2").arg(size.width()).arg(size.height()));
      f().resize(size);
    }
    QTest::qWait(5);
  }

  // On small boards, plays the game to its end the way a player would.
  void solve() {
    GameState& g = f().state();
    if (g.GameRunning != 1 || g.Xn * g.Yn > 30) return;
    note(QStringLiteral("solve %1x%2").arg(g.Xn).arg(g.Yn));
    for (int row = 1; row <= g.Yn && g.GameRunning == 1; ++row)
      for (int col = 1; col <= g.Xn && g.GameRunning == 1; ++col) {
        const int want = homePiece(g.Xn, col, row);
        if (g.Map[col][row] == want) continue;
        for (int r = 1; r <= g.Yn; ++r)
          for (int c = 1; c <= g.Xn; ++c)
            if (g.Map[c][r] == want) {
              dragFromTo(cellCentre(c, r), cellCentre(col, row));
              r = g.Yn + 1;
              break;
            }
      }
    for (int row = 1; row <= g.Yn && g.GameRunning == 1; ++row)
      for (int col = 1; col <= g.Xn && g.GameRunning == 1; ++col)
        if (g.RMap[col][row] == 1) press(cellCentre(col, row), Qt::RightButton);
  }

  void exitAndRestart() {
    exitAllowed_ = chance(50);
    testsupport::ScriptedFileDialog files({dir_.filePath(QStringLiteral("at-exit.QVD"))});
    menu(f().Fin, exitAllowed_ ? QStringLiteral("exit") : QStringLiteral("exit, cancelled"));
    exitAllowed_ = false;
    if (!ended_) return;
    ended_ = false;
    note(QStringLiteral("restart"));
    form_.reset();
    openWindow();
  }

  // ---- the checks --------------------------------------------------------

  QString check() {
    GameState& g = f().state();
    if (f().preparing()) return QStringLiteral("still held back as if a game were being prepared");
    if (platform::dragInProgress()) return QStringLiteral("a drag still runs after every button was released");
    if (g.Xn < 1 || g.Yn < 1 || g.Xn > kMaxCells || g.Yn > kMaxCells)
      return QStringLiteral("grid %1x%2").arg(g.Xn).arg(g.Yn);
    if (f().vars().PieceWidth < 2 || f().vars().PieceHeight < 2)
      return QStringLiteral("pieces of %1x%2 pixels").arg(f().vars().PieceWidth).arg(f().vars().PieceHeight);
    std::vector<int> seen(size_t(g.Xn * g.Yn + 1), 0);
    for (int row = 1; row <= g.Yn; ++row)
      for (int col = 1; col <= g.Xn; ++col) {
        const int k = g.Map[col][row];
        if (k < 1 || k > g.Xn * g.Yn || seen[size_t(k)]++)
          return QStringLiteral("Map is not a whole set of pieces at (%1, %2)").arg(col).arg(row);
        if (g.RMap[col][row] != 0 && g.RMap[col][row] != 1)
          return QStringLiteral("RMap holds %1 at (%2, %3)").arg(g.RMap[col][row]).arg(col).arg(row);
      }
    if (!exposed_) return QStringLiteral("the window never showed");
    QString problem = testsupport::windowBoardProblem(f());
    if (problem.isEmpty()) problem = testsupport::menuProblem(f());
    if (!problem.isEmpty()) return problem;
    // With no game in play a saved game can always be read, after a
    // completion too.
    if (g.GameRunning == 0 && !f().ReadData->isEnabled()) return QStringLiteral("ReadData disabled with no game in play");
    if (f().width() < f().menuBarWidth()) return QStringLiteral("the window is narrower than its menu bar");
    const bool view = g.HyoujiFlag == 1;
    if (f().Picture3->isHidden() == view || f().Label1_0->isHidden() == view)
      return QStringLiteral("the finished-picture view does not follow HyoujiFlag %1").arg(g.HyoujiFlag);
    const QPalette caption = f().Label1_0->palette();
    if (caption.color(QPalette::Window) != f().backgroundColour())
      return QStringLiteral("the caption's background is not the window's");
    if ((caption.color(QPalette::WindowText) == QColor(Qt::white)) != (g.ColorFlag == 2))
      return QStringLiteral("the caption's text is %1 with ColorFlag %2")
          .arg(caption.color(QPalette::WindowText).name())
          .arg(g.ColorFlag);
    return QString();
  }

  unsigned seed_;
  std::mt19937 rng_;
  int step_ = 0;
  QTemporaryDir dir_;
  QStringList pictures_;
  QStringList games_;
  QStringList log_;
  std::unique_ptr<testsupport::FakeClock> clock_;
  std::unique_ptr<MonkeyForm> form_;
  platform::MsgBoxResponder previousBoxes_;
  bool exitAllowed_ = false;
  bool ended_ = false;
  bool exposed_ = false;
};

}  // namespace

class MonkeyTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PrivateSettings> settings_;

 private slots:
  void init() { settings_ = std::make_unique<testsupport::PrivateSettings>(); }
  void cleanup() { settings_.reset(); }

  void playsWithoutAFault_data() {
    QTest::addColumn<unsigned>("seed");
    const int only = envNumber("QUAVINTO_MONKEY_SEED", 0);
    if (only > 0) {
      QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(only))) << unsigned(only);
      return;
    }
    const int seeds = envNumber("QUAVINTO_MONKEY_SEEDS", 8);
    for (int seed = 1; seed <= seeds; ++seed)
      QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << unsigned(seed);
  }

  void playsWithoutAFault() {
    QFETCH(unsigned, seed);
    // A piece outside the reversed image is reported on the log: a fault here.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^reversed image")));
    qInfo("monkey seed %u", seed);
    Monkey monkey(seed);
    const QString problem = monkey.run(envNumber("QUAVINTO_MONKEY_STEPS", 600));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
  }
};

QTEST_MAIN(MonkeyTest)
#include "tst_monkey.moc"
