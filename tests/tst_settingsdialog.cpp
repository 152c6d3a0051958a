// The settings dialog: loading from the game state, the count boxes' key,
// paste and range rules, OK and CANCEL, and the layout against the design.
#include "platform/Screen.h"
#include "shell/Form2.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using quavinto::Form2;
using quavinto::GameState;

namespace {

const QString kRangeMessage = QStringLiteral(u"分割数はX,Y共1以上30以内です。");

GameState stateWith(int sepFlag, int xn, int yn, int hyouji = 0, int colour = 0) {
  GameState gs;
  gs.SepFlag = int16_t(sepFlag);
  gs.Xn = int16_t(xn);
  gs.Yn = int16_t(yn);
  gs.HyoujiFlag = int16_t(hyouji);
  gs.ColorFlag = int16_t(colour);
  // The default picture's size, as the main window measures it.
  gs.PictureWidth = 384;
  gs.PictureHeight = 256;
  return gs;
}

bool sameSettings(const GameState& a, const GameState& b) {
  return a.SepFlag == b.SepFlag && a.Xn == b.Xn && a.Yn == b.Yn && a.HyoujiFlag == b.HyoujiFlag &&
         a.ColorFlag == b.ColorFlag;
}

int checkedIndex(const QRadioButton* const* buttons, int count) {
  int found = -1;
  for (int i = 0; i < count; ++i)
    if (buttons[i]->isChecked()) {
      if (found >= 0) return -2;  // two selected in one group
      found = i;
    }
  return found;
}

// Types text key by key; characters without a key of their own (full-width
// digits) arrive as key events carrying only their text, as an input method
// without composition delivers them.
void typeInto(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() < 128)
      QTest::keyClick(widget, char(c.unicode()));
    else
      QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

}  // namespace

class SettingsDialogTest : public QObject {
  Q_OBJECT
private slots:
  void init() { platform::setScreenOverride(15, 15, QRect(0, 0, 1024, 768)); }
  void cleanup() { platform::setScreenOverride(0, 0, QRect()); }

  void loadsFromState_data();
  void loadsFromState();
  void typedCountsOutOfRange_data();
  void typedCountsOutOfRange();
  void keysOtherThanDigitsAreIgnored_data();
  void keysOtherThanDigitsAreIgnored();
  void enterInXMovesToY();
  void pastedTextKeepsDigitsOnly_data();
  void pastedTextKeepsDigitsOnly();
  void presetsIgnoreTheBoxes_data();
  void presetsIgnoreTheBoxes();
  void freeCountsSurviveReopening();
  void refusedFreeCountsChangeNothing_data();
  void refusedFreeCountsChangeNothing();
  void gridTooFineForPictureIsRefusedWhileOpen();
  void iconShownAtItsSize();
  void cancelChangesNothing_data();
  void cancelChangesNothing();
  void enterPressesOnlyAFocusedButton_data();
  void enterPressesOnlyAFocusedButton();
  void viewAndColourApplyOnOk();
  void layoutFollowsDesign_data();
  void layoutFollowsDesign();
  void tabOrderFollowsDesign();
};

void SettingsDialogTest::loadsFromState_data() {
  QTest::addColumn<int>("sepFlag");
  QTest::addColumn<int>("hyouji");
  QTest::addColumn<int>("colour");
  QTest::addColumn<int>("preset");
  QTest::addColumn<QString>("x");
  QTest::addColumn<QString>("y");
  QTest::addColumn<bool>("boxesEnabled");
  QTest::addColumn<int>("colourOption");
  QTest::newRow("25 pieces: boxes off and empty") << 0 << 0 << 0 << 0 << "" << "" << false << 0;
  QTest::newRow("64 pieces, view shown, black") << 1 << 1 << 2 << 1 << "" << "" << false << 2;
  QTest::newRow("100 pieces, yellow") << 2 << 0 << 5 << 2 << "" << "" << false << 5;
  QTest::newRow("free shows the counts") << 3 << 1 << 3 << 3 << "12" << "7" << true << 3;
  QTest::newRow("unknown preset keeps 25 pieces") << 7 << 0 << 1 << 0 << "" << "" << false << 1;
  QTest::newRow("unknown colour keeps SYSTEM") << 1 << 0 << 9 << 1 << "" << "" << false << 0;
  QTest::newRow("negative flags keep the design") << -1 << 2 << -1 << 0 << "" << "" << false << 0;
}

