// Cells and piece origins: the solved arrangement, which picture rectangle a
// board point shows, exchanging two cells, and the fatal stop on a cell that
// holds no piece (run in a child process, since it ends the process; once
// bare, once from a press on the real main window in the middle of a game).
#include "core/Geometry.h"
#include "platform/MsgBox.h"
#include "platform/SettingsStore.h"
#include "shell/Form1.h"
#include "shell/Messages.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

using quavinto::GameState;
using quavinto::Grid;
using quavinto::MainVars;

namespace {

GameState board(int xn, int yn) {
  GameState g;
  g.Xn = int16_t(xn);
  g.Yn = int16_t(yn);
  quavinto::InitMap(g);
  return g;
}

MainVars pieces(int width, int height) {
  MainVars v;
  v.PieceWidth = width;
  v.PieceHeight = height;
  return v;
}

// Every cell of the grid, row 0 and column 0 included, set to `value`.
Grid filled(int16_t value) {
  Grid grid;
  for (auto& column : grid) column.fill(value);
  return grid;
}

struct ChildResult {
  QList<testsupport::ShownBox> boxes;
  int exitCode = -1;
  bool exited = false;
  bool settingsLeft = false;
};

// One message box as a length-prefixed record, written straight to a file
// descriptor so that nothing is lost when the process ends at once.
void writeBoxRecord(int out, const QString& text, int style, const QString& title) {
  QByteArray record;
  QDataStream stream(&record, QIODevice::WriteOnly);
  stream << text << qint32(style) << title;
  const quint32 size = quint32(record.size());
  if (::write(out, &size, sizeof size) != sizeof size) _exit(98);
  if (::write(out, record.constData(), size_t(record.size())) != record.size()) _exit(98);
}

QList<testsupport::ShownBox> readBoxRecords(const QByteArray& received) {
  QList<testsupport::ShownBox> boxes;
  int at = 0;
  while (at + int(sizeof(quint32)) <= received.size()) {
    quint32 size = 0;
    std::memcpy(&size, received.constData() + at, sizeof size);
    at += int(sizeof size);
    QDataStream stream(received.mid(at, int(size)));
    at += int(size);
    testsupport::ShownBox box;
    qint32 style = 0;
    stream >> box.text >> style >> box.title;
    box.style = style;
    boxes.append(box);
  }
  return boxes;
}

bool folderHoldsAnything(const QString& path) {
  return !QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
}

// Runs GetPieceOrigin in a child process whose message boxes are written to a
// pipe, handing an empty cell to the window's stop as the board's drawing does.
ChildResult runFatalInChild(const GameState& g, const MainVars& v, int32_t x, int32_t y) {
  ChildResult result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    ::close(fds[0]);
    const int out = fds[1];
    platform::setMsgBoxResponder([out](const QString& text, int style, const QString& title) {
      writeBoxRecord(out, text, style, title);
      return platform::vbOK;
    });
    if (quavinto::GetPieceOrigin(g, v, x, y).emptyCell) quavinto::stopOnEmptyCell(g, v, x, y);
    _exit(99);
  }
  ::close(fds[1]);
  QByteArray received;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n > 0) {
      received.append(buffer, int(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  ::close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
  result.exited = WIFEXITED(status);
  result.exitCode = result.exited ? WEXITSTATUS(status) : -1;

  result.boxes = readBoxRecords(received);
  return result;
}

// The window child: a real main window on an empty settings store, with the
// scale and the grid changed from the stored ones and a game in play whose
// cell (2, 2) holds no piece, as a damaged game file would leave it. A left
// press on that cell must end the process with the two messages and without
// the closing steps, so the store must stay empty.
const char kWindowChildFlag[] = "--fatal-press-child";

int runWindowChild(int argc, char** argv) {
  QApplication app(argc, argv);
  platform::setSettingsRoot(QString::fromLocal8Bit(argv[2]));
  platform::setMsgBoxResponder([](const QString& text, int style, const QString& title) {
    writeBoxRecord(STDOUT_FILENO, text, style, title);
    const int buttons = style % 16;
    return buttons == 4 ? platform::vbYes : platform::vbOK;
  });
  quavinto::Form1 form;
  form.show();
  form.state().Xn = 4;
  form.state().Yn = 3;
  form.ResetView();
  form.XX2_Click();
  form.GStart->trigger();
  if (form.state().GameRunning != 1) return 97;
  form.state().Map[2][2] = 0;
  const MainVars& v = form.vars();
  QTest::mousePress(form.Picture1, Qt::LeftButton, {}, QPoint(v.PieceWidth + 3, v.PieceHeight + 3));
  QTest::mouseRelease(form.Picture1, Qt::LeftButton, {}, QPoint(v.PieceWidth + 3, v.PieceHeight + 3));
  // Still here: the window goes on (and would write its settings on closing).
  form.close();
  return 99;
}

ChildResult runWindowChildProcess() {
  ChildResult result;
  QTemporaryDir settingsRoot;
  if (!settingsRoot.isValid()) return result;
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  // The child's boxes are compared with the Japanese texts, on any desktop.
  env.remove(QStringLiteral("LANGUAGE"));
  env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
  child.setProcessEnvironment(env);
  child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kWindowChildFlag), settingsRoot.path()});
  if (!child.waitForFinished(120000)) {
    child.kill();
    child.waitForFinished();
    return result;
  }
  result.exited = child.exitStatus() == QProcess::NormalExit;
  result.exitCode = result.exited ? child.exitCode() : -1;
  result.boxes = readBoxRecords(child.readAllStandardOutput());
  result.settingsLeft = folderHoldsAnything(settingsRoot.path());
  return result;
}

}  // namespace

