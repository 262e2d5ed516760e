#include "tests/support/x11/TextReceiver.h"

#include <X11/XKBlib.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <poll.h>

#include <cstdint>

namespace orvexa::platform {

TextReceiver::TextReceiver() : display_(x11::X11Display::Open()) {
    if (!display_)
        return;
    Display* display = display_.get();
    int opcode = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &xkbEventBase_, &errorBase, &major, &minor))
        return;
    XkbSelectEvents(display, XkbUseCoreKbd, XkbMapNotifyMask | XkbNewKeyboardNotifyMask,
                    XkbMapNotifyMask | XkbNewKeyboardNotifyMask);
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    ReadKeymap();
    if (!state_)
        return;
    window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 40, 0, 0, 0);
    XSelectInput(display, window_, KeyPressMask);
    XMapRaised(display, window_);
    XSync(display, False);
    XSetInputFocus(display, window_, RevertToParent, CurrentTime);
    XSync(display, False);
    reader_ = std::thread([this] { Read(); });
}

TextReceiver::~TextReceiver() {
    stopping_ = true;
    if (reader_.joinable())
        reader_.join();
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

QString TextReceiver::Text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

int TextReceiver::KeysWithControlOrAlt() const {
    std::lock_guard lock(mutex_);
    return keysWithControlOrAlt_;
}

void TextReceiver::Clear() {
    std::lock_guard lock(mutex_);
    text_.clear();
    keysWithControlOrAlt_ = 0;
}

void TextReceiver::ReadKeymap() {
    xcb_connection_t* connection = XGetXCBConnection(display_.get());
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    xkb_keymap* keymap =
        device < 0 ? nullptr
                   : xkb_x11_keymap_new_from_device(context_, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap)
        return;
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    state_ = xkb_state_new(keymap_);
}

QString TextReceiver::Decode(unsigned keycode, unsigned state) const {
    // The modifiers and the group the key went down with, as the event
    // carries them.
    xkb_state_update_mask(state_, state & 0xFF, 0, 0, 0, 0, (state >> 13) & 3);
    const xkb_keysym_t keysym = xkb_state_key_get_one_sym(state_, keycode);
    if (keysym == XKB_KEY_Return)
        return QStringLiteral("\n");
    if (keysym == XKB_KEY_BackSpace)
        return QStringLiteral("\b");
    const char32_t character = xkb_keysym_to_utf32(keysym);
    if (character >= 0x20 || character == U'\t')
        return QString::fromUcs4(&character, 1);
    return {};
}

void TextReceiver::Read() {
    Display* display = display_.get();
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    while (!stopping_) {
        if (XPending(display) == 0) {
            poll(&connection, 1, 10);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == xkbEventBase_) {
            const auto* xkb = reinterpret_cast<const XkbAnyEvent*>(&event);
            if (xkb->xkb_type == XkbNewKeyboardNotify || xkb->xkb_type == XkbMapNotify)
                ReadKeymap();
            continue;
        }
        if (event.type != KeyPress)
            continue;
        const QString typed = Decode(event.xkey.keycode, event.xkey.state);
        std::lock_guard lock(mutex_);
        // BackSpace takes back the last character, as in a text field.
        if (typed == u'\b')
            text_.chop(1);
        else
            text_ += typed;
        if (!typed.isEmpty() && (event.xkey.state & (ControlMask | Mod1Mask)))
            ++keysWithControlOrAlt_;
    }
}

}  // namespace orvexa::platform
