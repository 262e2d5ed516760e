#pragma once

#include "platform/InputSynth.h"

struct _XDisplay;
typedef struct _XDisplay Display;

namespace orvexa::platform::x11 {

// Asks the X server, on a connection of its own, what the keyboard and the
// pointer are doing now. For tests and benchmarks of the X11 backends.
class X11Probe {
public:
    X11Probe();  // connects to the display named by DISPLAY
    ~X11Probe();
    X11Probe(const X11Probe&) = delete;
    X11Probe& operator=(const X11Probe&) = delete;

    bool Ok() const { return display_ != nullptr; }
    Display* display() const { return display_; }

    // Whether the key of a virtual-key code is down (XQueryKeymap).
    bool IsKeyDown(int virtualKey);
    ScreenPoint Pointer();
    // One bare round trip on an idle connection.
    void Sync();

private:
    Display* display_ = nullptr;
};

}  // namespace orvexa::platform::x11
