#pragma once

#include "platform/InputSynth.h"
#include "platform/x11/X11Display.h"

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

private:
    X11Display display_;
};

}  // namespace orvexa::platform::x11
