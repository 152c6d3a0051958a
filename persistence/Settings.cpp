// Loading and saving the six preferences through one table of keys.
#include "persistence/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "platform/Numeric.h"
#include "platform/SettingsStore.h"

namespace quavinto {

const SettingKey kSettingKeys[6] = {
    {"Xn", &GameState::Xn, "5"},
    {"Yn", &GameState::Yn, "5"},
    {"SepFlag", &GameState::SepFlag, "0"},
    {"HyoujiFlag", &GameState::HyoujiFlag, "0"},
    {"ColorFlag", &GameState::ColorFlag, "0"},
    {"ZoomFlag", &GameState::ZoomFlag, "1"},
};

QString settingsApplication() { return QStringLiteral("XAN"); }
QString settingsSection() { return QStringLiteral("QUAVINTO"); }

void LoadSettings(GameState& g) {
  platform::SettingValues wanted;
  for (const SettingKey& key : kSettingKeys)
    wanted.append({QString::fromLatin1(key.name), QString::fromLatin1(key.defaultText)});
  const platform::SettingValues stored = platform::GetSettingGroup(settingsApplication(), settingsSection(), wanted);
  int index = 0;
  for (const SettingKey& key : kSettingKeys) {
    const QString text = stored[index++].second;
    const int16_t fallback = int16_t(QString::fromLatin1(key.defaultText).toInt());
    std::optional<int16_t> value = platform::toInt16(platform::val(text));
    // The grids hold 30 x 30 cells: a count outside 1 to 30 would index past
    // them, so it falls back to the default like a value outside 16 bits.
    const bool isCount = key.field == &GameState::Xn || key.field == &GameState::Yn;
    if (value && isCount && (*value < 1 || *value > kMaxCells)) value.reset();
    g.*(key.field) = value.value_or(fallback);
  }
}

bool SaveSettings(const GameState& g) {
  // All six in one write, so they always belong to one run of the program.
  platform::SettingValues values;
  for (const SettingKey& key : kSettingKeys)
    values.append({QString::fromLatin1(key.name), QString::number(g.*(key.field))});
  return platform::SaveSettingGroup(settingsApplication(), settingsSection(), values);
}

QString settingsNotSavedText() {
  const QString folder = QFileInfo(platform::settingsFilePath(settingsApplication())).absolutePath();
  return QCoreApplication::translate(
             "Settings",
             "設定を保存できませんでした。次回の起動では今回の設定は使われません。\r\n保存先のフォルダー: %1")
      .arg(QDir::toNativeSeparators(folder));
}

}  // namespace quavinto