void SettingsDialogTest::loadsFromState() {
  QFETCH(int, sepFlag);
  QFETCH(int, hyouji);
  QFETCH(int, colour);
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(sepFlag, 12, 7, hyouji, colour);
  Form2 dialog(gs);
  QTEST(checkedIndex(dialog.Option1.data(), 4), "preset");
  QTEST(dialog.Text1[0]->text(), "x");
  QTEST(dialog.Text1[1]->text(), "y");
  QTEST(dialog.Text1[0]->isEnabled(), "boxesEnabled");
  QTEST(dialog.Text1[1]->isEnabled(), "boxesEnabled");
  QCOMPARE(dialog.Check1->isChecked(), hyouji == 1);
  QTEST(checkedIndex(dialog.Option2.data(), 6), "colourOption");
  QVERIFY(boxes.shown.isEmpty());
}

void SettingsDialogTest::typedCountsOutOfRange_data() {
  QTest::addColumn<int>("box");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("result");
  QTest::addColumn<int>("messages");
  QTest::newRow("45 in X") << 0 << "45" << "10" << 1;
  QTest::newRow("31 in Y") << 1 << "31" << "10" << 1;
  QTest::newRow("99 in X") << 0 << "99" << "10" << 1;
  QTest::newRow("30 passes") << 0 << "30" << "30" << 0;
  QTest::newRow("0 passes until OK") << 1 << "0" << "0" << 0;
  QTest::newRow("leading zero") << 0 << "07" << "07" << 0;
  QTest::newRow("full-width 45 in X") << 0 << QStringLiteral(u"４５") << "10" << 1;
}

void SettingsDialogTest::typedCountsOutOfRange() {
  QFETCH(int, box);
  QFETCH(QString, typed);
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(3, 5, 5);
  Form2 dialog(gs);
  dialog.Text1[box]->clear();
  typeInto(dialog.Text1[box], typed);
  QTEST(dialog.Text1[box]->text(), "result");
  QTEST(int(boxes.shown.size()), "messages");
  for (const auto& shown : boxes.shown) {
    QCOMPARE(shown.text, kRangeMessage);
    QCOMPARE(shown.style, 48);
    QCOMPARE(shown.title, QStringLiteral("QUAVINTO"));
  }
}

void SettingsDialogTest::keysOtherThanDigitsAreIgnored_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("result");
  QTest::newRow("letters") << "a1b" << "1";
  QTest::newRow("minus") << "-5" << "5";
  QTest::newRow("blank and point") << "1 .2" << "12";
  QTest::newRow("full-width digits") << QStringLiteral(u"１2") << "12";
  QTest::newRow("full-width third digit refused") << QStringLiteral(u"３０５") << "30";
  QTest::newRow("third digit refused") << "123" << "12";
}

void SettingsDialogTest::keysOtherThanDigitsAreIgnored() {
  QFETCH(QString, typed);
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(3, 5, 5);
  Form2 dialog(gs);
  dialog.Text1[0]->clear();
  typeInto(dialog.Text1[0], typed);
  QTEST(dialog.Text1[0]->text(), "result");
  QVERIFY(boxes.shown.isEmpty());
}

void SettingsDialogTest::enterInXMovesToY() {
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(3, 12, 7);
  const GameState before = gs;
  Form2 dialog(gs);
  dialog.show();
  QVERIFY(QTest::qWaitForWindowActive(&dialog));
  dialog.Text1[0]->setFocus();
  QVERIFY(dialog.Text1[0]->hasFocus());
  QTest::keyClick(dialog.Text1[0], Qt::Key_Return);
  QVERIFY(dialog.Text1[1]->hasFocus());
  QCOMPARE(dialog.Text1[0]->text(), QStringLiteral("12"));

  // Enter in Y neither moves on nor confirms the dialog.
  QTest::keyClick(dialog.Text1[1], Qt::Key_Enter);
  QVERIFY(dialog.Text1[1]->hasFocus());
  QVERIFY(dialog.isVisible());
  QCOMPARE(dialog.result(), 0);
  QVERIFY(sameSettings(gs, before));

  // Backspace still edits.
  QTest::keyClick(dialog.Text1[1], Qt::Key_Backspace);
  QCOMPARE(dialog.Text1[1]->text(), QString());
}

void SettingsDialogTest::pastedTextKeepsDigitsOnly_data() {
  QTest::addColumn<QString>("existing");
  QTest::addColumn<QString>("clipboard");
  QTest::addColumn<bool>("byKey");
  QTest::addColumn<QString>("result");
  QTest::newRow("mixed text") << "" << "a1b2" << false << "12";
  QTest::newRow("mixed text by Ctrl+V") << "" << "a1b2" << true << "12";
  QTest::newRow("no digits") << "" << "xyz" << false << "";
  QTest::newRow("long number cut at two") << "" << "1234" << false << "12";
  QTest::newRow("after a digit") << "2" << "x5y9" << true << "25";
  QTest::newRow("negative number") << "" << "-7" << false << "7";
  QTest::newRow("full-width digits") << "1" << QStringLiteral(u"ｘ９") << true << "19";
}

