#include "tests/support/x11/WindowRequests.h"

#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>

namespace orvexa::platform::x11 {

unsigned long CreateWindow(Display* display) {
    if (display == nullptr)
        return 0;
    return XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 8, 8, 0, 0, 0);
}

void DestroyWindow(Display* display, unsigned long window) { XDestroyWindow(display, window); }

void MapWindow(Display* display, unsigned long window) { XMapWindow(display, window); }

bool WindowExists(Display* display, unsigned long window) {
    X11ErrorTrap trap(display);
    XWindowAttributes attributes{};
    const bool answered = XGetWindowAttributes(display, window, &attributes) != 0;
    return !trap.Failed() && answered;
}

void Sync(Display* display) { XSync(display, False); }

int BadWindowError() { return BadWindow; }

}  // namespace orvexa::platform::x11
