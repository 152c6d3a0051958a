// Moving the finished-picture view: a press on its image with any button
// starts the drag, and each drop target places the view by its own rule; the
// caption then follows, centred above the view.
#pragma once

#include "core/BoardWindow.h"

#include <cstdint>

namespace quavinto {

// Centres the caption above the view, touching its top edge.
void applyCaptionRule(BoardWindow& w);
// Press on the image at (x, y) of the image: starts the drag, records the grab.
void Image1_MouseDown(BoardWindow& w, int button, int x, int y);
// Drop on the view's own image: the view shifts by the pointer's travel.
void Image1_DragDrop(BoardWindow& w, int x, int y);
// Drop on the window's background at (x, y) of the window's client area.
void Form_DragDrop(BoardWindow& w, int x, int y);
// The board rule for a drop at board point (x, y): a view dropped wholly on
// the board (within 10 pixels) goes to the board's bottom-right corner.
void placeViewOnBoard(BoardWindow& w, int x, int y);

}  // namespace quavinto