void SettingsDialogTest::pastedTextKeepsDigitsOnly() {
  QFETCH(QString, existing);
  QFETCH(QString, clipboard);
  QFETCH(bool, byKey);
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(3, 5, 5);
  Form2 dialog(gs);
  QLineEdit* x = dialog.Text1[0];
  x->setText(existing);
  x->end(false);
  QApplication::clipboard()->setText(clipboard);
  if (byKey)
    QTest::keyClick(x, Qt::Key_V, Qt::ControlModifier);
  else
    x->paste();
  QTEST(x->text(), "result");
  QVERIFY(boxes.shown.isEmpty());
}

void SettingsDialogTest::presetsIgnoreTheBoxes_data() {
  QTest::addColumn<int>("preset");
  QTest::addColumn<int>("cells");
  QTest::newRow("25PIECE") << 0 << 5;
  QTest::newRow("64PIECE") << 1 << 8;
  QTest::newRow("100PIECE") << 2 << 10;
}

void SettingsDialogTest::presetsIgnoreTheBoxes() {
  QFETCH(int, preset);
  QFETCH(int, cells);
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(3, 12, 7);
  Form2 dialog(gs);
  dialog.Option1[preset]->click();
  QVERIFY(!dialog.Text1[0]->isEnabled());
  QVERIFY(!dialog.Text1[1]->isEnabled());
  dialog.Command1[0]->click();
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(int(gs.SepFlag), preset);
  QCOMPARE(int(gs.Xn), cells);
  QCOMPARE(int(gs.Yn), cells);
  QVERIFY(boxes.shown.isEmpty());
}

void SettingsDialogTest::freeCountsSurviveReopening() {
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(0, 5, 5);
  {
    Form2 dialog(gs);
    QVERIFY(!dialog.Text1[0]->isEnabled());
    dialog.Option1[3]->click();
    QVERIFY(dialog.Text1[0]->isEnabled());
    QTest::keyClicks(dialog.Text1[0], QStringLiteral("12"));
    QTest::keyClicks(dialog.Text1[1], QStringLiteral("7"));
    dialog.Command1[0]->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }
  QCOMPARE(int(gs.SepFlag), 3);
  QCOMPARE(int(gs.Xn), 12);
  QCOMPARE(int(gs.Yn), 7);
  Form2 again(gs);
  QVERIFY(again.Option1[3]->isChecked());
  QCOMPARE(again.Text1[0]->text(), QStringLiteral("12"));
  QCOMPARE(again.Text1[1]->text(), QStringLiteral("7"));
  QVERIFY(again.Text1[0]->isEnabled());
  QVERIFY(boxes.shown.isEmpty());
}

void SettingsDialogTest::refusedFreeCountsChangeNothing_data() {
  QTest::addColumn<QString>("x");
  QTest::addColumn<QString>("y");
  QTest::newRow("empty X") << "" << "7";
  QTest::newRow("empty Y") << "9" << "";
  QTest::newRow("zero X") << "0" << "4";
  QTest::newRow("both zero") << "00" << "0";
}

void SettingsDialogTest::refusedFreeCountsChangeNothing() {
  QFETCH(QString, x);
  QFETCH(QString, y);
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(1, 8, 8, 1, 4);
  const GameState before = gs;
  Form2 dialog(gs);
  dialog.show();
  dialog.Option1[3]->click();
  dialog.Check1->setChecked(false);
  dialog.Option2[2]->setChecked(true);
  QTest::keyClicks(dialog.Text1[0], x);
  QTest::keyClicks(dialog.Text1[1], y);
  dialog.Command1[0]->click();
  QCOMPARE(boxes.shown.size(), 1);
  QCOMPARE(boxes.shown[0].text, kRangeMessage);
  QCOMPARE(boxes.shown[0].style, 48);
  QVERIFY(dialog.isVisible());
  QVERIFY(sameSettings(gs, before));

  // Cancelling after the refusal leaves the old preset, not FREE.
  dialog.Command1[1]->click();
  QVERIFY(!dialog.isVisible());
  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  QVERIFY(sameSettings(gs, before));
}

