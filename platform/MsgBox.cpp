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

// The window a box belongs to: the active one, or, when a box follows another
// before the window system has given the focus back (the save offer after
// the leaving question), the window the previous box belonged to. A box with
// an owner opens over that window and carries its icon.
QWidget* boxOwner() {
  QWidget* owner = QApplication::activeWindow();
  if (!owner && gLastOwner && gLastOwner->isVisible()) owner = gLastOwner;
  if (owner) gLastOwner = owner->window();
  return owner;
}

int showRealBox(const QString& text, int style, const QString& title) {
  QMessageBox box(boxOwner());
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
  const int answer = box.exec();
  switch (answer) {
    case QMessageBox::Ok: return vbOK;
    case QMessageBox::Cancel: return vbCancel;
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    default:
      // Escape or the close box: the box's own escape button decides.
      if ((style & 0x7) == 4) return vbNo;
      return (style & 0x7) == 1 ? vbCancel : vbOK;
  }
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
