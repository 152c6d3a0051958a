// Shared test fixtures.
#include "support/TestSupport.h"

#include "platform/Clock.h"
#include "platform/SettingsStore.h"

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

PrivateSettings::PrivateSettings() { platform::setSettingsRoot(dir.path()); }
PrivateSettings::~PrivateSettings() { platform::setSettingsRoot(QString()); }
QString PrivateSettings::path() const { return platform::settingsFilePath(QStringLiteral("XAN")); }

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

}  // namespace testsupport
