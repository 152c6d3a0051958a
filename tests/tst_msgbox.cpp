// Message boxes: the responder sees every box and answers it; without one, the
// real box has the buttons and icon of its style code, answers with the
// button's code, and names its buttons in Japanese whatever the system locale.
#include "platform/MsgBox.h"
#include "platform/UiSetup.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// The test's locale is plain C, so the Japanese button texts must come from
// the program's own set-up and not from the machine.
void useCLocale() {
  qputenv("LANG", "C");
  qputenv("LC_ALL", "C");
  qunsetenv("LANGUAGE");
}
Q_CONSTRUCTOR_FUNCTION(useCLocale)

struct SeenBox {
  bool found = false;
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QMap<QMessageBox::StandardButton, QString> buttonTexts;
  QWidget* owner = nullptr;
  int width = 0;
  int widthForTitle = 0;
};

// Waits for the modal message box, records what it shows, and then acts on it.
// A box that never becomes the active modal widget is closed after a few
// seconds without being recorded, so the test fails instead of hanging.
void driveNextBox(SeenBox* seen, std::function<void(QMessageBox*)> act, int triesLeft = 300) {
  QTimer::singleShot(10, qApp, [seen, act, triesLeft] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) {
      if (triesLeft > 0) {
        driveNextBox(seen, act, triesLeft - 1);
        return;
      }
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* stray = qobject_cast<QMessageBox*>(w); stray && stray->isVisible()) stray->reject();
      return;
    }
    seen->found = true;
    seen->title = box->windowTitle();
    seen->text = box->text();
    seen->icon = box->icon();
    seen->owner = box->parentWidget();
    seen->width = box->width();
    seen->widthForTitle = platform::boxWidthForTitle(box->windowTitle(), box->font());
    seen->buttons = box->standardButtons();
    for (QAbstractButton* button : box->buttons())
      seen->buttonTexts[box->standardButton(button)] = button->text();
    act(box);
  });
}

std::function<void(QMessageBox*)> clickOn(QMessageBox::StandardButton which) {
  return [which](QMessageBox* box) {
    QAbstractButton* button = box->button(which);
    if (button)
      QTest::mouseClick(button, Qt::LeftButton);
    else
      box->reject();  // the missing button shows up as a wrong answer
  };
}

}  // namespace

Q_DECLARE_METATYPE(QMessageBox::Icon)
Q_DECLARE_METATYPE(QMessageBox::StandardButtons)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

class TestMsgBox : public QObject {
  Q_OBJECT

private slots:
  void initTestCase();
  void responderSeesBoxAndAnswers_data();
  void responderSeesBoxAndAnswers();
  void responderCanBeReplacedAndRemoved();
  void realBoxFollowsStyle_data();
  void realBoxFollowsStyle();
  void escapeGivesTheCancellingAnswer_data();
  void escapeGivesTheCancellingAnswer();
  void realBoxShowsTextAndTitle();
  void aFollowingBoxStaysWithItsWindow();
  void noBoxGoesWithAPassingWindow();
  void buttonsAreJapanese();
  void japaneseLocaleAndFont();
};

void TestMsgBox::initTestCase() {
  QCOMPARE(QLocale::system().name(), QStringLiteral("C"));
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  QVERIFY(app);
  QVERIFY2(platform::setUpJapaneseUi(*app), "Qt's Japanese translation (qtbase_ja) was not found");
}

void TestMsgBox::responderSeesBoxAndAnswers_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("answer");
  QTest::newRow("question answered No") << QStringLiteral(u"終了しますか？") << 36 << platform::vbNo;
  QTest::newRow("question answered Yes") << QStringLiteral(u"終了しますか？") << 36 << platform::vbYes;
  QTest::newRow("critical") << QStringLiteral("a\r\nb") << 16 << platform::vbOK;
  QTest::newRow("ok cancel answered Cancel") << QStringLiteral("x") << 65 << platform::vbCancel;
  QTest::newRow("empty text") << QString() << 0 << platform::vbOK;
}

void TestMsgBox::responderSeesBoxAndAnswers() {
  QFETCH(QString, text);
  QFETCH(int, style);
  QFETCH(int, answer);
  testsupport::ScriptedBoxes boxes;
  boxes.answer(answer);
  QCOMPARE(platform::MsgBox(text, style), answer);
  QCOMPARE(boxes.shown.size(), 1);
  QCOMPARE(boxes.shown[0].text, text);
  QCOMPARE(boxes.shown[0].style, style);
  QCOMPARE(boxes.shown[0].title, QStringLiteral("QUAVINTO"));
  QCOMPARE(platform::appTitle(), QStringLiteral("QUAVINTO"));
}

