// Room for texts in windows laid out at fixed positions: a control whose text
// (in the player's language and font) is wider than its place is widened, and
// what lies beside it moves along, so no text is cut. Where every text fits its
// place, nothing moves: the designed positions and sizes stay exactly.
#pragma once

class QSize;
class QWidget;

namespace quavinto {

// How much wider and taller `control` would have to be to show its whole text
// in the place its style draws it: a label's contents (a word-wrapped label
// wraps, so it may only lack height), a button's, check box's or option
// button's text area beside its indicator, a group box's title. Nothing for
// other controls. The style's margins around the text are not asked for: a
// control narrower than its size hint still shows its text when only those
// margins are short.
QSize textShortfall(const QWidget* control);

// Makes room in `window` (a window or a group box in it) for the texts of its
// controls, laid out at fixed positions; first across, then downwards:
//  - a control is widened to its text;
//  - a control to the right of one that widened or moved, beside it (their
//    rows overlap), moves right by as much, keeping the gap between them;
//  - a frame or group box grows with what lies inside it (group boxes first
//    make room for their own controls);
//  - the window widens when its rightmost control would come nearer its right
//    edge than the layout's right margin; then the controls at the right
//    margin keep to it (moving with it, or stretching with it when they also
//    start at the left margin).
// Downwards the same rules make a control taller whose text has more lines
// than its place holds, and move what lies below it.
// Returns how much wider and taller `window` became.
QSize makeRoomForTexts(QWidget* window);

}  // namespace quavinto