class TestGeometry : public QObject {
  Q_OBJECT

private slots:
  void initMapFillsReadingOrder_data();
  void initMapFillsReadingOrder();
  void initMapAfterShrinking();
  void initMapLeavesReversalsAlone();
  void cellBoundaries_data();
  void cellBoundaries();
  void everyPointOfACellGivesItsOrigin_data();
  void everyPointOfACellGivesItsOrigin();
  void movedPieceOriginFollowsMap();
  void pointsOutsideGridAreRefused_data();
  void pointsOutsideGridAreRefused();
  void swapExchangesDropAndDragCells_data();
  void swapExchangesDropAndDragCells();
  void swapOfOneCellChangesNothing();
  void swapOutsideGridChangesNothing_data();
  void swapOutsideGridChangesNothing();
  void exchangeRoundsHalfToEven_data();
  void exchangeRoundsHalfToEven();
  void fatalStopOnEmptyCell_data();
  void fatalStopOnEmptyCell();
  void fatalStopFromThePlayedWindow();
};

void TestGeometry::initMapFillsReadingOrder_data() {
  QTest::addColumn<int>("xn");
  QTest::addColumn<int>("yn");
  QTest::newRow("5 x 5") << 5 << 5;
  QTest::newRow("one column") << 1 << 7;
  QTest::newRow("one row") << 9 << 1;
  QTest::newRow("wide 12 x 7") << 12 << 7;
  QTest::newRow("30 x 30") << 30 << 30;
  QTest::newRow("1 x 1") << 1 << 1;
}

void TestGeometry::initMapFillsReadingOrder() {
  QFETCH(int, xn);
  QFETCH(int, yn);
  GameState g;
  g.Xn = int16_t(xn);
  g.Yn = int16_t(yn);
  g.Map = filled(-3);
  quavinto::InitMap(g);
  for (int col = 0; col < quavinto::kGridSize; ++col) {
    for (int row = 0; row < quavinto::kGridSize; ++row) {
      const bool onBoard = col >= 1 && col <= xn && row >= 1 && row <= yn;
      const int expected = onBoard ? (row - 1) * xn + col : 0;
      if (g.Map[col][row] != expected)
        QFAIL(qPrintable(QStringLiteral("Map[%1][%2] is %3, expected %4").arg(col).arg(row).arg(g.Map[col][row]).arg(expected)));
    }
  }
  // The numbering agrees with the home cell of each piece.
  for (int k = 1; k <= xn * yn; ++k)
    QCOMPARE(int(g.Map[quavinto::homeColumn(xn, k)][quavinto::homeRow(xn, k)]), k);
}

