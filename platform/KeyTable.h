#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The one table of the keys the program names, presses and reads: for each
// virtual-key code, its X keysym, its Linux input event code, and its names
// in each of the program's vocabularies. Key names, keyboard synthesis, the
// key captures and the fakes of the tests all look keys up here.
namespace orvexa::platform::keys {

struct Key {
    std::uint8_t virtualKey = 0;
    // The keysym the key types unshifted on a United States layout (the
    // letters' lower case); 0 for none.
    std::uint32_t keysym = 0;
    // The key's Linux input event code (KEY_*), by its place on a United
    // States keyboard; 0 for none.
    int evdev = 0;
    // The base of a KEY bind's name: digits and letters by their character,
    // the keypad's keys and F1..F11 by the lower-case letter of their code
    // ("a".."z"), and BS, TAB, ENTER, SPACE; empty for every other key.
    std::string_view keyName;
    // The base of a HOTKEY bind's name as it is written ("NUMPAD+", "F24",
    // "PAGEUP"); empty for a key that has none (the modifiers themselves).
    std::string_view hotkeyName;
    // The name KeyDown, KeyUp and KeySend take for the key ("SPACE", "F12");
    // empty where a key is pressed by its character instead.
    std::string_view methodName;
    // The key's own name, for the fakes' key rows ("SHIFT", "LALT",
    // "MULTIPLY"); every key that has no HOTKEY name has one.
    std::string_view ownName;
    // A sided modifier: presses its side's key, and never reads back from
    // a keysym (the generic code does).
    bool pressOnly = false;
};

// Every key, in the order of their codes.
std::span<const Key> All();

// The key of a virtual-key code; null for a code no key has.
const Key* ByCode(std::uint32_t virtualKey);

// The key a HOTKEY base name names (upper case), its other spellings
// included (ESCAPE, RETURN, BACKSPACE, INS, DEL, PGUP, PGDN); null for none.
const Key* ByHotkeyName(std::string_view name);

// The key of a name KeyDown, KeyUp and KeySend take (ESC and ESCAPE both);
// null for none.
const Key* ByMethodName(std::string_view name);

// The key a fake's key row names: its HOTKEY name or its own name; null
// for none.
const Key* ByOwnName(std::string_view name);

// The virtual-key code a keysym reads back as: the key that types it, or for
// the keysyms of other keys with the same meaning (the right-hand
// modifiers, the keypad's navigation keys with Num Lock off, upper-case
// letters) the generic key's code; 0 for none.
int VirtualKeyOfKeysym(std::uint32_t keysym);

// A KEY bind's name read: the key of its base name with the prefixes
// CONTROL-, ALT-, SHIFT- in that order, each at most once. No value for a
// name that is not of that form.
struct KeyNameParts {
    std::uint32_t virtualKey = 0;
    bool control = false;
    bool alt = false;
    bool shift = false;
};
std::optional<KeyNameParts> ParseKeyName(std::string_view name);

// What VkKeyScan answers on a United States layout: the key's virtual-key
// code, with 0x100 when the character needs Shift; 0xFFFF when no key types
// it. Line end, carriage return, tab, backspace and escape are their keys.
std::uint16_t UsVkKeyScan(char32_t character);

}  // namespace orvexa::platform::keys
