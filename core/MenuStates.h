// Which menu commands are enabled after each event of the game, in one table.
//
// Every change of a command's enabled state goes through applyMenuEvent with
// the event that caused it; the row of that event says, per command, whether
// it becomes enabled, disabled, follows the finished-picture view setting, or
// keeps its state. A saved game can exist only while a game is in play, so
// every event that leaves no game in play disables SaveData.
#pragma once

#include "core/GameHost.h"

#include <array>

namespace quavinto {

enum class MenuEvent {
  Design,           // the menu bar as built, before the window loads
  WindowLoaded,     // the main window's load
  PlayBegun,        // play starts (a confirmed start or a resumed game)
  StartPreparing,   // a game start, before its question
  StartDeclined,    // the start question answered No
  GameStopped,      // the stop command
  PuzzleCompleted,  // the congratulation closed
  PictureChosen,    // the picture command or an accepted dropped picture: the game ends
  BoardBuilt,       // a board built from a picture
  GameRead,         // a game file read, its settings taken over
  GameSaved,        // a game file chosen for saving
  ReadDeclined,     // a game read, resumption answered No: no game runs
  SettingsOpening,  // the settings command, before its dialog
  SettingsClosed,   // the settings command, after its dialog
};

// What an event does to one command.
enum class MenuChange : char {
  Keep,    // unchanged
  On,      // enabled
  Off,     // disabled
  ByView,  // enabled exactly while the finished-picture view is shown
};

// The commands of the table, in column order.
constexpr std::array<Menu, 7> kMenuColumns = {Menu::GStart,   Menu::GStop, Menu::SaveData, Menu::ReadData,
                                              Menu::ScaleAll, Menu::Game,  Menu::SetData1};

struct MenuRow {
  MenuEvent event;
  const char* name;
  std::array<MenuChange, kMenuColumns.size()> changes;
};

// The whole table, one row per event, in the order of MenuEvent.
const std::array<MenuRow, 14>& menuTable();
const MenuRow& menuRow(MenuEvent event);
// Sets every command the event's row names.
void applyMenuEvent(GameHost& h, MenuEvent event);

}  // namespace quavinto
