// The about box: program name, version and the maker's notice.
//
// Modeless; only one exists at a time (showAbout raises the open one) and it
// deletes itself when closed with OK, Escape or its close box.
//
// For developers only, never shown or hinted at to the player: pressing the
// right mouse button on the notice (Label2(0)) while Ctrl and Shift, and no
// other modifier, are held opens the diagnostics window (Form4) and closes the
// about box. Any other press on either Label2 does nothing.
#pragma once

#include "core/GameState.h"

#include <QDialog>

#include <array>

class QFrame;
class QLabel;
class QPushButton;

namespace quavinto {

class Form3 : public QDialog {
  Q_OBJECT
public:
  // Shows the about box for `owner` (which holds `gs` and outlives the box),
  // or brings the open one to the front. Returns the box shown.
  static Form3* showAbout(const GameState& gs, QWidget* owner);

  Form3(const GameState& gs, QWidget* owner);
  ~Form3() override;

  // Closes the about box.
  void Command1_Click();
  // A press on Label2(index); design codes: button 1 left, 2 right, 4 middle;
  // shift 1 Shift, 2 Ctrl, 4 Alt, added together.
  void Label2_MouseDown(int index, int button, int shift);

  QLabel* Label1 = nullptr;
  std::array<QLabel*, 2> Label2{};
  QFrame* Shape1 = nullptr;
  QFrame* Shape2 = nullptr;
  QLabel* Image1 = nullptr;
  QPushButton* Command1 = nullptr;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  const GameState& gs_;
};

}  // namespace quavinto
