// Shared test fixtures.
#include "support/TestSupport.h"

#include "core/Geometry.h"
#include "core/MenuStates.h"
#include "platform/Clock.h"
#include "shell/Form1.h"
#include "shell/Form2.h"

#include <QAction>
#include <QtTest>
#include <QTimer>
#include <QApplication>
#include <QMenu>
#include <QDir>
#include <QProcess>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/SettingsStore.h"
#include "platform/UiSetup.h"

namespace testsupport {

ScriptedBoxes::ScriptedBoxes() {
  previous_ = platform::setMsgBoxResponder([this](const QString& text, int style, const QString& title) {
    ShownBox box{text, style, title};
    shown.append(box);
    if (onShow) onShow(box);
    if (!script_.empty()) {
      const int code = script_.front();
      script_.pop_front();
      return code;
    }
    return (style & 7) == 4 ? platform::vbYes : platform::vbOK;
  });
}

ScriptedBoxes::~ScriptedBoxes() { platform::setMsgBoxResponder(previous_); }

ScriptedFileDialog::ScriptedFileDialog(std::deque<QString> answers) : script(std::move(answers)) {
  previous_ = platform::setFileDialogResponder([this](const platform::CommonDialog& d) -> std::optional<QString> {
    shown.push_back(d);
    if (script.empty()) return std::nullopt;
    const QString answer = script.front();
    script.pop_front();
    if (answer.isNull()) return std::nullopt;
    return answer;
  });
}

ScriptedFileDialog::~ScriptedFileDialog() { platform::setFileDialogResponder(previous_); }

// The player's data (the records) and state (the kept game, the recent
// pictures) go to the same private folder.
PrivateSettings::PrivateSettings()
    : oldDataHome_(qgetenv("XDG_DATA_HOME")), oldStateHome_(qgetenv("XDG_STATE_HOME")) {
  platform::setSettingsRoot(dir.path());
  qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toLocal8Bit());
  qputenv("XDG_STATE_HOME", (dir.path() + QStringLiteral("/state")).toLocal8Bit());
}
PrivateSettings::~PrivateSettings() {
  platform::setSettingsRoot(QString());
  qputenv("XDG_DATA_HOME", oldDataHome_);
  qputenv("XDG_STATE_HOME", oldStateHome_);
}
QString PrivateSettings::path() const { return platform::settingsFilePath(QStringLiteral("XAN")); }

void addHostileFileRows() {
  QTest::addColumn<QString>("kind");
  QTest::newRow("named pipe") << QStringLiteral("pipe");
  QTest::newRow("link to /dev/zero") << QStringLiteral("zero");
  QTest::newRow("folder") << QStringLiteral("folder");
  QTest::newRow("over the size limit") << QStringLiteral("big");
  QTest::newRow("NUL in the content") << QStringLiteral("nul");
}

bool makeHostileFile(const QString& path, const QString& kind, qint64 cap, const QByteArray& withNul) {
  ::alarm(20);
  const QByteArray native = QFile::encodeName(path);
  if (kind == QLatin1String("pipe")) return ::mkfifo(native.constData(), 0600) == 0;
  if (kind == QLatin1String("zero")) return QFile::link(QStringLiteral("/dev/zero"), path);
  if (kind == QLatin1String("folder")) return QDir().mkdir(path);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(withNul) != withNul.size()) return false;
  return kind == QLatin1String("nul") || file.resize(cap + 1);
}

EnglishUi::EnglishUi() {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app) QFAIL("the English interface needs a QApplication");
  if (!platform::setUpUi(*app, platform::UiLanguage::English)) QFAIL("the English translation did not load");
  // The same figures whatever the desktop running the tests writes.
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

EnglishUi::~EnglishUi() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) platform::tearDownUi(*app);
}

FakeClock::FakeClock(double start) : now(start) {
  platform::setClock([this] { return now; });
}
FakeClock::~FakeClock() { platform::setClock({}); }

FakeRandom::FakeRandom(std::vector<double> values) : values_(std::move(values)) {
  platform::setRandom([this] {
    if (values_.empty()) return 0.0;
    const double value = values_[std::min(next_, values_.size() - 1)];
    ++next_;
    return value;
  });
}
FakeRandom::~FakeRandom() { platform::setRandom({}); }

QImage pieceImage(const QImage& source, const quavinto::GameState& g, const quavinto::MainVars& v, int k,
                  bool reversed) {
  const int sx = ((k - 1) % g.Xn) * v.PieceWidth;
  const int sy = ((k - 1) / g.Xn) * v.PieceHeight;
  QImage piece = source.copy(sx, sy, v.PieceWidth, v.PieceHeight).convertToFormat(QImage::Format_RGB32);
  if (reversed) piece = piece.mirrored(true, true);
  return piece;
}

QString checkBoard(const QImage& board, const QImage& source, const quavinto::GameState& g,
                   const quavinto::MainVars& v, int skipCol, int skipRow) {
  const QImage boardRgb = board.convertToFormat(QImage::Format_RGB32);
  for (int row = 1; row <= g.Yn; ++row) {
    for (int col = 1; col <= g.Xn; ++col) {
      if (col == skipCol && row == skipRow) continue;
      const int k = g.Map[col][row];
      if (k < 1 || k > g.Xn * g.Yn) return QStringLiteral("cell (%1, %2) holds no piece (%3)").arg(col).arg(row).arg(k);
      const QImage want = pieceImage(source, g, v, k, g.RMap[col][row] == 1);
      const QImage got = boardRgb.copy((col - 1) * v.PieceWidth, (row - 1) * v.PieceHeight, v.PieceWidth, v.PieceHeight);
      if (want != got)
        return QStringLiteral("cell (%1, %2) does not show piece %3%4")
            .arg(col)
            .arg(row)
            .arg(k)
            .arg(g.RMap[col][row] ? QStringLiteral(" reversed") : QString());
    }
  }
  return QString();
}

