#include "platform/x11/XWayland.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstring>

namespace orvexa::platform::x11 {

bool IsXWayland(Display* display) {
    if (display == nullptr)
        return false;
    int opcode = 0;
    int eventBase = 0;
    int errorBase = 0;
    if (XQueryExtension(display, "XWAYLAND", &opcode, &eventBase, &errorBase))
        return true;
    int randrEvents = 0;
    int randrErrors = 0;
    if (!XRRQueryExtension(display, &randrEvents, &randrErrors))
        return false;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (resources == nullptr)
        return false;
    bool found = false;
    for (int i = 0; i < resources->noutput && !found; ++i) {
        if (XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i])) {
            found = output->name != nullptr && std::strncmp(output->name, "XWAYLAND", 8) == 0;
            XRRFreeOutputInfo(output);
        }
    }
    XRRFreeScreenResources(resources);
    return found;
}

}  // namespace orvexa::platform::x11
