#include "platform/x11/X11Backend.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Input.h"
#include "platform/x11/X11Screen.h"
#include "platform/x11/X11Windows.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdio>

namespace orvexa::platform::x11 {

bool ServerIsXWayland(const Screen& screen) {
    const auto* x11 = dynamic_cast<const X11Screen*>(&screen);
    return x11 != nullptr && x11->XWayland();
}

X11InputServices CreateX11InputServices(int attempts) {
    std::shared_ptr<X11Connection> connection = X11Connection::Open(attempts);
    if (!connection) {
        std::fprintf(stderr, "No X display: screen, mouse and keyboard automation is unavailable\n");
        return {};
    }
    auto screen = std::make_shared<X11Screen>(connection);
    std::shared_ptr<X11Windows> windows = X11Windows::Open();
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(connection->display(), &eventBase, &errorBase, &major, &minor)) {
        std::fprintf(stderr,
                     "The X server has no XTEST extension: mouse and keyboard automation "
                     "is unavailable\n");
        return {nullptr, std::move(screen), std::move(windows)};
    }
    auto input = std::make_shared<X11Input>(connection, screen);
    return {std::move(input), std::move(screen), std::move(windows)};
}

}  // namespace orvexa::platform::x11
