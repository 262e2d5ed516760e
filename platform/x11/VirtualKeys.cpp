#include "platform/x11/VirtualKeys.h"

#include "platform/KeyTable.h"
#include "platform/x11/KeyboardMap.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <array>
#include <memory>
#include <utility>

namespace orvexa::platform::x11 {

unsigned long VirtualKeyToKeysym(int virtualKey) {
    const keys::Key* key = virtualKey >= 0 ? keys::ByCode(static_cast<std::uint32_t>(virtualKey)) : nullptr;
    return key && key->keysym != 0 ? key->keysym : NoSymbol;
}

int KeysymToVirtualKey(unsigned long keysym) {
    return keysym > 0xFFFFFFFFUL ? 0 : keys::VirtualKeyOfKeysym(static_cast<std::uint32_t>(keysym));
}

int KeycodeToVirtualKey(Display* display, unsigned keycode, unsigned state) {
    const std::unique_ptr<KeyboardMap> map = KeyboardMap::Read(display);
    return map ? map->VirtualKeyOf(keycode, state) : 0;
}

unsigned VirtualKeyToKeycode(Display* display, int virtualKey) {
    const std::unique_ptr<KeyboardMap> map = KeyboardMap::Read(display);
    if (!map)
        return 0;
    XkbStateRec state{};
    const int group = XkbGetState(display, XkbUseCoreKbd, &state) == Success ? state.group : 0;
    return map->KeycodeOf(virtualKey, group);
}

}  // namespace orvexa::platform::x11
