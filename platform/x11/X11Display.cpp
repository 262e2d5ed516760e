#include "platform/x11/X11Display.h"

#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>

#include <utility>

namespace orvexa::platform::x11 {

X11Display X11Display::Open() {
    InstallErrorHandler();
    return X11Display(XOpenDisplay(nullptr));
}

X11Display::X11Display(X11Display&& other) noexcept : display_(std::exchange(other.display_, nullptr)) {}

X11Display& X11Display::operator=(X11Display&& other) noexcept {
    if (this != &other) {
        Close();
        display_ = std::exchange(other.display_, nullptr);
    }
    return *this;
}

X11Display::~X11Display() { Close(); }

void X11Display::Close() {
    if (display_ != nullptr)
        XCloseDisplay(std::exchange(display_, nullptr));
}

}  // namespace orvexa::platform::x11
