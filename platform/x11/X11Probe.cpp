#include "platform/x11/X11Probe.h"

#include "platform/x11/VirtualKeys.h"

#include <X11/Xlib.h>

namespace orvexa::platform::x11 {

X11Probe::X11Probe() : display_(XOpenDisplay(nullptr)) {}

X11Probe::~X11Probe() {
    if (display_ != nullptr)
        XCloseDisplay(display_);
}

bool X11Probe::IsKeyDown(int virtualKey) {
    const unsigned keycode = VirtualKeyToKeycode(display_, virtualKey);
    if (keycode == 0)
        return false;
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    return (keys[keycode / 8] >> (keycode % 8)) & 1;
}

ScreenPoint X11Probe::Pointer() {
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &windowX,
                  &windowY, &mask);
    return {rootX, rootY};
}

void X11Probe::Sync() { XSync(display_, False); }

}  // namespace orvexa::platform::x11
