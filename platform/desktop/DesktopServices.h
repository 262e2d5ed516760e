#pragma once

#include "platform/Services.h"

#include <QAbstractNativeEventFilter>

#include <functional>
#include <memory>

class QWidget;

namespace orvexa::platform {

// The desktop's services as the program runs with them: Qt's dialogs, key
// store, shell and clipboard, SDL's wave audio, and X11's key capture, input,
// screen and windows. The display is tried a few times at once (a server under load may
// refuse a connection for a moment); without one the input, the screen and the
// windows stay unset and `connectDisplay` makes them when a script first needs them.
// A build without X11 gives no key capture, input, screen or windows, and no
// way to connect them.
Services CreateDesktopServices();

// Calls `destroyed` once when another client destroys the native window of
// the top-level `window` (Qt does not notice that itself). The watch lasts
// as long as the returned object; there is none (an empty pointer) where Qt
// does not run on X11 (xcb), and in a build without X11.
std::unique_ptr<QAbstractNativeEventFilter> WatchWindowDestroy(QWidget* window, std::function<void()> destroyed);

}  // namespace orvexa::platform
