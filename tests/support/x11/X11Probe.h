#pragma once

#include "platform/InputSynth.h"
#include "platform/x11/X11Display.h"

#include <vector>

namespace orvexa::platform::x11 {

// Asks the X server, on a connection of its own, what the keyboard and the
// pointer are doing now. For tests and benchmarks of the X11 backends.
class X11Probe {
public:
    X11Probe();  // connects to the display named by DISPLAY
    X11Probe(const X11Probe&) = delete;
    X11Probe& operator=(const X11Probe&) = delete;

    bool Ok() const { return static_cast<bool>(display_); }
    Display* display() const { return display_.get(); }

    // Whether the key of a virtual-key code is down (XQueryKeymap).
    bool IsKeyDown(int virtualKey);
    ScreenPoint Pointer();
    // One bare round trip on an idle connection.
    void Sync();

    // The keys that any keyboard device holds down (the core keyboard, the
    // XTEST keyboard, the user's keyboards), asked of each as `xinput
    // query-state` does: keycodes, each once.
    std::vector<unsigned> KeysDownOnAnyKeyboard();
    // The keyboard's locked group (0 for the first).
    int Group();
    // How many changes of the keyboard mapping the server announced since
    // the last call (the first call starts the count), as every program
    // hears of them (XkbMapNotify). Makes one change that changes nothing,
    // to tell how often the server announces one.
    int TakeMappingChanges();

private:
    int MappingNotices();

    X11Display display_;
    int xkbEventBase_ = -1;
    int coreKeyboard_ = -1;
};

}  // namespace orvexa::platform::x11
