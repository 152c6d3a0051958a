// The table of menu states by event, and the one place that applies it.
#include "core/MenuStates.h"

namespace quavinto {
namespace {

constexpr MenuChange K = MenuChange::Keep;
constexpr MenuChange E = MenuChange::On;
constexpr MenuChange D = MenuChange::Off;
constexpr MenuChange V = MenuChange::ByView;

//                 GStart GStop SaveData ReadData ScaleAll Game SetData1
constexpr std::array<MenuRow, 14> kTable = {{
    {MenuEvent::Design, "design", {E, D, D, E, E, E, E}},
    {MenuEvent::WindowLoaded, "window loaded", {E, D, K, K, V, K, K}},
    {MenuEvent::PlayBegun, "play begun", {D, E, E, D, K, K, K}},
    {MenuEvent::StartPreparing, "start preparing", {E, D, K, K, K, K, K}},
    {MenuEvent::StartDeclined, "start declined", {K, K, D, E, K, K, K}},
    {MenuEvent::GameStopped, "game stopped", {E, D, D, E, K, K, K}},
    // With the puzzle done no game is in play, so a saved game can be read,
    // as after a stop.
    {MenuEvent::PuzzleCompleted, "puzzle completed", {E, D, D, E, K, K, K}},
    {MenuEvent::PictureChosen, "picture chosen", {E, D, D, E, K, K, K}},
    {MenuEvent::BoardBuilt, "board built", {E, K, K, K, K, E, E}},
    // The view setting comes from the file, as if chosen in the settings dialog.
    {MenuEvent::GameRead, "game read", {K, K, K, K, V, K, K}},
    {MenuEvent::GameSaved, "game saved", {K, K, K, E, K, K, K}},
    {MenuEvent::ReadDeclined, "read declined", {E, D, D, E, K, K, K}},
    {MenuEvent::SettingsOpening, "settings opening", {K, K, D, E, K, K, K}},
    {MenuEvent::SettingsClosed, "settings closed", {E, D, K, K, V, K, K}},
}};

constexpr bool rowsInEventOrder() {
  for (size_t i = 0; i < kTable.size(); ++i)
    if (size_t(kTable[i].event) != i) return false;
  return true;
}
static_assert(rowsInEventOrder(), "menuRow() finds a row by its event's number");

}  // namespace

const std::array<MenuRow, 14>& menuTable() { return kTable; }

const MenuRow& menuRow(MenuEvent event) { return kTable[size_t(event)]; }

void applyMenuEvent(GameHost& h, MenuEvent event) {
  const MenuRow& row = menuRow(event);
  for (size_t i = 0; i < kMenuColumns.size(); ++i) {
    switch (row.changes[i]) {
      case MenuChange::Keep: break;
      case MenuChange::On: h.setMenuEnabled(kMenuColumns[i], true); break;
      case MenuChange::Off: h.setMenuEnabled(kMenuColumns[i], false); break;
      case MenuChange::ByView: h.setMenuEnabled(kMenuColumns[i], h.state().HyoujiFlag == 1); break;
    }
  }
}

}  // namespace quavinto
