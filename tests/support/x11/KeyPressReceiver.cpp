#include "tests/support/x11/KeyPressReceiver.h"

#include <X11/Xlib.h>

#include <poll.h>
#include <time.h>

#include <chrono>
#include <thread>

namespace orvexa::platform {

std::int64_t KeyPressReceiver::Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

KeyPressReceiver::KeyPressReceiver() : display_(x11::X11Display::Open()) {
    if (!display_)
        return;
    Display* display = display_.get();
    const Window root = DefaultRootWindow(display);
    window_ = XCreateSimpleWindow(display, root, 0, 0, 16, 16, 0, 0, 0);
    XSelectInput(display, window_, KeyPressMask | StructureNotifyMask);
    XMapWindow(display, window_);
    XEvent event;
    do
        XNextEvent(display, &event);
    while (event.type != MapNotify);
    // Another client may hold the keyboard for a moment; try for a second.
    for (int attempt = 0; attempt < 100 && !grabbed_; ++attempt) {
        grabbed_ = XGrabKeyboard(display, window_, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
        if (!grabbed_)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    XSync(display, False);
}

KeyPressReceiver::~KeyPressReceiver() {
    if (!display_)
        return;
    if (grabbed_)
        XUngrabKeyboard(display_.get(), CurrentTime);
    XDestroyWindow(display_.get(), window_);
}

std::int64_t KeyPressReceiver::NextKeyPress(int timeoutMs) {
    if (!grabbed_)
        return -1;
    const std::int64_t deadline = Now() + static_cast<std::int64_t>(timeoutMs) * 1000000;
    for (;;) {
        while (XPending(display_.get()) > 0) {
            XEvent event;
            XNextEvent(display_.get(), &event);
            if (event.type == KeyPress)
                return Now();
        }
        const std::int64_t left = (deadline - Now()) / 1000000;
        if (left <= 0)
            return -1;
        pollfd fd{ConnectionNumber(display_.get()), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
    }
}

}  // namespace orvexa::platform
