// Message boxes by style code, with one replaceable responder.
//
// Style = buttons + icon: 0 OK, 1 OK/Cancel, 4 Yes/No; +16 critical, +32
// question, +48 exclamation, +64 information. The answer is the button's code
// (OK 1, Cancel 2, Yes 6, No 7). Tests install a responder that scripts the
// answers and records every (text, style, title) instead of showing a box.
#pragma once

#include <QFont>
#include <QString>

class QWidget;

#include <functional>

namespace platform {

constexpr int vbOK = 1;
constexpr int vbCancel = 2;
constexpr int vbYes = 6;
constexpr int vbNo = 7;

// The caption of every message box of the program.
QString appTitle();
// The narrowest a box may be so that a window manager's title bar shows its
// whole title beside its own buttons.
int boxWidthForTitle(const QString& title, const QFont& font);

using MsgBoxResponder = std::function<int(const QString& text, int style, const QString& title)>;

int MsgBox(const QString& text, int style, const QString& title = appTitle());
// The window a box or dialog opened now belongs to: the active window, unless
// it is a passing one, else the window the last box belonged to, else the
// program's main window. A box with an owner opens over it and carries its icon.
QWidget* boxOwner();
// Marks a window that can go while a box is open (the wait window closes by
// its own timer, the about box and help by a click): it never owns a box.
void markPassingWindow(QWidget* window);

// Replaces the real box; an empty function restores it. Returns the previous one.
MsgBoxResponder setMsgBoxResponder(MsgBoxResponder responder);

}  // namespace platform
