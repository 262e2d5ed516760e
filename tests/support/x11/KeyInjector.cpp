#include "tests/support/x11/KeyInjector.h"

#include "platform/x11/VirtualKeys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XTest.h>

#include <string_view>

namespace orvexa::platform {

KeyInjector::KeyInjector() : display_(x11::X11Display::Open()) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (display_ && !XTestQueryExtension(display_.get(), &eventBase, &errorBase, &major, &minor))
        display_.Close();
}

unsigned KeyInjector::KeycodeOf(int virtualKey) const {
    return display_ ? x11::VirtualKeyToKeycode(display_.get(), virtualKey) : 0;
}

bool KeyInjector::Key(int virtualKey, bool press) { return Keycode(KeycodeOf(virtualKey), press); }

void KeyInjector::Combination(const std::vector<int>& held, int virtualKey) {
    for (const int key : held)
        Key(key, true);
    Key(virtualKey, true);
    Key(virtualKey, false);
    for (auto key = held.rbegin(); key != held.rend(); ++key)
        Key(*key, false);
    Sync();
}

bool KeyInjector::Keycode(unsigned keycode, bool press) {
    if (!display_ || keycode == 0)
        return false;
    const bool sent = XTestFakeKeyEvent(display_.get(), keycode, press ? True : False, CurrentTime) != 0;
    XFlush(display_.get());
    return sent;
}

bool KeyInjector::UserKeycode(unsigned keycode, bool press) {
    if (!display_ || keycode == 0)
        return false;
    int count = 0;
    XDeviceInfo* devices = XListInputDevices(display_.get(), &count);
    bool sent = false;
    for (int i = 0; i < count && !sent; ++i) {
        const std::string_view name = devices[i].name ? devices[i].name : "";
        if (devices[i].use != IsXExtensionKeyboard || name.find("XTEST") != std::string_view::npos)
            continue;
        if (XDevice* device = XOpenDevice(display_.get(), devices[i].id)) {
            sent = XTestFakeDeviceKeyEvent(display_.get(), device, keycode, press ? True : False, nullptr, 0,
                                           CurrentTime) != 0;
            XCloseDevice(display_.get(), device);
        }
    }
    if (devices)
        XFreeDeviceList(devices);
    XFlush(display_.get());
    return sent;
}

std::vector<unsigned long> KeyInjector::Keysyms(unsigned keycode) const {
    std::vector<unsigned long> keysyms;
    if (!display_ || keycode < 8 || keycode > 255)
        return keysyms;
    int perKey = 0;
    KeySym* map = XGetKeyboardMapping(display_.get(), static_cast<KeyCode>(keycode), 1, &perKey);
    if (map) {
        keysyms.assign(map, map + perKey);
        XFree(map);
    }
    return keysyms;
}

bool KeyInjector::SetKeysyms(unsigned keycode, const std::vector<unsigned long>& keysyms) {
    if (!display_ || keysyms.empty() || keycode < 8 || keycode > 255)
        return false;
    std::vector<KeySym> map(keysyms.begin(), keysyms.end());
    XChangeKeyboardMapping(display_.get(), static_cast<int>(keycode), static_cast<int>(map.size()), map.data(), 1);
    XSync(display_.get(), False);
    return true;
}

bool KeyInjector::LockGroup(int group) {
    if (!display_ || !XkbLockGroup(display_.get(), XkbUseCoreKbd, static_cast<unsigned>(group)))
        return false;
    XSync(display_.get(), False);
    return true;
}

void KeyInjector::Sync() {
    if (display_)
        XSync(display_.get(), False);
}

}  // namespace orvexa::platform
