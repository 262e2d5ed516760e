#include "ui/WindowFocus.h"

#include <QPointer>
#include <QWidget>

namespace orvexa::ui {

void ShowInFrontKeepingFocus(QWidget* window, QWidget* asker) {
    // The control to return to: the last one of the asking window that had
    // the focus (a menu or button that was used does not take it).
    const QPointer<QWidget> focused = asker ? asker->focusWidget() : nullptr;
    window->show();
    window->raise();
    if (!asker)
        return;
    asker->activateWindow();
    if (focused)
        focused->setFocus(Qt::OtherFocusReason);
    else
        asker->setFocus(Qt::OtherFocusReason);
}

}  // namespace orvexa::ui
