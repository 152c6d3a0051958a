// Message boxes on QMessageBox; Qt's Japanese translation names the buttons.
#include "platform/MsgBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace platform {
namespace {
MsgBoxResponder gResponder;
QPointer<QWidget> gLastOwner;
const char kPassingProperty[] = "quavintoPassingWindow";

bool isPassing(const QWidget* window) { return window && window->window()->property(kPassingProperty).toBool(); }

// The program's lasting window when the active one cannot own a box: a shown
// main window.
QWidget* lastingWindow() {
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->inherits("QMainWindow") && top->isVisible() && !isPassing(top)) return top;
  return nullptr;
}

// Runs the box; false when it went with its owner while it was open (its
// window was deleted by a posted event inside the box's own loop).
bool runBox(QWidget* owner, const QString& text, int style, const QString& title, int* answer);
}  // namespace

void markPassingWindow(QWidget* window) { window->setProperty(kPassingProperty, true); }

QWidget* boxOwner() {
  QWidget* owner = QApplication::activeWindow();
  if (isPassing(owner)) owner = nullptr;
  if (!owner && gLastOwner && gLastOwner->isVisible() && !isPassing(gLastOwner)) owner = gLastOwner;
  if (!owner) owner = lastingWindow();
  if (owner) gLastOwner = owner->window();
  return owner;
}

namespace {

int showRealBox(const QString& text, int style, const QString& title) {
  int answer = 0;
  // Asked again without an owner when the owner went while the question was
  // open: the player's answer is never made up.
  if (!runBox(boxOwner(), text, style, title, &answer)) runBox(nullptr, text, style, title, &answer);
  return answer;
}

bool runBox(QWidget* owner, const QString& text, int style, const QString& title, int* result) {
  // On the heap and watched: a box on the stack would be freed twice if its
  // owner were deleted while the box waits for its answer.
  QPointer<QMessageBox> guard = new QMessageBox(owner);
  QMessageBox& box = *guard;
  box.setWindowTitle(title);
  // The texts carry CR LF line breaks; the box wants plain line feeds.
  box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  box.setTextFormat(Qt::PlainText);
  switch (style & 0x70) {
    case 16: box.setIcon(QMessageBox::Critical); break;
    case 32: box.setIcon(QMessageBox::Question); break;
    case 48: box.setIcon(QMessageBox::Warning); break;
    case 64: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  switch (style & 0x7) {
    case 1:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      break;
    case 4:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
  }
  // A short text makes a narrow box, whose title bar would cut the title.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(boxWidthForTitle(title, box.font()), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
  box.setAttribute(Qt::WA_DeleteOnClose, false);
  const int answer = box.exec();
  if (!guard) return false;
  delete guard.data();
  switch (answer) {
    case QMessageBox::Ok:
      *result = vbOK;
      break;
    case QMessageBox::Cancel:
      *result = vbCancel;
      break;
    case QMessageBox::Yes:
      *result = vbYes;
      break;
    case QMessageBox::No:
      *result = vbNo;
      break;
    default:
      // Escape or the close box: the box's own escape button decides.
      if ((style & 0x7) == 4)
        *result = vbNo;
      else
        *result = (style & 0x7) == 1 ? vbCancel : vbOK;
  }
  return true;
}
}  // namespace

QString appTitle() { return QStringLiteral("QUAVINTO"); }

int boxWidthForTitle(const QString& title, const QFont& font) {
  // Title bars use a bold face, often larger; their icon and buttons take
  // about as much again as a short title.
  QFont bold = font;
  bold.setBold(true);
  constexpr int kTitleBarControls = 160;
  return QFontMetrics(bold).horizontalAdvance(title) * 5 / 4 + kTitleBarControls;
}

int MsgBox(const QString& text, int style, const QString& title) {
  if (gResponder) return gResponder(text, style, title);
  return showRealBox(text, style, title);
}

MsgBoxResponder setMsgBoxResponder(MsgBoxResponder responder) {
  MsgBoxResponder previous = std::move(gResponder);
  gResponder = std::move(responder);
  return previous;
}

}  // namespace platform