void SettingsDialogTest::gridTooFineForPictureIsRefusedWhileOpen() {
  // A 20 x 10 picture cannot be cut into 30 columns: the dialog says so and
  // stays open with nothing applied, so the player can type a grid that fits.
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(0, 5, 5, 0, 0);
  gs.PictureWidth = 20;
  gs.PictureHeight = 10;
  const GameState before = gs;
  Form2 dialog(gs);
  dialog.show();
  dialog.Option1[3]->click();
  QTest::keyClicks(dialog.Text1[0], QStringLiteral("30"));
  QTest::keyClicks(dialog.Text1[1], QStringLiteral("2"));
  dialog.Option2[3]->setChecked(true);
  dialog.Command1[0]->click();
  QCOMPARE(boxes.shown.size(), 1);
  QCOMPARE(boxes.shown[0].style, 48);
  QVERIFY(boxes.shown[0].text.contains(QStringLiteral("30")));
  QVERIFY(dialog.isVisible());
  QCOMPARE(dialog.result(), 0);
  QVERIFY(sameSettings(gs, before));

  // Ten columns of two pixels fit; OK now closes and applies everything.
  dialog.Text1[0]->clear();
  QTest::keyClicks(dialog.Text1[0], QStringLiteral("10"));
  dialog.Command1[0]->click();
  QCOMPARE(boxes.shown.size(), 1);
  QVERIFY(!dialog.isVisible());
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(gs.Xn, int16_t(10));
  QCOMPARE(gs.Yn, int16_t(2));
  QCOMPARE(gs.SepFlag, int16_t(3));
  QCOMPARE(gs.ColorFlag, int16_t(3));
}

void SettingsDialogTest::iconShownAtItsSize() {
  // The program's 32 x 32 icon appears whole and unscaled: every opaque pixel
  // of the icon is on screen exactly as drawn.
  GameState gs = stateWith(0, 5, 5);
  Form2 dialog(gs);
  const QImage icon = QImage(QStringLiteral(":/icon.png")).convertToFormat(QImage::Format_ARGB32);
  QCOMPARE(icon.size(), QSize(32, 32));
  QCOMPARE(dialog.Image1->geometry(), QRect(213, 6, 32, 32));
  QVERIFY(dialog.rect().contains(dialog.Image1->geometry()));
  const QImage shown = dialog.Image1->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  QCOMPARE(shown.size(), icon.size());
  for (int y = 0; y < icon.height(); ++y)
    for (int x = 0; x < icon.width(); ++x)
      if (qAlpha(icon.pixel(x, y)) == 255) QCOMPARE(shown.pixel(x, y), icon.pixel(x, y));
}

void SettingsDialogTest::cancelChangesNothing_data() {
  QTest::addColumn<int>("how");
  QTest::newRow("CANCEL button") << 0;
  QTest::newRow("Escape") << 1;
  QTest::newRow("close box") << 2;
}

void SettingsDialogTest::cancelChangesNothing() {
  QFETCH(int, how);
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(0, 5, 5, 0, 0);
  const GameState before = gs;
  Form2 dialog(gs);
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  dialog.Option1[3]->click();
  QTest::keyClicks(dialog.Text1[0], QStringLiteral("20"));
  QTest::keyClicks(dialog.Text1[1], QStringLiteral("20"));
  dialog.Check1->setChecked(true);
  dialog.Option2[5]->setChecked(true);
  if (how == 0)
    dialog.Command1[1]->click();
  else if (how == 1)
    QTest::keyClick(dialog.Text1[1], Qt::Key_Escape);
  else
    dialog.close();
  QVERIFY(!dialog.isVisible());
  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  QVERIFY(sameSettings(gs, before));
}

void SettingsDialogTest::enterPressesOnlyAFocusedButton_data() {
  QTest::addColumn<QString>("focus");
  QTest::addColumn<bool>("open");
  QTest::addColumn<int>("result");
  QTest::addColumn<int>("sepFlag");
  QTest::newRow("on a preset") << "Option1(1)" << true << 0 << 0;
  QTest::newRow("on the check box") << "Check1" << true << 0 << 0;
  QTest::newRow("on a colour") << "Option2(2)" << true << 0 << 0;
  QTest::newRow("on OK") << "OK" << false << int(QDialog::Accepted) << 1;
  QTest::newRow("on CANCEL") << "CANCEL" << false << int(QDialog::Rejected) << 0;
}

