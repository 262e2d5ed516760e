#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace orvexa::platform {

// An id of a top-level window, as the desktop names it; 0 is no window.
using WindowId = std::uint64_t;

struct WindowInfo {
    WindowId id = 0;
    QString title;
    friend bool operator==(const WindowInfo&, const WindowInfo&) = default;
};

// The desktop's top-level windows as a user sees them: their titles, the
// one that has the focus, and bringing one to the front. Safe to call from
// any thread.
class Windows {
public:
    Windows() = default;
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;
    virtual ~Windows() = default;

    // The visible top-level windows (shown, not minimised), the one in
    // front first.
    virtual std::vector<WindowInfo> VisibleWindows() = 0;

    // The top-level window that has the keyboard focus, 0 when none does.
    virtual WindowId FocusedWindow() = 0;

    // The title of a top-level window; empty when it has none or is gone.
    virtual QString Title(WindowId window) = 0;

    // Asks for the window to be raised and given the focus, and returns
    // without waiting for it: the desktop may take a moment, or refuse.
    // False when the request could not be made (the window is gone).
    virtual bool RequestActivation(WindowId window) = 0;
};

}  // namespace orvexa::platform
