// Per-user settings store: text values by application, section and key.
//
// Each application is one INI file in the user's configuration directory
// (`$XDG_CONFIG_HOME/<application>/<application>.ini`, normally
// ~/.config/XAN/XAN.ini for this game); a section is an INI group. Several
// keys of one section are read with one pass over the file and written with
// one write under the store's lock, so a program's values never mix with those
// of another copy writing at the same moment. The file is read once through
// the regular-file guard and replaced whole by the one checked writer: a full
// disk leaves the old file, and a link planted at the store is replaced, never
// written through. Leaving the program must never
// wait on the store: a lock left behind by a killed process is cleared at
// once, a live one is waited for only briefly, and a file far larger than any
// the program writes is set aside unread instead of being parsed.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace platform {

// (key, text) pairs of one section.
using SettingValues = QList<QPair<QString, QString>>;

// A store file larger than this is not one the program wrote: it is not read,
// and the next write sets it aside as "<file>.bad" and starts afresh.
constexpr qint64 kMaxSettingsFileBytes = 256 * 1024;

// The stored text, or `defaultText` when the file, section or key is missing.
QString GetSetting(const QString& application, const QString& section, const QString& key, const QString& defaultText);
// Every key of `keysWithDefaults` with its stored text, or its default text
// when missing, in the same order; the file is read once.
SettingValues GetSettingGroup(const QString& application, const QString& section,
                              const SettingValues& keysWithDefaults);
// Stores the text, creating file, section and key as needed. Returns false when
// the store could not be written; the caller decides whether that matters.
bool SaveSetting(const QString& application, const QString& section, const QString& key, const QString& text);
// Stores every pair in one write. Returns false when the store could not be
// written (or another copy kept it locked too long); nothing waits long.
bool SaveSettingGroup(const QString& application, const QString& section, const SettingValues& values);
// Where the application's store lives.
QString settingsFilePath(const QString& application);
// Tests point the store at a folder of their own; empty restores the default.
void setSettingsRoot(const QString& directory);

}  // namespace platform
