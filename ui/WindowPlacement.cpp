#include "ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace orvexa::ui {
namespace {
// The space left between the two windows.
constexpr int kGap = 8;

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }
}  // namespace

QRect PlaceBeside(const QRect& anchor, QSize size, const QRect& available) {
    size = size.boundedTo(available.size());
    const int top = Clamp(anchor.top(), available.top(), available.bottom() + 1 - size.height());
    const int rightStart = anchor.right() + 1 + kGap;
    const int rightRoom = available.right() + 1 - rightStart;
    const int leftRoom = anchor.left() - kGap - available.left();
    if (size.width() <= rightRoom)
        return {QPoint(rightStart, top), size};
    if (size.width() <= leftRoom)
        return {QPoint(anchor.left() - kGap - size.width(), top), size};
    const int room = std::max(rightRoom, leftRoom);
    if (room >= kNarrowestBeside) {
        const QSize narrowed(room, size.height());
        const int left = rightRoom >= leftRoom ? rightStart : available.left();
        return {QPoint(left, top), narrowed};
    }
    const int below = anchor.bottom() + 1 + kGap;
    const int x = Clamp(anchor.left(), available.left(), available.right() + 1 - size.width());
    if (below + size.height() <= available.bottom() + 1)
        return {QPoint(x, below), size};
    return {QPoint(available.right() + 1 - size.width(), top), size};
}

void MoveBeside(QWidget* window, const QWidget* anchor) {
    const QScreen* screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QRect around = anchor ? anchor->frameGeometry() : QRect(available.topLeft(), QSize(0, 0));
    // The frame around the anchor's inside, on each side.
    const QMargins frame =
        anchor ? QMargins(anchor->geometry().left() - around.left(), anchor->geometry().top() - around.top(),
                          around.right() - anchor->geometry().right(), around.bottom() - anchor->geometry().bottom())
               : QMargins();
    const QRect place = PlaceBeside(around, window->size().grownBy(frame), available);
    // A top-level window's position is its frame's; its size, its inside's.
    window->resize(place.size().shrunkBy(frame));
    window->move(place.topLeft());
}

}  // namespace orvexa::ui
