#include "tests/support/x11/TrayManager.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <string>
#include <thread>

namespace orvexa::platform::x11 {
namespace {
constexpr long kRequestDock = 0;
constexpr int kIconSize = 32;
}  // namespace

TrayManager::TrayManager() : display_(X11Display::Open()) {
    Display* display = display_.get();
    if (display == nullptr)
        return;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const Atom selection = XInternAtom(display, ("_NET_SYSTEM_TRAY_S" + std::to_string(screen)).c_str(), False);
    // The panel the icons sit in.
    panel_ = XCreateSimpleWindow(display, root, 0, 0, kIconSize * 4, kIconSize, 0, 0, WhitePixel(display, screen));
    XMapWindow(display, panel_);
    const Window owner = XCreateSimpleWindow(display, root, -1, -1, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, selection, owner, CurrentTime);
    if (XGetSelectionOwner(display, selection) != owner)
        return;
    owner_ = owner;
    // Told to every client, as the system tray protocol asks: a tray manager is here.
    XClientMessageEvent manager{};
    manager.type = ClientMessage;
    manager.window = root;
    manager.message_type = XInternAtom(display, "MANAGER", False);
    manager.format = 32;
    manager.data.l[0] = CurrentTime;
    manager.data.l[1] = static_cast<long>(selection);
    manager.data.l[2] = static_cast<long>(owner);
    XSendEvent(display, root, False, StructureNotifyMask, reinterpret_cast<XEvent*>(&manager));
    XSync(display, False);
}

TrayManager::~TrayManager() {
    if (Display* display = display_.get()) {
        if (owner_)
            XDestroyWindow(display, owner_);
        if (panel_)
            XDestroyWindow(display, panel_);
        XSync(display, False);
    }
}

unsigned long TrayManager::WaitForIcon(int timeoutMs) {
    Display* display = display_.get();
    if (!owner_)
        return 0;
    const Atom opcode = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event{};
            XNextEvent(display, &event);
            if (event.type != ClientMessage || event.xclient.message_type != opcode ||
                event.xclient.data.l[1] != kRequestDock)
                continue;
            const auto icon = static_cast<Window>(event.xclient.data.l[2]);
            XReparentWindow(display, icon, panel_, 0, 0);
            XResizeWindow(display, icon, kIconSize, kIconSize);
            XMapRaised(display, icon);
            XSync(display, False);
            return icon;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}

}  // namespace orvexa::platform::x11
