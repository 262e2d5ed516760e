#include "tests/support/x11/X11Probe.h"

#include "platform/x11/VirtualKeys.h"
#include "platform/x11/X11Connection.h"

#include "platform/x11/X11ErrorTrap.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>

#include <algorithm>

namespace orvexa::platform::x11 {

X11Probe::X11Probe() : display_(X11Display::Open()) {}

bool X11Probe::IsKeyDown(int virtualKey) {
    const unsigned keycode = VirtualKeyToKeycode(display_.get(), virtualKey);
    if (keycode == 0)
        return false;
    char keys[32] = {};
    XQueryKeymap(display_.get(), keys);
    return (keys[keycode / 8] >> (keycode % 8)) & 1;
}

ScreenPoint X11Probe::Pointer() { return PointerPosition(display_.get()); }

void X11Probe::Sync() { XSync(display_.get(), False); }

std::vector<unsigned> X11Probe::KeysDownOnAnyKeyboard() {
    Display* display = display_.get();
    std::vector<unsigned> down;
    const auto add = [&down](unsigned keycode) {
        if (std::find(down.begin(), down.end(), keycode) == down.end())
            down.push_back(keycode);
    };
    char core[32] = {};
    XQueryKeymap(display, core);
    for (unsigned keycode = 8; keycode < 256; ++keycode)
        if ((core[keycode / 8] >> (keycode % 8)) & 1)
            add(keycode);
    int count = 0;
    XDeviceInfo* devices = XListInputDevices(display, &count);
    for (int i = 0; devices && i < count; ++i) {
        if (devices[i].use != IsXKeyboard && devices[i].use != IsXExtensionKeyboard)
            continue;
        X11ErrorTrap trap(display);  // the core keyboard is no device to open
        XDevice* device = XOpenDevice(display, devices[i].id);
        if (!device)
            continue;
        if (XDeviceState* state = XQueryDeviceState(display, device)) {
            XInputClass* cls = state->data;
            for (int c = 0; c < state->num_classes; ++c) {
                if (cls->c_class == KeyClass) {
                    const auto* keys = reinterpret_cast<XKeyState*>(cls);
                    for (unsigned keycode = 8; keycode < 256; ++keycode)
                        if ((keys->keys[keycode / 8] >> (keycode % 8)) & 1)
                            add(keycode);
                }
                cls = reinterpret_cast<XInputClass*>(reinterpret_cast<char*>(cls) + cls->length);
            }
            XFreeDeviceState(state);
        }
        XCloseDevice(display, device);
    }
    if (devices)
        XFreeDeviceList(devices);
    std::sort(down.begin(), down.end());
    return down;
}

int X11Probe::Group() {
    XkbStateRec state{};
    return XkbGetState(display_.get(), XkbUseCoreKbd, &state) == Success ? state.group : -1;
}

int X11Probe::MappingNotices() {
    Display* display = display_.get();
    XSync(display, False);
    int notices = 0;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
        if (event.type == xkbEventBase_ && xkb.any.xkb_type == XkbMapNotify &&
            static_cast<int>(xkb.any.device) == coreKeyboard_)
            ++notices;
    }
    return notices;
}

int X11Probe::TakeMappingChanges() {
    Display* display = display_.get();
    if (xkbEventBase_ < 0) {
        // An XKB client hears of map changes through XKB only.
        int opcode = 0;
        int errorBase = 0;
        int major = XkbMajorVersion;
        int minor = XkbMinorVersion;
        if (!XkbQueryExtension(display, &opcode, &xkbEventBase_, &errorBase, &major, &minor))
            return -1;
        XkbSelectEvents(display, XkbUseCoreKbd, XkbMapNotifyMask, XkbMapNotifyMask);
        int count = 0;
        XDeviceInfo* devices = XListInputDevices(display, &count);
        for (int i = 0; devices && i < count; ++i)
            if (devices[i].use == IsXKeyboard)
                coreKeyboard_ = static_cast<int>(devices[i].id);
        if (devices)
            XFreeDeviceList(devices);
        MappingNotices();
        return 0;
    }
    const int notices = MappingNotices();
    // The server may report one change more than once (the core keyboard
    // takes it, then takes it again from the device it follows): as often as
    // it reports a change that rewrites the last key as it is.
    int perChange = 1;
    if (XkbDescPtr xkb = XkbGetMap(display, XkbKeySymsMask, XkbUseCoreKbd)) {
        XkbMapChangesRec same{};
        same.changed = XkbKeySymsMask;
        same.first_key_sym = xkb->max_key_code;
        same.num_key_syms = 1;
        XkbChangeMap(display, xkb, &same);
        XkbFreeKeyboard(xkb, 0, True);
        perChange = std::max(1, MappingNotices());
    }
    return (notices + perChange - 1) / perChange;
}
}  // namespace orvexa::platform::x11
