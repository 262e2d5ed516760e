#include "tests/support/x11/X11Probe.h"

#include "platform/x11/VirtualKeys.h"
#include "platform/x11/X11Connection.h"

#include <X11/Xlib.h>

namespace orvexa::platform::x11 {

X11Probe::X11Probe() : display_(X11Display::Open()) {}

bool X11Probe::IsKeyDown(int virtualKey) {
    const unsigned keycode = VirtualKeyToKeycode(display_.get(), virtualKey);
    if (keycode == 0)
        return false;
    char keys[32] = {};
    XQueryKeymap(display_.get(), keys);
    return (keys[keycode / 8] >> (keycode % 8)) & 1;
}

ScreenPoint X11Probe::Pointer() { return PointerPosition(display_.get()); }

void X11Probe::Sync() { XSync(display_.get(), False); }

}  // namespace orvexa::platform::x11
