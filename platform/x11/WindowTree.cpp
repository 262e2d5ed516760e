#include "platform/x11/WindowTree.h"

#include <X11/Xlib.h>

namespace orvexa::platform::x11 {

bool QueryTree(Display* display, unsigned long window, unsigned long* parent, std::vector<unsigned long>* children) {
    Window root = 0;
    Window* list = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, parent, &list, &count))
        return false;
    if (children != nullptr)
        children->assign(list, list + count);
    if (list != nullptr)
        XFree(list);
    return true;
}

unsigned long TopLevelOf(Display* display, unsigned long window) {
    const Window root = DefaultRootWindow(display);
    for (;;) {
        Window parent = 0;
        if (!QueryTree(display, window, &parent) || parent == 0)
            return 0;
        if (parent == root)
            return window;
        window = parent;
    }
}

}  // namespace orvexa::platform::x11