void TestGeometry::initMapAfterShrinking() {
  GameState g = board(10, 10);
  g.Xn = 5;
  g.Yn = 5;
  quavinto::InitMap(g);
  for (int col = 1; col <= 30; ++col)
    for (int row = 1; row <= 30; ++row)
      if (col > 5 || row > 5) QCOMPARE(int(g.Map[col][row]), 0);
  QCOMPARE(int(g.Map[5][5]), 25);
  QCOMPARE(int(g.Map[5][1]), 5);
  QCOMPARE(int(g.Map[1][2]), 6);
}

void TestGeometry::initMapLeavesReversalsAlone() {
  GameState g;
  g.Xn = 4;
  g.Yn = 3;
  g.RMap = filled(0);
  g.RMap[2][3] = 1;
  g.RMap[4][1] = 1;
  g.RMap[17][20] = 1;
  const Grid before = g.RMap;
  quavinto::InitMap(g);
  QVERIFY(g.RMap == before);
}

void TestGeometry::cellBoundaries_data() {
  QTest::addColumn<int>("coordinate");
  QTest::addColumn<int>("cell");
  QTest::newRow("0") << 0 << 1;
  QTest::newRow("63 last pixel of column 1") << 63 << 1;
  QTest::newRow("64 first pixel of column 2") << 64 << 2;
  QTest::newRow("127") << 127 << 2;
  QTest::newRow("128") << 128 << 3;
  QTest::newRow("-1 truncates into column 1") << -1 << 1;
  QTest::newRow("-64") << -64 << 0;
}

void TestGeometry::cellBoundaries() {
  QFETCH(int, coordinate);
  QFETCH(int, cell);
  const MainVars v = pieces(64, 64);
  QCOMPARE(quavinto::cellColumn(v, coordinate), cell);
  QCOMPARE(quavinto::cellRow(v, coordinate), cell);
  if (cell >= 1) {
    // The same boundary decides which piece GetPieceOrigin reads.
    const GameState g = board(5, 5);
    const quavinto::SourceOrigin across = quavinto::GetPieceOrigin(g, v, coordinate, 10);
    QVERIFY(across.ok);
    QCOMPARE(across.x, (cell - 1) * 64);
    QCOMPARE(across.y, 0);
    const quavinto::SourceOrigin down = quavinto::GetPieceOrigin(g, v, 10, coordinate);
    QVERIFY(down.ok);
    QCOMPARE(down.x, 0);
    QCOMPARE(down.y, (cell - 1) * 64);
  }
}

void TestGeometry::everyPointOfACellGivesItsOrigin_data() {
  QTest::addColumn<int>("xn");
  QTest::addColumn<int>("yn");
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("height");
  QTest::newRow("5 x 5 of 76 x 51") << 5 << 5 << 76 << 51;
  QTest::newRow("one column of 5") << 1 << 5 << 40 << 9;
  QTest::newRow("one row of 6") << 6 << 1 << 7 << 33;
  QTest::newRow("30 x 30 of 3 x 2") << 30 << 30 << 3 << 2;
  QTest::newRow("1 x 1") << 1 << 1 << 5 << 4;
}

void TestGeometry::everyPointOfACellGivesItsOrigin() {
  QFETCH(int, xn);
  QFETCH(int, yn);
  QFETCH(int, width);
  QFETCH(int, height);
  const GameState g = board(xn, yn);
  const MainVars v = pieces(width, height);
  for (int col = 1; col <= xn; ++col) {
    for (int row = 1; row <= yn; ++row) {
      const int left = (col - 1) * width;
      const int top = (row - 1) * height;
      const QPoint corners[] = {{left, top}, {left + width - 1, top}, {left, top + height - 1},
                                {left + width - 1, top + height - 1}, {left + width / 2, top + height / 2}};
      for (const QPoint& p : corners) {
        const quavinto::SourceOrigin origin = quavinto::GetPieceOrigin(g, v, p.x(), p.y());
        if (!origin.ok || origin.x != left || origin.y != top)
          QFAIL(qPrintable(QStringLiteral("point (%1, %2) of cell (%3, %4) gave (%5, %6) ok=%7")
                               .arg(p.x()).arg(p.y()).arg(col).arg(row).arg(origin.x).arg(origin.y).arg(origin.ok)));
      }
    }
  }
}

