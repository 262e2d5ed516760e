#pragma once

#include <QAbstractNativeEventFilter>

#include <functional>
#include <memory>

class QWidget;

namespace orvexa::platform::x11 {

// Calls `destroyed` once when another client destroys the X window of a
// top-level widget (`xdotool windowclose`, a session tearing windows down).
// Qt does not notice that itself: the process would live on without a
// window. Reads the events of Qt's own connection; on another platform of
// Qt it does nothing. The watch lasts as long as the returned object.
std::unique_ptr<QAbstractNativeEventFilter> WatchWindowDestroy(QWidget* window, std::function<void()> destroyed);

}  // namespace orvexa::platform::x11