void TestMsgBox::responderCanBeReplacedAndRemoved() {
  QStringList first, second;
  platform::MsgBoxResponder none = platform::setMsgBoxResponder([&](const QString& t, int, const QString&) {
    first << t;
    return 6;
  });
  QVERIFY(!none);
  QCOMPARE(platform::MsgBox(QStringLiteral("one"), 4, QStringLiteral("other title")), 6);
  platform::MsgBoxResponder previous = platform::setMsgBoxResponder([&](const QString& t, int, const QString& title) {
    second << t << title;
    return 7;
  });
  QVERIFY(previous);
  QCOMPARE(platform::MsgBox(QStringLiteral("two"), 4, QStringLiteral("other title")), 7);
  QCOMPARE(first, QStringList{QStringLiteral("one")});
  QCOMPARE(second, (QStringList{QStringLiteral("two"), QStringLiteral("other title")}));
  // Putting the first back, then none: the real box returns.
  platform::setMsgBoxResponder(previous);
  QCOMPARE(platform::MsgBox(QStringLiteral("three"), 4), 6);
  QCOMPARE(first.size(), 2);
  platform::setMsgBoxResponder({});
  SeenBox seen;
  driveNextBox(&seen, clickOn(QMessageBox::Ok));
  QCOMPARE(platform::MsgBox(QStringLiteral("real"), 0), platform::vbOK);
  QVERIFY(seen.found);
  QCOMPARE(first.size(), 2);
}

void TestMsgBox::realBoxFollowsStyle_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<QMessageBox::Icon>("icon");
  QTest::addColumn<QMessageBox::StandardButtons>("buttons");
  QTest::addColumn<QMessageBox::StandardButton>("click");
  QTest::addColumn<int>("answer");
  const QMessageBox::StandardButtons ok = QMessageBox::Ok;
  const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
  const QMessageBox::StandardButtons okCancel = QMessageBox::Ok | QMessageBox::Cancel;
  QTest::newRow("0 OK") << 0 << QMessageBox::NoIcon << ok << QMessageBox::Ok << 1;
  QTest::newRow("1 OK/Cancel, Cancel") << 1 << QMessageBox::NoIcon << okCancel << QMessageBox::Cancel << 2;
  QTest::newRow("4 Yes/No, Yes") << 4 << QMessageBox::NoIcon << yesNo << QMessageBox::Yes << 6;
  QTest::newRow("4 Yes/No, No") << 4 << QMessageBox::NoIcon << yesNo << QMessageBox::No << 7;
  QTest::newRow("16 critical") << 16 << QMessageBox::Critical << ok << QMessageBox::Ok << 1;
  QTest::newRow("36 question, Yes") << 36 << QMessageBox::Question << yesNo << QMessageBox::Yes << 6;
  QTest::newRow("36 question, No") << 36 << QMessageBox::Question << yesNo << QMessageBox::No << 7;
  QTest::newRow("48 exclamation") << 48 << QMessageBox::Warning << ok << QMessageBox::Ok << 1;
  QTest::newRow("52 exclamation Yes/No, No") << 52 << QMessageBox::Warning << yesNo << QMessageBox::No << 7;
  QTest::newRow("52 exclamation Yes/No, Yes") << 52 << QMessageBox::Warning << yesNo << QMessageBox::Yes << 6;
  QTest::newRow("65 information OK/Cancel, OK") << 65 << QMessageBox::Information << okCancel << QMessageBox::Ok << 1;
  QTest::newRow("65 information OK/Cancel, Cancel")
      << 65 << QMessageBox::Information << okCancel << QMessageBox::Cancel << 2;
}

void TestMsgBox::realBoxFollowsStyle() {
  QFETCH(int, style);
  QFETCH(QMessageBox::Icon, icon);
  QFETCH(QMessageBox::StandardButtons, buttons);
  QFETCH(QMessageBox::StandardButton, click);
  QFETCH(int, answer);
  SeenBox seen;
  driveNextBox(&seen, clickOn(click));
  const int result = platform::MsgBox(QStringLiteral("style test"), style);
  QVERIFY2(seen.found, "no modal message box was shown");
  QCOMPARE(seen.icon, icon);
  QCOMPARE(seen.buttons, buttons);
  QCOMPARE(result, answer);
  QVERIFY(!QApplication::activeModalWidget());
}

void TestMsgBox::escapeGivesTheCancellingAnswer_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("answer");
  QTest::newRow("OK box") << 48 << 1;
  QTest::newRow("OK/Cancel box") << 65 << 2;
  QTest::newRow("Yes/No box") << 36 << 7;
}

