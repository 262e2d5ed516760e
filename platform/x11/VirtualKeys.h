#pragma once

// Translation between Windows virtual-key codes (platform/VirtualKeyCodes.h,
// the codes the key names and the keyboard synthesis are written in) and X
// keysyms and keycodes.
//
// Keycode -> virtual key follows the key's position: the code is the one of
// the key's unshifted symbol in the first layout group, as Windows names a
// key by its place on the keyboard whatever layout types through it. The
// generic modifier codes VK_SHIFT, VK_CONTROL and VK_MENU are reported for
// both the left and the right key, as a keyboard hook receives them.

struct _XDisplay;
typedef struct _XDisplay Display;

namespace orvexa::platform::x11 {

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
