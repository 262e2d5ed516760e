#include "tests/support/x11/WindowRequests.h"

#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>

namespace orvexa::platform::x11 {

unsigned long CreateWindow(Display* display) {
    if (display == nullptr)
        return 0;
    return XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 8, 8, 0, 0, 0);
}

unsigned long CreateChildWindow(Display* display, unsigned long parent) {
    return XCreateSimpleWindow(display, parent, 0, 0, 4, 4, 0, 0, 0);
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

void SetFocus(Display* display, unsigned long window) {
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
}

void RequestClose(Display* display, unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

bool OnScreen(Display* display, unsigned long window) {
    X11ErrorTrap trap(display);
    XWindowAttributes attributes{};
    const bool answered = XGetWindowAttributes(display, window, &attributes) != 0;
    return !trap.Failed() && answered && attributes.map_state == IsViewable;
}

ScreenRect RectOnScreen(Display* display, unsigned long window) {
    X11ErrorTrap trap(display);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0)
        return {};
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child);
    if (trap.Failed())
        return {};
    return {x, y, attributes.width, attributes.height};
}

ScreenRect FrameOnScreen(Display* display, unsigned long window) {
    X11ErrorTrap trap(display);
    Window outermost = window;
    for (;;) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, outermost, &root, &parent, &children, &count) == 0)
            return {};
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            break;
        outermost = parent;
    }
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, outermost, &attributes) == 0 || trap.Failed())
        return {};
    const int border = attributes.border_width;
    return {attributes.x, attributes.y, attributes.width + 2 * border, attributes.height + 2 * border};
}

ScreenRect ScreenOf(Display* display) { return RectOnScreen(display, DefaultRootWindow(display)); }

int BadWindowError() { return BadWindow; }

}  // namespace orvexa::platform::x11
