// Per-user settings store: text values by application, section and key.
//
// Each application is one INI file in the user's configuration directory
// (`$XDG_CONFIG_HOME/<application>/<application>.ini`, normally
// ~/.config/XAN/XAN.ini for this game); a section is an INI group.
#pragma once

#include <QString>

namespace platform {

// The stored text, or `defaultText` when the file, section or key is missing.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultText);
// Stores the text, creating file, section and key as needed. Returns false when
// the store could not be written; the caller decides whether that matters.
bool SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& text);
// Where the application's store lives.
QString settingsFilePath(const QString& application);
// Tests point the store at a folder of their own; empty restores the default.
void setSettingsRoot(const QString& directory);

}  // namespace platform