void TestGeometry::movedPieceOriginFollowsMap() {
  GameState g = board(1, 5);
  const MainVars v = pieces(40, 9);
  // Piece k of a single column lies in column 1, row k.
  for (int k = 1; k <= 5; ++k) QCOMPARE(int(g.Map[1][k]), k);
  // Piece 5 moved to the top cell: the top cell now shows the bottom rectangle.
  std::swap(g.Map[1][1], g.Map[1][5]);
  quavinto::SourceOrigin origin = quavinto::GetPieceOrigin(g, v, 3, 2);
  QVERIFY(origin.ok);
  QCOMPARE(origin.x, 0);
  QCOMPARE(origin.y, 4 * 9);
  origin = quavinto::GetPieceOrigin(g, v, 39, 4 * 9 + 8);
  QVERIFY(origin.ok);
  QCOMPARE(origin.y, 0);

  GameState wide = board(6, 1);
  const MainVars w = pieces(7, 33);
  wide.Map[2][1] = 6;
  wide.Map[6][1] = 2;
  origin = quavinto::GetPieceOrigin(wide, w, 7, 0);
  QVERIFY(origin.ok);
  QCOMPARE(origin.x, 5 * 7);
  QCOMPARE(origin.y, 0);

  GameState big = board(30, 30);
  const MainVars b = pieces(3, 2);
  big.Map[1][1] = 900;
  origin = quavinto::GetPieceOrigin(big, b, 0, 0);
  QVERIFY(origin.ok);
  QCOMPARE(origin.x, 29 * 3);
  QCOMPARE(origin.y, 29 * 2);
}

void TestGeometry::pointsOutsideGridAreRefused_data() {
  QTest::addColumn<int>("x");
  QTest::addColumn<int>("y");
  // Pieces of 10 x 10: column 31 starts at x = 300.
  QTest::newRow("column 31") << 300 << 5;
  QTest::newRow("row 31") << 5 << 300;
  // Division truncates toward zero: -11 is still column 0, -20 is column -1.
  QTest::newRow("column -1") << -20 << 5;
  QTest::newRow("row -1") << 5 << -20;
  QTest::newRow("largest x") << INT_MAX << 5;
  QTest::newRow("smallest x") << INT_MIN << 5;
  QTest::newRow("largest y") << 5 << INT_MAX;
  QTest::newRow("smallest y") << 5 << INT_MIN;
}

void TestGeometry::pointsOutsideGridAreRefused() {
  QFETCH(int, x);
  QFETCH(int, y);
  // Every grid cell holds a piece, so a read of any cell would succeed: only a
  // refusal before reading gives ok false (and no fatal stop).
  GameState g = board(30, 30);
  g.Map = filled(1);
  const quavinto::SourceOrigin origin = quavinto::GetPieceOrigin(g, pieces(10, 10), x, y);
  QVERIFY(!origin.ok);
  QVERIFY(!origin.emptyCell);
}

void TestGeometry::swapExchangesDropAndDragCells_data() {
  QTest::addColumn<int>("fromCol");
  QTest::addColumn<int>("fromRow");
  QTest::addColumn<int>("toCol");
  QTest::addColumn<int>("toRow");
  QTest::newRow("neighbours across") << 1 << 1 << 2 << 1;
  QTest::newRow("neighbours down") << 3 << 2 << 3 << 3;
  QTest::newRow("far corners") << 1 << 1 << 5 << 5;
  QTest::newRow("back to front") << 5 << 4 << 2 << 1;
}

