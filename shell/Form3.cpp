// The about box: layout from the design's twips, one box at a time, and the
// developers' way into the diagnostics window.
#include "platform/MsgBox.h"
#include "shell/Form3.h"

#include "platform/Screen.h"
#include "shell/TextRoom.h"
#include "shell/Form4.h"
#include "shell/ProgramIcon.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>

namespace quavinto {
namespace {

namespace text {
const QString kCaption = QStringLiteral(u"QUAVINTO");
const char kName[] = QT_TRANSLATE_NOOP("quavinto::Form3", "ＱＵＡＶＩＮＴＯ(Ver 2.02)");
const char kEdition[] = QT_TRANSLATE_NOOP("quavinto::Form3", "32Bit Version");
const char kNotice[] = QT_TRANSLATE_NOOP("quavinto::Form3", "(C) QUAVINTO 開発チーム\nAll rights reserved.");
const char kOk[] = QT_TRANSLATE_NOOP("quavinto::Form3", "OK");
}  // namespace text

constexpr int kShiftKey = 1;
constexpr int kCtrlKey = 2;
constexpr int kAltKey = 4;
constexpr int kRightButton = 2;

QPointer<Form3> gOpenBox;

QFrame* makeShape(QWidget* parent, const QRect& r) {
  auto* shape = new QFrame(parent);
  shape->setFrameStyle(QFrame::Box | QFrame::Plain);
  shape->setLineWidth(1);
  shape->setGeometry(r);
  shape->setAttribute(Qt::WA_TransparentForMouseEvents);
  return shape;
}

int designButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

int designShift(Qt::KeyboardModifiers modifiers) {
  return (modifiers & Qt::ShiftModifier ? kShiftKey : 0) | (modifiers & Qt::ControlModifier ? kCtrlKey : 0) |
         (modifiers & Qt::AltModifier ? kAltKey : 0);
}

}  // namespace

Form3* Form3::showAbout(const GameState& gs, QWidget* owner) {
  if (!gOpenBox) {
    gOpenBox = new Form3(gs, owner);
    gOpenBox->show();
  } else {
    gOpenBox->showNormal();
    gOpenBox->raise();
  }
  gOpenBox->activateWindow();
  return gOpenBox;
}

Form3::Form3(const GameState& gs, QWidget* owner) : QDialog(owner), gs_(gs) {
  setAttribute(Qt::WA_DeleteOnClose);
  platform::markPassingWindow(this);
  setModal(false);
  setWindowTitle(text::kCaption);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(platform::twipsToPixelsX(3492), platform::twipsToPixelsY(2352));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(192, 255, 255));
  setPalette(pal);
  setAutoFillBackground(true);

  Shape1 = makeShape(this, platform::twipsRect(240, 192, 3180, 780));
  // As wide as the frame above it, so their edges line up; both keep to the
  // right margin when a translation widens the box.
  Shape2 = makeShape(this, platform::twipsRect(240, 1020, 3180, 780));

  Label1 = new QLabel(tr(text::kName), this);
  QFont bold = font();
  bold.setBold(true);
  Label1->setFont(bold);
  Label1->setGeometry(platform::twipsRect(408, 300, 2892, 252));

  Label2[1] = new QLabel(tr(text::kEdition), this);
  Label2[1]->setGeometry(platform::twipsRect(1740, 660, 1452, 252));
  Label2[0] = new QLabel(tr(text::kNotice), this);
  Label2[0]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label2[0]->setGeometry(platform::twipsRect(420, 1140, 2712, 612));
  for (QLabel* label : Label2) label->installEventFilter(this);

  // The icon is shown at its own 32 x 32 size from the design's top-left
  // corner; squeezing it into the design's smaller square would blur it.
  Image1 = new QLabel(this);
  const QPixmap icon = programIcon(devicePixelRatioF());
  Image1->setPixmap(icon);
  Image1->setGeometry(QRect(platform::twipsRect(240, 1860, 384, 384).topLeft(), icon.deviceIndependentSize().toSize()));

  Command1 = new QPushButton(tr(text::kOk), this);
  Command1->setGeometry(platform::twipsRect(1740, 1920, 1575, 315));
  Command1->setDefault(true);
  connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
  // The places are sized for the Japanese texts; a longer translation widens
  // its control and the box rather than being cut.
  quavinto::makeRoomForTexts(this);
}

Form3::~Form3() = default;

void Form3::Command1_Click() { close(); }

void Form3::Label2_MouseDown(int index, int button, int shift) {
  if (index != 0 || button != kRightButton || shift != (kShiftKey | kCtrlKey)) return;
  // The diagnostics window belongs to the about box's owner, so it stays open
  // when the about box closes and goes with the window that holds the game.
  auto* diagnostics = new Form4(gs_, parentWidget());
  diagnostics->show();
  close();
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (int i = 0; i < 2; ++i) {
      if (watched != Label2[i]) continue;
      auto* mouse = static_cast<QMouseEvent*>(event);
      Label2_MouseDown(i, designButton(mouse->button()), designShift(mouse->modifiers()));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace quavinto
