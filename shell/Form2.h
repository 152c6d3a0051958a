// The settings dialog: number of pieces, finished-picture view, background colour.
//
// The main window creates it on the settings command and runs it with exec().
// It reads GameState when it opens and writes Xn, Yn, SepFlag, HyoujiFlag and
// ColorFlag only when the player confirms with OK; CANCEL, Escape and the close
// box leave GameState exactly as it was. The main window applies the colour
// (chosenColor(), equal to ColorFlag after OK) when it re-lays itself.
#pragma once

#include "core/GameState.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quavinto {

class Form2 : public QDialog {
  Q_OBJECT
public:
  explicit Form2(GameState& gs, QWidget* parent = nullptr);
  ~Form2() override;

  // Index of the first selected background colour (0 SYSTEM .. 5 yellow).
  int chosenColor() const;

  // Handlers under the design's names; tests and the widgets call them.
  // A preset was selected: FREE (3) enables the two count boxes, others disable them.
  void Option1_Click(int index);
  // Filters one typed character code; returns the code to keep, 0 to discard it.
  int Text1_KeyPress(int index, int keyCode);
  // Checks a count box after every change of its text.
  void Text1_Change(int index);
  // 0 OK, 1 CANCEL.
  void Command1_Click(int index);

  // The controls, under the design's names.
  std::array<QLabel*, 3> Label1{};
  std::array<QRadioButton*, 4> Option1{};
  std::array<QLineEdit*, 2> Text1{};
  QCheckBox* Check1 = nullptr;
  std::array<QPushButton*, 2> Command1{};
  QGroupBox* Frame1 = nullptr;
  std::array<QRadioButton*, 6> Option2{};
  QLabel* Image1 = nullptr;
  QFrame* Shape1 = nullptr;
  QFrame* Shape2 = nullptr;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void buildControls();
  void form_load();
  // Whole number read from a count box, as the change check and OK read it.
  int countOf(int index) const;

  GameState& gs_;
  QButtonGroup* divisionGroup_ = nullptr;
  QButtonGroup* colourGroup_ = nullptr;
};

}  // namespace quavinto
