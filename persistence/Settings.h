// The player's preferences in the per-user store: application XAN, section
// QUAVINTO, six keys read once at start-up and written once on a confirmed exit.
#pragma once

#include <QString>
#include <cstdint>

#include "core/GameState.h"

namespace quavinto {

struct SettingKey {
  const char* name;
  int16_t GameState::*field;
  const char* defaultText;
};

// The one table of keys, in the order they are read and written.
extern const SettingKey kSettingKeys[6];

QString settingsApplication();  // "XAN"
QString settingsSection();      // "QUAVINTO"

// Fills the six fields from the store, or from the defaults. A count outside 1
// to 30, and any value outside 16 bits, is replaced by its default.
void LoadSettings(GameState& g);
// Writes the six fields as decimal text, all in one write. Returns false when
// the store could not be written; an exit goes on regardless, and never waits
// long on the store.
bool SaveSettings(const GameState& g);
// What the player is told once when leaving could not write the settings: the
// choices made are lost, and the folder that refused them is named.
QString settingsNotSavedText();

}  // namespace quavinto
