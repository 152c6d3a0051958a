// The main window's commands beyond the board: settings, closing, about, help.
#include <QCloseEvent>
#include <QCoreApplication>

#include "core/GameFlow.h"
#include "core/MenuStates.h"
#include "core/PieceDrawing.h"
#include "persistence/GameCommands.h"
#include "persistence/KeptGame.h"
#include "persistence/Settings.h"
#include "pictures/BoardLayout.h"
#include "platform/ManualDrag.h"
#include "platform/MsgBox.h"
#include "shell/Form1.h"
#include "shell/Form2.h"
#include "shell/Form3.h"
#include "shell/HelpWindow.h"
#include "shell/Messages.h"

namespace quavinto {
namespace {
QString settingsDuringGameText() {
  return QCoreApplication::translate("Form1Commands",
                                     "ゲーム中に設定を変更しにいくとゲームは中断されます\r\n設定を変更しますか");
}
QString exitText() { return QCoreApplication::translate("Form1Commands", "QUAVINTOを終了します。"); }
QString saveOfferText() {
  return QCoreApplication::translate("Form1Commands", "ゲーム中です。\r\nデータを保存しますか。");
}
}  // namespace

void Form1::SetData1_Click() {
  if (gs_.GameRunning == 1 && platform::MsgBox(settingsDuringGameText(), 36) != platform::vbYes) return;
  applyMenuEvent(*this, MenuEvent::SettingsOpening);
  hideFloatingPiece(*this);

  const int16_t oldXn = gs_.Xn, oldYn = gs_.Yn, oldSep = gs_.SepFlag;
  Form2 dialog(gs_, this);
  if (dialog.exec() == QDialog::Accepted) {
    // A grid the current picture cannot take is refused; the last good one stays.
    if (!boardFits(gs_.PictureWidth, gs_.PictureHeight, gs_.Xn, gs_.Yn)) {
      platform::MsgBox(boardTooSmallText(gs_.PictureWidth, gs_.PictureHeight, gs_.Xn, gs_.Yn), 48);
      gs_.Xn = oldXn;
      gs_.Yn = oldYn;
      gs_.SepFlag = oldSep;
    }
    applyBackgroundColour(true);
    // The view shown beside a board that filled the screen would lie past its edge.
    fitBoardPictureToView(*this);
  }
  ResetView();
  endGame(*this, GameEnd::Settings);
  applyMenuEvent(*this, MenuEvent::SettingsClosed);
  gs_.ResumeFlag = 0;
}

bool Form1::confirmExit() {
  askingToLeave_ = true;
  const bool confirmed = confirmExitSteps();
  askingToLeave_ = false;
  return confirmed;
}

bool Form1::confirmExitSteps() {
  if (platform::MsgBox(exitText(), 65) != platform::vbOK) return false;
  if (gs_.MemDC) platform::DeleteDC(gs_.MemDC);
  gs_.MemDC = nullptr;
  // A store that cannot be written never keeps the player from leaving; it is
  // only reported.
  if (!SaveSettings(gs_)) platform::MsgBox(settingsNotSavedText(), 48);
  if (gs_.GameRunning == 1) {
    // Kept first, so that a save that fails and is given up loses nothing;
    // only the player's No lets the game go.
    keeper->keepNow();
    if (platform::MsgBox(saveOfferText(), 36) == platform::vbYes)
      saveGameBeforeLeaving();
    else
      keeper->discard();
  }
  return true;
}

void Form1::Fin_Click() {
  if (!confirmExit()) return;
  endConfirmed();
}

void Form1::endConfirmed() {
  exitConfirmed_ = true;
  platform::cancelDrag();
  if (endProgram) {
    endProgram();
    return;
  }
  // Every window of the program closes at once, with no further question.
  QCoreApplication::exit(0);
}

bool Form1::sessionEnding(const std::function<bool()>& mayAsk) {
  if (exitConfirmed_) return true;
  if (commandsHeld() || askingToLeave_) return false;
  // Without leave to ask, the player's changes are lost as in any other end
  // that was not confirmed.
  if (!mayAsk()) {
    keeper->keepNow();
    return true;
  }
  if (!confirmExit()) return false;
  // Ended at once as by the menu: a dialog left open below the question
  // must not find its window gone when its own loop returns.
  endConfirmed();
  return true;
}

void Form1::closeEvent(QCloseEvent* event) {
  if (exitConfirmed_) {
    event->accept();
    return;
  }
  if (commandsHeld() || !confirmExit()) {
    event->ignore();
    return;
  }
  exitConfirmed_ = true;
  platform::cancelDrag();
  event->accept();
}

void Form1::Index_Click() { HelpWindow::showContents(this); }
void Form1::Key_Search_Click() { HelpWindow::showKeywordSearch(this); }
void Form1::About_Help_Click() { HelpWindow::showHelpOnHelp(this); }
void Form1::About_Proguram_Click() { Form3::showAbout(gs_, this); }

}  // namespace quavinto