void SettingsDialogTest::enterPressesOnlyAFocusedButton() {
  QFETCH(QString, focus);
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(0, 5, 5);
  Form2 dialog(gs);
  dialog.show();
  QVERIFY(QTest::qWaitForWindowActive(&dialog));
  dialog.Option1[1]->click();
  const QHash<QString, QWidget*> targets = {{"Option1(1)", dialog.Option1[1]},
                                            {"Check1", dialog.Check1},
                                            {"Option2(2)", dialog.Option2[2]},
                                            {"OK", dialog.Command1[0]},
                                            {"CANCEL", dialog.Command1[1]}};
  QWidget* target = targets.value(focus);
  QVERIFY(target);
  target->setFocus();
  QVERIFY(target->hasFocus());
  QTest::keyClick(target, Qt::Key_Return);
  QTEST(dialog.isVisible(), "open");
  QTEST(dialog.result(), "result");
  QTEST(int(gs.SepFlag), "sepFlag");
}

void SettingsDialogTest::viewAndColourApplyOnOk() {
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(0, 5, 5, 0, 0);
  Form2 dialog(gs);
  dialog.Check1->setChecked(true);
  dialog.Option2[3]->click();
  QCOMPARE(dialog.chosenColor(), 3);
  dialog.Command1[0]->click();
  QCOMPARE(int(gs.HyoujiFlag), 1);
  QCOMPARE(int(gs.ColorFlag), 3);

  Form2 again(gs);
  QVERIFY(again.Check1->isChecked());
  again.Check1->setChecked(false);
  again.Option2[0]->click();
  again.Command1[0]->click();
  QCOMPARE(int(gs.HyoujiFlag), 0);
  QCOMPARE(int(gs.ColorFlag), 0);
}

void SettingsDialogTest::layoutFollowsDesign_data() {
  // Design positions in twips, and the pixels they give at 15 twips a pixel.
  QTest::addColumn<QString>("control");
  QTest::addColumn<QRect>("pixels");
  QTest::newRow("Label1(0)") << "Label1(0)" << QRect(12, 16, 69, 21);
  QTest::newRow("Option1(3)") << "Option1(3)" << QRect(109, 42, 66, 21);
  QTest::newRow("Text1(0)") << "Text1(0)" << QRect(138, 64, 53, 29);
  QTest::newRow("Text1(1)") << "Text1(1)" << QRect(138, 92, 53, 29);
  QTest::newRow("Check1(0)") << "Check1(0)" << QRect(214, 83, 118, 25);
  QTest::newRow("Command1(1)") << "Command1(1)" << QRect(251, 42, 82, 21);
  QTest::newRow("Frame1") << "Frame1" << QRect(3, 144, 330, 55);
  QTest::newRow("Option2(3) in Frame1") << "Option2(3)" << QRect(170, 22, 52, 18);
  QTest::newRow("Shape2") << "Shape2" << QRect(106, 38, 92, 89);
}

void SettingsDialogTest::layoutFollowsDesign() {
  QFETCH(QString, control);
  QFETCH(QRect, pixels);
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(0, 5, 5);
  Form2 dialog(gs);
  QCOMPARE(dialog.size(), QSize(346, 205));
  const QHash<QString, QWidget*> controls = {
      {"Label1(0)", dialog.Label1[0]}, {"Option1(3)", dialog.Option1[3]}, {"Text1(0)", dialog.Text1[0]},
      {"Text1(1)", dialog.Text1[1]},   {"Check1(0)", dialog.Check1},      {"Command1(1)", dialog.Command1[1]},
      {"Frame1", dialog.Frame1},       {"Option2(3)", dialog.Option2[3]}, {"Shape2", dialog.Shape2}};
  QVERIFY(controls.contains(control));
  QCOMPARE(controls[control]->geometry(), pixels);
}

void SettingsDialogTest::tabOrderFollowsDesign() {
  testsupport::ScriptedBoxes boxes;
  GameState gs = stateWith(3, 5, 5);
  Form2 dialog(gs);
  const QList<QWidget*> expected = {dialog.Option1[0],  dialog.Option1[1],  dialog.Option1[2], dialog.Option1[3],
                                    dialog.Text1[0],    dialog.Text1[1],    dialog.Check1,     dialog.Command1[0],
                                    dialog.Command1[1], dialog.Option2[0],  dialog.Option2[1], dialog.Option2[2],
                                    dialog.Option2[3],  dialog.Option2[4],  dialog.Option2[5]};
  QList<QWidget*> chain;
  QWidget* w = expected.first();
  do {
    if (w->focusPolicy() & Qt::TabFocus) chain.append(w);
    w = w->nextInFocusChain();
  } while (w != expected.first() && chain.size() < 40);
  QCOMPARE(chain, expected);
}

QTEST_MAIN(SettingsDialogTest)
#include "tst_settingsdialog.moc"