void TestMsgBox::escapeGivesTheCancellingAnswer() {
  QFETCH(int, style);
  QFETCH(int, answer);
  SeenBox seen;
  driveNextBox(&seen, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
  QCOMPARE(platform::MsgBox(QStringLiteral("escape"), style), answer);
  QVERIFY(seen.found);
}

// Leaving during a game asks twice in a row; on X the focus comes back to the
// window only after the first box has gone, and the second box must still
// open over that window (with its icon) rather than loose in the screen.
void TestMsgBox::aFollowingBoxStaysWithItsWindow() {
  QWidget window;
  window.show();
  QApplication::setActiveWindow(&window);
  QVERIFY(QTest::qWaitForWindowActive(&window));
  SeenBox first, second, third;
  driveNextBox(&first, clickOn(QMessageBox::Ok));
  QCOMPARE(platform::MsgBox(QStringLiteral(u"QUAVINTOを終了します。"), 65), platform::vbOK);
  QCOMPARE(first.owner, &window);

  QApplication::setActiveWindow(nullptr);
  driveNextBox(&second, clickOn(QMessageBox::No));
  QCOMPARE(platform::MsgBox(QStringLiteral(u"ゲーム中です。\r\nデータを保存しますか。"), 36), platform::vbNo);
  QCOMPARE(second.owner, &window);

  // A window that has been closed owns no later box.
  window.hide();
  QApplication::setActiveWindow(nullptr);
  driveNextBox(&third, clickOn(QMessageBox::Ok));
  platform::MsgBox(QStringLiteral("x"), 0);
  QVERIFY(third.found);
  QCOMPARE(third.owner, nullptr);
}

// The wait window closes by its own timer, the about box by a click: a box
// that hung from one would be freed twice when it went. The main window owns
// such a box; a box whose owner is deleted while it is open is asked again,
// and the player's answer counts.
void TestMsgBox::noBoxGoesWithAPassingWindow() {
  auto* main = new QMainWindow;
  const QWidget* const mainAddress = main;  // compared once the window is gone
  main->show();
  auto* wait = new QWidget(nullptr, Qt::Window);
  wait->setAttribute(Qt::WA_DeleteOnClose);
  platform::markPassingWindow(wait);
  wait->show();
  QApplication::setActiveWindow(wait);
  SeenBox first, again;
  driveNextBox(&first, [&](QMessageBox*) {
    wait->close();
    main->deleteLater();
    driveNextBox(&again, clickOn(QMessageBox::Yes));
  });
  QCOMPARE(platform::MsgBox(QStringLiteral(u"前回のゲームを続けますか？"), 36), platform::vbYes);
  QVERIFY2(first.owner == mainAddress, "the box hung from a window that can go while it is open");
  QVERIFY(again.found);
  QCOMPARE(again.owner, nullptr);
}

void TestMsgBox::realBoxShowsTextAndTitle() {
  SeenBox seen;
  driveNextBox(&seen, clickOn(QMessageBox::Ok));
  platform::MsgBox(QStringLiteral(u"一行目\r\n二行目 <b>x</b>"), 0);
  QVERIFY(seen.found);
  QCOMPARE(seen.title, QStringLiteral("QUAVINTO"));
  // CR LF becomes one line break, and the text is shown as written, not as markup.
  QCOMPARE(seen.text, QStringLiteral(u"一行目\n二行目 <b>x</b>"));
  // A box with a short text is still wide enough for its whole title.
  QVERIFY2(seen.width >= seen.widthForTitle && seen.widthForTitle > 160, qPrintable(QString::number(seen.width)));

  SeenBox other;
  driveNextBox(&other, clickOn(QMessageBox::Ok));
  platform::MsgBox(QStringLiteral("t"), 0, QStringLiteral("Another"));
  QCOMPARE(other.title, QStringLiteral("Another"));
}

void TestMsgBox::buttonsAreJapanese() {
  SeenBox yesNo;
  driveNextBox(&yesNo, clickOn(QMessageBox::Yes));
  QCOMPARE(platform::MsgBox(QStringLiteral("q"), 36), platform::vbYes);
  QVERIFY(yesNo.found);
  QCOMPARE(yesNo.buttonTexts.value(QMessageBox::Yes), QStringLiteral(u"はい(&Y)"));
  QCOMPARE(yesNo.buttonTexts.value(QMessageBox::No), QStringLiteral(u"いいえ(&N)"));

  SeenBox okCancel;
  driveNextBox(&okCancel, clickOn(QMessageBox::Cancel));
  QCOMPARE(platform::MsgBox(QStringLiteral("q"), 1), platform::vbCancel);
  QVERIFY(okCancel.found);
  QCOMPARE(okCancel.buttonTexts.value(QMessageBox::Ok), QStringLiteral("OK"));
  QCOMPARE(okCancel.buttonTexts.value(QMessageBox::Cancel), QStringLiteral(u"キャンセル"));
}

void TestMsgBox::japaneseLocaleAndFont() {
  QCOMPARE(QLocale().language(), QLocale::Japanese);
  const QStringList preferred = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                 QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAexGothic")};
  const QStringList installed = QFontDatabase::families();
  bool anyInstalled = false;
  for (const QString& family : preferred) anyInstalled = anyInstalled || installed.contains(family);
  QVERIFY2(anyInstalled, "no Japanese font is installed (scripts/install-deps installs fonts-ipafont-gothic)");
  QVERIFY2(preferred.contains(QApplication::font().family()), qPrintable(QApplication::font().family()));
  QVERIFY(QApplication::font().pointSizeF() > 0);
}

QTEST_MAIN(TestMsgBox)
#include "tst_msgbox.moc"
