// What a screen reader is told about each window: every control it can reach,
// read through Qt's accessibility interfaces as the accessibility bus reads
// them, has a name, and that name is Japanese.
#include "shell/Form1.h"
#include "shell/Form2.h"
#include "shell/Form3.h"
#include "shell/HelpWindow.h"
#include "support/TestSupport.h"

#include <QAccessible>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using quavinto::Form1;
using quavinto::GameState;
using quavinto::Form2;
using quavinto::Form3;
using quavinto::HelpWindow;

namespace {

// Roles of what a player operates; a name is what a screen reader says for it.
bool isControl(QAccessible::Role role) {
  switch (role) {
    case QAccessible::PushButton:
    case QAccessible::RadioButton:
    case QAccessible::CheckBox:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::MenuItem:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
      return true;
    default:
      return false;
  }
}

// Captions the player reads as they are shown: the about box's OK, the
// magnification commands and the HELP menu's title.
bool isNeutral(const QString& name) {
  static const QStringList neutral = {QStringLiteral("OK"), QStringLiteral("X 1"), QStringLiteral("X 1/2"),
                                      QStringLiteral("X 1/4"), QStringLiteral("HELP")};
  return neutral.contains(name);
}

bool isJapanese(const QString& name) {
  static const QRegularExpression kanaOrKanji(QStringLiteral(u"[\u3040-\u30ff\u3400-\u9fff\uff00-\uffef]"));
  return name.contains(kanaOrKanji);
}

// Walks the accessible tree from the window and lists every control whose
// name a screen reader could not use, as "role 'name'".
void collectUnnamed(QAccessibleInterface* node, QStringList& bad, int& controls, int depth = 0) {
  if (!node || depth > 30) return;
  if (isControl(node->role())) {
    ++controls;
    const QString name = node->text(QAccessible::Name);
    if (name.isEmpty() || (!isJapanese(name) && !isNeutral(name)))
      bad << QStringLiteral("%1 '%2'").arg(int(node->role())).arg(name);
  }
  for (int i = 0; i < node->childCount(); ++i) collectUnnamed(node->child(i), bad, controls, depth + 1);
}

}  // namespace

class AccessibleNamesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::PrivateSettings> settings_;

  static void expectNamed(QWidget* window, int atLeast) {
    QStringList bad;
    int controls = 0;
    collectUnnamed(QAccessible::queryAccessibleInterface(window), bad, controls);
    QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QStringLiteral(", "))));
    QVERIFY2(controls >= atLeast, qPrintable(QStringLiteral("only %1 controls reached").arg(controls)));
  }

private slots:
  void init() { settings_ = std::make_unique<testsupport::PrivateSettings>(); }
  void cleanup() { settings_.reset(); }

  void settingsDialog() {
    GameState gs;
    gs.Xn = gs.Yn = 5;
    Form2 dialog(gs);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // 4 grid choices, 2 count boxes, the check box, OK and CANCEL, 6 colours.
    expectNamed(&dialog, 15);
    QCOMPARE(QAccessible::queryAccessibleInterface(dialog.Text1[0])->text(QAccessible::Name),
             QStringLiteral(u"横の分割数 (X)"));
  }

  void mainWindowMenus() {
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Five titles and thirteen commands.
    expectNamed(&form, 18);
  }

  void aboutBox() {
    GameState gs;
    gs.Xn = gs.Yn = 5;
    Form3* box = Form3::showAbout(gs, nullptr);
    QVERIFY(box);
    expectNamed(box, 1);
    delete box;
  }

  void helpWindow() {
    HelpWindow::setHelpDirOverride(QStringLiteral(QUAVINTO_SOURCE_DIR "/resources/help"));
    HelpWindow* help = HelpWindow::showKeywordSearch(nullptr);
    QVERIFY(help);
    // Contents, back, forward, search, the keyword field, both lists, show.
    expectNamed(help, 8);
    delete help;
    HelpWindow::setHelpDirOverride(QString());
  }
};

QTEST_MAIN(AccessibleNamesTest)
#include "tst_accessiblenames.moc"
