// Widening fixed-position controls to their texts and moving their neighbours
// along, worked out on the controls' designed rectangles until nothing moves.
#include "shell/TextRoom.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QList>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace quavinto {
namespace {

// How near the outermost controls a control must end to count as keeping to
// the layout's left or right margin.
constexpr int kMarginSlack = 4;

struct Placed {
  QWidget* control = nullptr;
  QRect design;
  bool container = false;  // a frame or group box: holds what lies inside it
  int need = 0;            // how much wider its own text wants it
  int shift = 0;           // how far it moves right
  int grow = 0;            // how much wider it becomes
  int minShift = 0;
  int minGrow = 0;
};

bool rowsOverlap(const QRect& a, const QRect& b) { return a.top() <= b.bottom() && b.top() <= a.bottom(); }

bool holds(const Placed& outer, const Placed& inner) {
  return outer.container && &outer != &inner && outer.design.contains(inner.design, true);
}

// Moves and widens until every control clears the ones it lies beside and
// every container holds what lies inside it. Each pass only increases the
// moves and widenings, which are bounded, so the passes end.
void settle(QList<Placed>& placed) {
  bool changed = true;
  for (int pass = 0; changed && pass <= placed.size() * 2; ++pass) {
    changed = false;
    for (Placed& p : placed) {
      int shift = p.minShift;
      for (const Placed& other : placed) {
        if (holds(other, p))
          shift = std::max(shift, other.shift);
        else if (&other != &p && other.design.right() < p.design.left() && rowsOverlap(other.design, p.design))
          shift = std::max(shift, other.shift + other.grow);
      }
      int grow = std::max(p.need, p.minGrow);
      for (const Placed& inner : placed)
        if (holds(p, inner)) grow = std::max(grow, inner.shift + inner.grow - shift);
      if (shift != p.shift || grow != p.grow) {
        p.shift = shift;
        p.grow = grow;
        changed = true;
      }
    }
  }
}

}  // namespace

QSize textShortfall(const QWidget* control) {
  const QFontMetrics metrics = control->fontMetrics();
  QSize text;
  QRect room;
  if (const auto* label = qobject_cast<const QLabel*>(control)) {
    if (label->text().isEmpty()) return QSize(0, 0);
    room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
    if (label->wordWrap()) return QSize(0, std::max(0, label->heightForWidth(label->width()) - label->height()));
    text = metrics.size(0, label->text());
  } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
    if (button->text().isEmpty()) return QSize(0, 0);
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    const QStyle::SubElement contents = qobject_cast<const QCheckBox*>(button)      ? QStyle::SE_CheckBoxContents
                                        : qobject_cast<const QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                                                    : QStyle::SE_PushButtonContents;
    room = control->style()->subElementRect(contents, &option, button);
    text = metrics.size(Qt::TextShowMnemonic, button->text());
    if (!button->icon().isNull()) text.rwidth() += button->iconSize().width() + 4;
  } else if (const auto* box = qobject_cast<const QGroupBox*>(control)) {
    if (box->title().isEmpty()) return QSize(0, 0);
    return QSize(std::max(0, box->minimumSizeHint().width() - box->width()), 0);
  } else {
    return QSize(0, 0);
  }
  return QSize(std::max(0, text.width() - room.width()), std::max(0, text.height() - room.height()));
}

namespace {

// The algorithm is written for widening; making room downwards runs it on
// rectangles with their axes swapped (swapping twice gives them back).
enum class Axis { Across, Down };
QRect along(const QRect& r, Axis axis) { return axis == Axis::Across ? r : QRect(r.y(), r.x(), r.height(), r.width()); }

int makeRoomAlong(QWidget* window, Axis axis) {
  QList<Placed> placed;
  for (QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (control->isWindow()) continue;
    Placed p;
    p.control = control;
    p.design = along(control->geometry(), axis);
    p.container = qobject_cast<QGroupBox*>(control) || control->metaObject() == &QFrame::staticMetaObject;
    // A group box first makes room for its own controls.
    const int inner = qobject_cast<QGroupBox*>(control) ? makeRoomAlong(control, axis) : 0;
    const QSize lacking = textShortfall(control);
    int wanted = axis == Axis::Across ? lacking.width() : lacking.height();
    // A text too wide gets the control's whole size hint, the style's margins
    // around the text included, so it is not left cramped.
    if (axis == Axis::Across && wanted > 0) wanted = std::max(wanted, control->sizeHint().width() - p.design.width());
    p.need = std::max(inner, wanted);
    placed.append(p);
  }
  if (placed.isEmpty()) return 0;

  settle(placed);
  int designLeft = placed.first().design.left(), designRight = placed.first().design.right(), right = designRight;
  for (const Placed& p : placed) {
    designLeft = std::min(designLeft, p.design.left());
    designRight = std::max(designRight, p.design.right());
    right = std::max(right, p.design.right() + p.shift + p.grow);
  }
  const int wider = right - designRight;
  if (wider > 0) {
    // The controls at the far margin keep to it.
    for (Placed& p : placed) {
      if (p.design.right() < designRight - kMarginSlack) continue;
      if (p.design.left() <= designLeft + kMarginSlack)
        p.minGrow = wider - p.shift;
      else
        p.minShift = wider - p.grow;
    }
    settle(placed);
  }

  for (const Placed& p : placed)
    if (p.shift != 0 || p.grow != 0)
      p.control->setGeometry(along(p.design.translated(p.shift, 0).adjusted(0, 0, p.grow, 0), axis));
  if (wider > 0) {
    const QSize grown = along(along(window->rect(), axis).adjusted(0, 0, wider, 0), axis).size();
    if (window->minimumSize() == window->maximumSize())
      window->setFixedSize(grown);
    else
      window->resize(grown);
  }
  return wider;
}

}  // namespace

QSize makeRoomForTexts(QWidget* window) {
  const int wider = makeRoomAlong(window, Axis::Across);
  // Heights after widths: a word-wrapped label needs fewer lines when wider.
  const int taller = makeRoomAlong(window, Axis::Down);
  return QSize(wider, taller);
}

}  // namespace quavinto
