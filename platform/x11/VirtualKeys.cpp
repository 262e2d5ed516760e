#include "platform/x11/VirtualKeys.h"

#include "platform/VirtualKeyCodes.h"
#include "platform/x11/KeyboardMap.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <array>
#include <memory>
#include <utility>

namespace orvexa::platform::x11 {

namespace {

struct KeyPair {
    int virtualKey;
    unsigned long keysym;
};

// Keys whose code and symbol correspond one to one; the first row of a code
// is also the symbol that code presses. Letters, digits, F-keys and keypad
// digits are ranges and handled in code below.
constexpr std::array kPairs{
    KeyPair{vk::Back, XK_BackSpace},
    KeyPair{vk::Tab, XK_Tab},
    KeyPair{vk::Clear, XK_Clear},
    KeyPair{vk::Return, XK_Return},
    KeyPair{vk::Shift, XK_Shift_L},
    KeyPair{vk::Control, XK_Control_L},
    KeyPair{vk::Menu, XK_Alt_L},
    KeyPair{vk::Pause, XK_Pause},
    KeyPair{vk::Capital, XK_Caps_Lock},
    KeyPair{vk::Escape, XK_Escape},
    KeyPair{vk::Space, XK_space},
    KeyPair{vk::Prior, XK_Prior},
    KeyPair{vk::Next, XK_Next},
    KeyPair{vk::End, XK_End},
    KeyPair{vk::Home, XK_Home},
    KeyPair{vk::Left, XK_Left},
    KeyPair{vk::Up, XK_Up},
    KeyPair{vk::Right, XK_Right},
    KeyPair{vk::Down, XK_Down},
    KeyPair{vk::Select, XK_Select},
    KeyPair{vk::Execute, XK_Execute},
    KeyPair{vk::Snapshot, XK_Print},
    KeyPair{vk::Insert, XK_Insert},
    KeyPair{vk::Delete, XK_Delete},
    KeyPair{vk::Help, XK_Help},
    KeyPair{vk::LWin, XK_Super_L},
    KeyPair{vk::RWin, XK_Super_R},
    KeyPair{vk::Apps, XK_Menu},
    KeyPair{vk::Multiply, XK_KP_Multiply},
    KeyPair{vk::Add, XK_KP_Add},
    KeyPair{vk::Separator, XK_KP_Separator},
    KeyPair{vk::Subtract, XK_KP_Subtract},
    KeyPair{vk::Decimal, XK_KP_Decimal},
    KeyPair{vk::Divide, XK_KP_Divide},
    KeyPair{vk::NumLock, XK_Num_Lock},
    KeyPair{vk::Scroll, XK_Scroll_Lock},
    KeyPair{vk::Oem1, XK_semicolon},
    KeyPair{vk::OemPlus, XK_equal},
    KeyPair{vk::OemComma, XK_comma},
    KeyPair{vk::OemMinus, XK_minus},
    KeyPair{vk::OemPeriod, XK_period},
    KeyPair{vk::Oem2, XK_slash},
    KeyPair{vk::Oem3, XK_grave},
    KeyPair{vk::Oem4, XK_bracketleft},
    KeyPair{vk::Oem5, XK_backslash},
    KeyPair{vk::Oem6, XK_bracketright},
    KeyPair{vk::Oem7, XK_apostrophe},
    KeyPair{vk::Oem102, XK_less},
};

// The sided modifier codes press the key of their side; reading a key back
// gives the generic code (see KeysymOnlyPairs).
constexpr std::array kSidedModifiers{
    KeyPair{vk::LShift, XK_Shift_L},     KeyPair{vk::RShift, XK_Shift_R}, KeyPair{vk::LControl, XK_Control_L},
    KeyPair{vk::RControl, XK_Control_R}, KeyPair{vk::LMenu, XK_Alt_L},    KeyPair{vk::RMenu, XK_Alt_R},
};

// Symbols that read back as a code whose own symbol is another one: the
// right-hand modifiers, the keypad's navigation symbols (Num Lock off), and
// the keypad's Enter.
constexpr std::array kKeysymOnlyPairs{
    KeyPair{vk::Shift, XK_Shift_R},   KeyPair{vk::Control, XK_Control_R}, KeyPair{vk::Menu, XK_Alt_R},
    KeyPair{vk::Menu, XK_Meta_L},     KeyPair{vk::Menu, XK_Meta_R},       KeyPair{vk::Tab, XK_ISO_Left_Tab},
    KeyPair{vk::Return, XK_KP_Enter}, KeyPair{vk::Home, XK_KP_Home},      KeyPair{vk::Left, XK_KP_Left},
    KeyPair{vk::Up, XK_KP_Up},        KeyPair{vk::Right, XK_KP_Right},    KeyPair{vk::Down, XK_KP_Down},
    KeyPair{vk::Prior, XK_KP_Prior},  KeyPair{vk::Next, XK_KP_Next},      KeyPair{vk::End, XK_KP_End},
    KeyPair{vk::Clear, XK_KP_Begin},  KeyPair{vk::Insert, XK_KP_Insert},  KeyPair{vk::Delete, XK_KP_Delete},
};

}  // namespace

unsigned long VirtualKeyToKeysym(int virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return XK_a + static_cast<unsigned long>(virtualKey - 'A');
    if (virtualKey >= '0' && virtualKey <= '9')
        return XK_0 + static_cast<unsigned long>(virtualKey - '0');
    if (virtualKey >= vk::F1 && virtualKey <= vk::F24)
        return XK_F1 + static_cast<unsigned long>(virtualKey - vk::F1);
    if (virtualKey >= vk::Numpad0 && virtualKey <= vk::Numpad9)
        return XK_KP_0 + static_cast<unsigned long>(virtualKey - vk::Numpad0);
    for (const KeyPair& pair : kPairs)
        if (pair.virtualKey == virtualKey)
            return pair.keysym;
    for (const KeyPair& pair : kSidedModifiers)
        if (pair.virtualKey == virtualKey)
            return pair.keysym;
    return NoSymbol;
}

int KeysymToVirtualKey(unsigned long keysym) {
    if (keysym >= XK_a && keysym <= XK_z)
        return 'A' + static_cast<int>(keysym - XK_a);
    if (keysym >= XK_A && keysym <= XK_Z)
        return 'A' + static_cast<int>(keysym - XK_A);
    if (keysym >= XK_0 && keysym <= XK_9)
        return '0' + static_cast<int>(keysym - XK_0);
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return vk::F1 + static_cast<int>(keysym - XK_F1);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return vk::Numpad0 + static_cast<int>(keysym - XK_KP_0);
    for (const KeyPair& pair : kPairs)
        if (pair.keysym == keysym)
            return pair.virtualKey;
    for (const KeyPair& pair : kKeysymOnlyPairs)
        if (pair.keysym == keysym)
            return pair.virtualKey;
    return 0;
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
