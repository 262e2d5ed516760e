#pragma once

#include "platform/x11/X11Display.h"

namespace orvexa::platform::x11 {

// The classic system tray of a desktop panel, for tests: it owns the
// screen's _NET_SYSTEM_TRAY_S selection, takes in the icon window a
// program asks it to dock (reparented into a window of its own and
// shown), and tells nothing else of the XEmbed protocol.
class TrayManager {
public:
    TrayManager();
    ~TrayManager();
    TrayManager(const TrayManager&) = delete;
    TrayManager& operator=(const TrayManager&) = delete;

    // The selection is the manager's.
    bool Ok() const { return owner_ != 0; }
    // Waits for a dock request and takes the icon in; its window id, or 0.
    unsigned long WaitForIcon(int timeoutMs = 30000);

private:
    X11Display display_;
    unsigned long owner_ = 0;
    unsigned long panel_ = 0;
};

}  // namespace orvexa::platform::x11
