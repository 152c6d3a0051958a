// Manual drag of a control: a press starts it, an outline of the control's
// rectangle follows the pointer, and the release delivers exactly one drop to
// the topmost area under the pointer, if that area has a drop handler.
//
// The dragged control itself never moves during the drag; the drop handler
// decides what happens. The drag belongs to the button that started it: only
// that button's release drops, and presses and releases of any other button
// meanwhile do nothing at all. The drop point is given in the receiving area's own
// pixels. Areas without a handler, and releases outside the window, ignore the
// drop.
#pragma once

#include <QMouseEvent>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>

class QRubberBand;

namespace platform {

using DropHandler = std::function<void(QWidget* dragged, QPoint point)>;

// Gives an area a drop handler (an empty function removes it).
void setDropHandler(QWidget* area, DropHandler handler);
bool hasDropHandler(const QWidget* area);

// Starts dragging `control` with `button` held; the pointer is at `globalPos`.
// Only a `liftable` control (a piece, not the finished-picture view) is lifted
// by a click or a tap.
void startDrag(QWidget* control, QPoint globalPos, Qt::MouseButton button, bool liftable = false);
bool dragInProgress();
QWidget* draggedControl();
// Abandons a drag without a drop (used when the window closes).
void cancelDrag();

// Click to lift: with it on, a left press and release that stays within the
// desktop's drag distance lifts a liftable control instead of dropping it; its
// outline follows the pointer, the next left press drops it there, and
// Escape or a right press puts it back without a drop (that press does
// nothing else). A press, a move beyond the drag distance and a release is a
// drag as before. A tap on a touch screen lifts whatever the setting says.
void setClickToLift(bool on);
bool clickToLift();
// Whether a control is lifted now (a drag is then in progress too).
bool pieceLifted();
// Areas tell of each press before handling it, so a drag started by a touch
// is known as one.
void notePress(const QMouseEvent& press);
// A touch held still on a liftable control for the desktop's press-and-hold
// time ends its drag without a drop and calls `handler` with the place held;
// the touch's release then does nothing.
void setLongPressHandler(std::function<void(QPoint globalPos)> handler);
// Called with true when a control is lifted and with false when it is put
// down or back, so that the lift can be announced.
void setLiftHandler(std::function<void(bool lifted)> handler);

}  // namespace platform
