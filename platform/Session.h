#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace orvexa::platform {

// The kind of desktop session the program runs in, found once at start-up.
// On a Wayland session an X11 program runs under XWayland: its keys and
// clicks reach X11 windows only, and it can read no pixel of the screen.
struct DesktopSession {
    enum class Kind { X11, Wayland };
    Kind kind = Kind::X11;
    // The X server is XWayland (so the session is Wayland, whatever the
    // environment says).
    bool xwayland = false;
    // Keys and the mouse go through the desktop's remote-desktop portal.
    bool portalInput = false;
    // The screen's pixels, size and cursor come from a screen cast, through
    // the desktop's portal and PipeWire.
    bool portalScreen = false;
    // KEY binds are the desktop's global shortcuts, through its portal.
    bool portalShortcuts = false;
    // Why the compositor's keyboard map cannot be read, where input goes
    // through the portal: characters it cannot type are not found before
    // typing then.
    QString keymapUnknown;

    bool IsWayland() const { return kind == Kind::Wayland; }
};

// The session from the environment (XDG_SESSION_TYPE, WAYLAND_DISPLAY, read
// through `variable`) and from whether the X server is XWayland.
DesktopSession DetectSession(const std::function<QByteArray(const char* name)>& variable, bool xserverIsXWayland);

// The same from the process's environment.
DesktopSession DetectSession(bool xserverIsXWayland);

}  // namespace orvexa::platform