QString windowBoardProblem(quavinto::Form1& f) {
  const quavinto::GameState& g = f.state();
  const quavinto::MainVars& v = f.vars();
  const QSize board = f.Picture1->size();
  if (board != QSize(g.Xn * v.PieceWidth, g.Yn * v.PieceHeight))
    return QStringLiteral("board %1x%2 is not %3x%4 pieces of %5x%6")
        .arg(board.width())
        .arg(board.height())
        .arg(g.Xn)
        .arg(g.Yn)
        .arg(v.PieceWidth)
        .arg(v.PieceHeight);
  if (f.Picture4->width() < board.width() || f.Picture4->height() < board.height())
    return QStringLiteral("the reversed image %1x%2 does not cover the board %3x%4")
        .arg(f.Picture4->width())
        .arg(f.Picture4->height())
        .arg(board.width())
        .arg(board.height());
  const QPoint at = f.Picture2->pos();
  int skipCol = 0, skipRow = 0;
  const bool onBoard = !f.Picture2->isHidden() && at.x() > -v.PieceWidth && at.y() > -v.PieceHeight &&
                       at.x() < board.width() && at.y() < board.height();
  if (onBoard) {
    if (at.x() % v.PieceWidth != 0 || at.y() % v.PieceHeight != 0 || at.x() < 0 || at.y() < 0)
      return QStringLiteral("the floating piece at (%1, %2) is not on a cell").arg(at.x()).arg(at.y());
    if (f.Picture2->size() != QSize(v.PieceWidth, v.PieceHeight))
      return QStringLiteral("the floating piece is not one piece in size");
    skipCol = at.x() / v.PieceWidth + 1;
    skipRow = at.y() / v.PieceHeight + 1;
    const int k = g.Map[skipCol][skipRow];
    if (k < 1 || k > g.Xn * g.Yn)
      return QStringLiteral("cell (%1, %2) under the floating piece holds no piece").arg(skipCol).arg(skipRow);
    const QImage want = pieceImage(f.Picture1->picture(), g, v, k, g.RMap[skipCol][skipRow] == 1);
    const QImage shown =
        f.Picture2->retained().copy(0, 0, v.PieceWidth, v.PieceHeight).convertToFormat(QImage::Format_RGB32);
    if (want != shown)
      return QStringLiteral("the floating piece over (%1, %2) does not show piece %3%4")
          .arg(skipCol)
          .arg(skipRow)
          .arg(k)
          .arg(g.RMap[skipCol][skipRow] ? QStringLiteral(" reversed") : QString());
  }
  return checkBoard(f.Picture1->retained(), f.Picture1->picture(), g, v, skipCol, skipRow);
}

QString menuProblem(const quavinto::Form1& f) {
  const quavinto::GameState& g = f.state();
  const bool playing = g.GameRunning == 1;
  QStringList wrong;
  if (f.GStart->isEnabled() == playing) wrong << QStringLiteral("GStart");
  if (f.GStop->isEnabled() != playing) wrong << QStringLiteral("GStop");
  if (f.SaveData->isEnabled() != playing) wrong << QStringLiteral("SaveData");
  if (f.ScaleAll->menuAction()->isEnabled() != (g.HyoujiFlag == 1)) wrong << QStringLiteral("ScaleAll");
  if (!f.Game->menuAction()->isEnabled()) wrong << QStringLiteral("Game");
  if (!f.SetData1->isEnabled()) wrong << QStringLiteral("SetData1");
  if (wrong.isEmpty()) return QString();
  return QStringLiteral("menu states wrong with GameRunning %1, HyoujiFlag %2: %3 (%4)")
      .arg(g.GameRunning)
      .arg(g.HyoujiFlag)
      .arg(wrong.join(QStringLiteral(", ")), menuStates(f));
}

QString menuStates(const quavinto::Form1& f) {
  QString states;
  for (quavinto::Menu menu : quavinto::kMenuColumns)
    states += f.menuEnabled(menu) ? QLatin1Char('E') : QLatin1Char('D');
  return states;
}

void whenSettingsDialogOpens(std::function<void(quavinto::Form2&)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<quavinto::Form2*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    act(*dialog);
  });
}

quavinto::GameState solvedState(int xn, int yn) {
  quavinto::GameState gs;
  gs.Xn = int16_t(xn);
  gs.Yn = int16_t(yn);
  quavinto::InitMap(gs);
  return gs;
}

QString runRowAtScale(double scale) {
  if (qFuzzyCompare(qApp->devicePixelRatio(), scale)) return QStringLiteral("ran here");
  const QString row = QStringLiteral("%1:%2").arg(QTest::currentTestFunction(), QTest::currentDataTag());
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(), {row});
  if (!child.waitForFinished(120000)) return QStringLiteral("the child at scale %1 did not finish").arg(scale);
  const QString out = QString::fromUtf8(child.readAll());
  // The row must have run and passed, not been skipped or missed.
  const bool passed = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
                      out.contains(QStringLiteral("PASS   : ")) &&
                      out.contains(QStringLiteral(" 0 failed, 0 skipped")) &&
                      out.contains(QStringLiteral("(%1)").arg(QTest::currentDataTag()));
  return passed ? QString() : out;
}

}  // namespace testsupport
