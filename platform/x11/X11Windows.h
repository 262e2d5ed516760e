#pragma once

#include "platform/Windows.h"
#include "platform/x11/X11Display.h"

#include <memory>
#include <mutex>

namespace orvexa::platform::x11 {

// The top-level windows of the X display, on a connection of their own
// (guarded by a mutex, so that script threads may ask too).
//
// With a window manager that follows the EWMH (openbox, xfwm4, KWin, Mutter
// and most others) its lists are read: _NET_CLIENT_LIST_STACKING for the
// windows, _NET_ACTIVE_WINDOW for the focus, and activation is a request to
// it (_NET_ACTIVE_WINDOW with the source of a pager, which window managers
// honour without focus-stealing checks). Without one the root window's
// children are walked (the client under a frame found by its WM_STATE), the
// focus is the server's input focus, and activation raises the window and
// sets the input focus itself. Which applies is looked at anew on every call:
// a window manager may start or end while the program runs.
//
// A title is the window's UTF-8 _NET_WM_NAME, else its WM_NAME (Latin-1,
// UTF-8 or compound text). Under XWayland only the windows of X11 programs
// are seen: while a Wayland program's window has the focus no window does.
class X11Windows final : public Windows {
public:
    // Connects to the display named by DISPLAY; nullptr when there is none.
    static std::shared_ptr<X11Windows> Open();

    explicit X11Windows(X11Display display);
    ~X11Windows() override;

    std::vector<WindowInfo> VisibleWindows() override;
    WindowId FocusedWindow() override;
    QString Title(WindowId window) override;
    bool RequestActivation(WindowId window) override;

    // The atoms it reads, interned once (defined with the code that reads).
    struct Atoms;

private:
    std::mutex mutex_;
    X11Display display_;
    std::unique_ptr<Atoms> atoms_;
};

}  // namespace orvexa::platform::x11
