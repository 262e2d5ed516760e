#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace orvexa::ui {

// Where a window of `size` goes beside the window whose frame is `anchor`,
// on a screen whose free area is `available`: to the right of it, else to
// its left; where neither side has room for the whole width, on the side
// with more room, narrowed to it, unless that leaves less than
// kNarrowestBeside; else below it, else at the right edge of the screen over
// it. Always inside the screen, level with the anchor's top where it can
// be. Returns the window's rectangle (its top-left corner and its size).
inline constexpr int kNarrowestBeside = 400;
QRect PlaceBeside(const QRect& anchor, QSize size, const QRect& available);

// The same for a widget about to be shown beside another window, on the
// screen that window is on: moves and sizes it there. Before its first show
// a window has no frame yet; the window manager's frame is taken to be as
// wide as the other window's, so that the frame too lies on the screen.
void MoveBeside(QWidget* window, const QWidget* anchor);

}  // namespace orvexa::ui