void TestGeometry::swapExchangesDropAndDragCells() {
  QFETCH(int, fromCol);
  QFETCH(int, fromRow);
  QFETCH(int, toCol);
  QFETCH(int, toRow);
  GameState g = board(5, 5);
  MainVars v = pieces(76, 51);
  v.DragFromX = (fromCol - 1) * 76;
  v.DragFromY = (fromRow - 1) * 51;
  Grid expected = g.Map;
  std::swap(expected[fromCol][fromRow], expected[toCol][toRow]);
  QVERIFY(quavinto::SwapMap(g, v, (toCol - 1) * 76, (toRow - 1) * 51));
  QVERIFY(g.Map == expected);

  // RMap is exchanged by the same rule.
  Grid reversed = filled(0);
  reversed[fromCol][fromRow] = 1;
  QVERIFY(quavinto::exchangeCells(reversed, v, (toCol - 1) * 76, (toRow - 1) * 51));
  QCOMPARE(int(reversed[toCol][toRow]), 1);
  QCOMPARE(int(reversed[fromCol][fromRow]), 0);

  // The cell's origin then reads the piece that came from the drag cell.
  const quavinto::SourceOrigin origin = quavinto::GetPieceOrigin(g, v, (toCol - 1) * 76 + 75, (toRow - 1) * 51 + 50);
  QVERIFY(origin.ok);
  QCOMPARE(origin.x, (fromCol - 1) * 76);
  QCOMPARE(origin.y, (fromRow - 1) * 51);
}

void TestGeometry::swapOfOneCellChangesNothing() {
  GameState g = board(5, 5);
  MainVars v = pieces(76, 51);
  v.DragFromX = 2 * 76;
  v.DragFromY = 3 * 51;
  const Grid before = g.Map;
  QVERIFY(quavinto::SwapMap(g, v, 2 * 76, 3 * 51));
  QVERIFY(g.Map == before);
}

void TestGeometry::swapOutsideGridChangesNothing_data() {
  QTest::addColumn<int>("x");
  QTest::addColumn<int>("y");
  QTest::addColumn<int>("fromX");
  QTest::addColumn<int>("fromY");
  QTest::newRow("drop past column 30") << 30 * 10 << 0 << 0 << 0;
  QTest::newRow("drop past row 30") << 0 << 30 * 10 << 0 << 0;
  QTest::newRow("drag cell negative") << 0 << 0 << -20 << 0;
  QTest::newRow("drop far away") << INT_MAX << INT_MIN << 0 << 0;
}

void TestGeometry::swapOutsideGridChangesNothing() {
  QFETCH(int, x);
  QFETCH(int, y);
  QFETCH(int, fromX);
  QFETCH(int, fromY);
  GameState g = board(30, 30);
  MainVars v = pieces(10, 10);
  v.DragFromX = fromX;
  v.DragFromY = fromY;
  const Grid before = g.Map;
  QVERIFY(!quavinto::SwapMap(g, v, x, y));
  QVERIFY(g.Map == before);
}

void TestGeometry::exchangeRoundsHalfToEven_data() {
  QTest::addColumn<int>("x");
  QTest::addColumn<int>("expectedCol");
  // Pieces 10 wide: x / 10 + 1 with x = 5 is 1.5, x = 15 is 2.5, x = 25 is 3.5.
  QTest::newRow("1.5 goes to 2") << 5 << 2;
  QTest::newRow("2.5 goes to 2") << 15 << 2;
  QTest::newRow("3.5 goes to 4") << 25 << 4;
  QTest::newRow("2.4 goes to 2") << 14 << 2;
  QTest::newRow("2.6 goes to 3") << 16 << 3;
}

void TestGeometry::exchangeRoundsHalfToEven() {
  QFETCH(int, x);
  QFETCH(int, expectedCol);
  GameState g = board(5, 5);
  MainVars v = pieces(10, 10);
  v.DragFromX = 0;
  v.DragFromY = 40;  // cell (1, 5), piece 21
  QVERIFY(quavinto::SwapMap(g, v, x, 40));
  QCOMPARE(int(g.Map[expectedCol][5]), 21);
  QCOMPARE(int(g.Map[1][5]), 20 + expectedCol);
}

