#pragma once

// Translation between Windows virtual-key codes (the codes the key names and
// the keyboard synthesis are written in) and X keysyms and keycodes.
//
// Keycode -> virtual key follows the key's position: the code is the one of
// the key's unshifted symbol in the first layout group, as Windows names a
// key by its place on the keyboard whatever layout types through it. The
// generic modifier codes VK_SHIFT, VK_CONTROL and VK_MENU are reported for
// both the left and the right key, as a keyboard hook receives them.

struct _XDisplay;
typedef struct _XDisplay Display;

namespace orvexa::platform::x11 {

// Windows virtual-key codes used by the translation (winuser.h values).
namespace vk {
constexpr int Back = 0x08, Tab = 0x09, Clear = 0x0C, Return = 0x0D;
constexpr int Shift = 0x10, Control = 0x11, Menu = 0x12, Pause = 0x13, Capital = 0x14;
constexpr int Escape = 0x1B, Space = 0x20;
constexpr int Prior = 0x21, Next = 0x22, End = 0x23, Home = 0x24;
constexpr int Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28;
constexpr int Select = 0x29, Execute = 0x2B, Snapshot = 0x2C, Insert = 0x2D, Delete = 0x2E,
              Help = 0x2F;
constexpr int LWin = 0x5B, RWin = 0x5C, Apps = 0x5D;
constexpr int Numpad0 = 0x60;  // .. Numpad9 = 0x69
constexpr int Multiply = 0x6A, Add = 0x6B, Separator = 0x6C, Subtract = 0x6D, Decimal = 0x6E,
              Divide = 0x6F;
constexpr int F1 = 0x70;  // .. F24 = 0x87
constexpr int NumLock = 0x90, Scroll = 0x91;
constexpr int LShift = 0xA0, RShift = 0xA1, LControl = 0xA2, RControl = 0xA3, LMenu = 0xA4,
              RMenu = 0xA5;
constexpr int Oem1 = 0xBA, OemPlus = 0xBB, OemComma = 0xBC, OemMinus = 0xBD, OemPeriod = 0xBE,
              Oem2 = 0xBF, Oem3 = 0xC0, Oem4 = 0xDB, Oem5 = 0xDC, Oem6 = 0xDD, Oem7 = 0xDE,
              Oem102 = 0xE2;
}  // namespace vk

// The keysym that a virtual key stands for: letters give the small letter
// (the unshifted symbol), VK_SHIFT gives Shift_L, VK_RSHIFT Shift_R, and so
// on. 0 (NoSymbol) when the code has no key here.
unsigned long VirtualKeyToKeysym(int virtualKey);

// The virtual key of an unshifted key symbol: 'a' and 'A' give 0x41,
// Shift_L and Shift_R give VK_SHIFT, KP_End gives VK_END, KP_1 VK_NUMPAD1.
// 0 for a symbol with no virtual key (shifted punctuation among them).
int KeysymToVirtualKey(unsigned long keysym);

// The virtual key of a key on the keyboard of `display`, as KeyboardMap
// names it. `state` is the X state with which the key went down (0 when not
// known), which gives the group, Num Lock and Shift. 0 when the key has no
// virtual key. Reads the server's map afresh: for tests and tools; the
// backends keep a KeyboardMap. The caller must own the connection.
int KeycodeToVirtualKey(Display* display, unsigned keycode, unsigned state = 0);

// The keycode that presses the key of a virtual key on `display` in the
// group active now (KeyboardMap::KeycodeOf). 0 when no key of this keyboard
// is that key.
unsigned VirtualKeyToKeycode(Display* display, int virtualKey);

}  // namespace orvexa::platform::x11
