#include "platform/x11/TextReceiver.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <poll.h>

namespace orvexa::platform {

TextReceiver::TextReceiver() {
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 200, 40, 0, 0, 0);
    XSelectInput(display_, window_, KeyPressMask);
    XMapRaised(display_, window_);
    XSync(display_, False);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
    reader_ = std::thread([this] { Read(); });
}

TextReceiver::~TextReceiver() {
    stopping_ = true;
    if (reader_.joinable())
        reader_.join();
    if (display_)
        XCloseDisplay(display_);
}

QString TextReceiver::Text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

void TextReceiver::Clear() {
    std::lock_guard lock(mutex_);
    text_.clear();
}

void TextReceiver::Read() {
    pollfd connection{ConnectionNumber(display_), POLLIN, 0};
    while (!stopping_) {
        if (XPending(display_) == 0) {
            poll(&connection, 1, 10);
            continue;
        }
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            continue;
        }
        if (event.type != KeyPress)
            continue;
        // The symbol the key types, with the state it went down with.
        char buffer[16];
        KeySym keysym = NoSymbol;
        XLookupString(&event.xkey, buffer, sizeof buffer, &keysym, nullptr);
        QString typed;
        if (keysym == XK_Return) {
            typed = QStringLiteral("\n");
        } else {
            const char32_t character = xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(keysym));
            if (character >= 0x20 || character == U'\t')
                typed = QString::fromUcs4(&character, 1);
        }
        std::lock_guard lock(mutex_);
        text_ += typed;
    }
}

}  // namespace orvexa::platform