void TestGeometry::fatalStopOnEmptyCell_data() {
  QTest::addColumn<int>("x");
  QTest::addColumn<int>("y");
  QTest::addColumn<int>("emptyCol");
  QTest::addColumn<int>("emptyRow");
  QTest::addColumn<QString>("log");
  // Pieces 76 x 51 on a 5 x 5 board; emptyCol 0 means no cell is emptied by hand.
  QTest::newRow("emptied board cell") << 130 << 20 << 2 << 1
                                      << QStringLiteral("Erorr Log:\r\nX= 130  dx= 76  Xn= 5\r\nY= 20  dy= 51  Yn= 5");
  QTest::newRow("negative x in column 1") << -5 << 20 << 1 << 1
                                          << QStringLiteral("Erorr Log:\r\nX=-5  dx= 76  Xn= 5\r\nY= 20  dy= 51  Yn= 5");
  QTest::newRow("negative y in row 1") << 100 << -5 << 2 << 1
                                       << QStringLiteral("Erorr Log:\r\nX= 100  dx= 76  Xn= 5\r\nY=-5  dy= 51  Yn= 5");
  QTest::newRow("right of the board") << 400 << 0 << 0 << 0
                                      << QStringLiteral("Erorr Log:\r\nX= 400  dx= 76  Xn= 5\r\nY= 0  dy= 51  Yn= 5");
  QTest::newRow("column 0") << -80 << 60 << 0 << 0
                            << QStringLiteral("Erorr Log:\r\nX=-80  dx= 76  Xn= 5\r\nY= 60  dy= 51  Yn= 5");
}

void TestGeometry::fatalStopOnEmptyCell() {
  QFETCH(int, x);
  QFETCH(int, y);
  QFETCH(int, emptyCol);
  QFETCH(int, emptyRow);
  QFETCH(QString, log);
  GameState g = board(5, 5);
  if (emptyCol > 0) g.Map[emptyCol][emptyRow] = 0;
  const MainVars v = pieces(76, 51);
  QCOMPARE(quavinto::errorLogText(v, g.Xn, g.Yn, x, y), log);
  // The lookup itself only reports the empty cell: the stop is the window's.
  const quavinto::SourceOrigin origin = quavinto::GetPieceOrigin(g, v, x, y);
  QVERIFY(origin.emptyCell);
  QVERIFY(!origin.ok);

  const ChildResult child = runFatalInChild(g, v, x, y);
  QVERIFY2(child.exited, "the child did not exit normally");
  QVERIFY2(child.exitCode != 99, "the stop on an empty cell returned instead of ending the process");
  QCOMPARE(child.exitCode, 1);
  QCOMPARE(child.boxes.size(), 2);
  QCOMPARE(child.boxes[0].style, 16);
  QCOMPARE(child.boxes[0].text, QStringLiteral(u"画面の無効な場所をクリックしました。\r\nプログラムを中止します。"));
  QCOMPARE(child.boxes[0].title, QStringLiteral("QUAVINTO"));
  QCOMPARE(child.boxes[1].style, 0);
  QCOMPARE(child.boxes[1].text, log);
  QCOMPARE(child.boxes[1].title, QStringLiteral("QUAVINTO"));
}

void TestGeometry::fatalStopFromThePlayedWindow() {
  const ChildResult child = runWindowChildProcess();
  QVERIFY2(child.exited, "the child did not exit normally");
  QVERIFY2(child.exitCode != 97, "the child could not start a game");
  QVERIFY2(!child.settingsLeft, "the fatal stop wrote to the settings store");
  QVERIFY2(child.exitCode != 99, "the press on an empty cell did not end the process");
  QCOMPARE(child.exitCode, 1);
  // The start question, then the two messages of the stop and nothing else.
  QCOMPARE(child.boxes.size(), 3);
  QCOMPARE(child.boxes[0].style, 4);
  QCOMPARE(child.boxes[1].style, 16);
  QCOMPARE(child.boxes[1].text, QStringLiteral(u"画面の無効な場所をクリックしました。\r\nプログラムを中止します。"));
  QCOMPARE(child.boxes[2].style, 0);
  QVERIFY(child.boxes[2].text.startsWith(QStringLiteral("Erorr Log:\r\nX=")));
}

// The test program doubles as the window child when started with its flag.
int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], kWindowChildFlag) == 0) return runWindowChild(argc, argv);
  QCoreApplication app(argc, argv);
  TestGeometry test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

#include "tst_geometry.moc"
