#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct _XDisplay;
typedef struct _XDisplay Display;
struct xkb_context;
struct xkb_keymap;

namespace orvexa::platform::x11 {

// The server's keyboard map, read with libxkbcommon: every key with its
// groups (layouts), levels, the symbol of each level and the modifiers a
// level needs. Read once and kept until the server reports a new map; the
// owner of the connection reads it again then.
//
// Keys are named in Windows' virtual-key codes the way Windows names them,
// whatever the layout:
// 1. the key that types a Latin letter on a level of the active group is
//    that letter's key (AZERTY's A key is "A", German's Z key is "Z");
// 2. otherwise the key that types a digit (not on the keypad) on a level of
//    the group is that digit's key (AZERTY's digit row needs Shift);
// 3. otherwise the key's first symbol in the group names it (Escape, F1,
//    Shift, the punctuation keys...); the keypad's digit keys with Num Lock
//    on and Shift up are the numpad codes;
// 4. a key still unnamed that types a character is named by the key at the
//    same place of a US keyboard: any such key in a group that has no Latin letters at all (Russian,
//    Greek, Hebrew...), so a bind on CONTROL-A works whichever group is
//    active; in a Latin group only where that is a punctuation key (the
//    German ü key is the US [ key).
// The key of ISO_Level3_Shift (AltGr) is no modifier of the names: it picks
// a character level, and a CONTROL-ALT bind must not fire through it.
class KeyboardMap {
public:
    // Reads the map of the core keyboard of `display`. Null when the server
    // has no XKB or the map cannot be read.
    static std::unique_ptr<KeyboardMap> Read(Display* display);

    ~KeyboardMap();
    KeyboardMap(const KeyboardMap&) = delete;
    KeyboardMap& operator=(const KeyboardMap&) = delete;

    int GroupCount() const;

    // The virtual key of a key pressed in `group`, with Num Lock and Shift
    // as they were; 0 when the key has none.
    int VirtualKeyOf(unsigned keycode, int group, bool numLock, bool shift) const;
    // The same, with group, Num Lock and Shift read from an X event state.
    int VirtualKeyOf(unsigned keycode, unsigned state) const;

    // The keycode of the key that the naming above gives `virtualKey` in
    // `group` (the main block before the keypad, the lowest keycode first),
    // else of the key that carries the code's own symbol (the sided
    // modifiers, the keypad's digits); 0 when there is none.
    unsigned KeycodeOf(int virtualKey, int group) const;

    // How a character is typed: the key, and the modifiers its level needs.
    struct Stroke {
        unsigned keycode = 0;
        bool shift = false;
        bool levelThree = false;  // AltGr
        friend bool operator==(const Stroke&, const Stroke&) = default;
    };
    // The key and level that type `keysym` in `group`, with no modifier but
    // Shift and AltGr: the keys of the main block before the extra key of
    // 102-key keyboards, then the fewest modifiers, the lowest level and the
    // lowest keycode. Only keys that `usable` accepts count (all, when it is
    // empty). Nothing when no key types it so.
    std::optional<Stroke> StrokeFor(unsigned long keysym, int group,
                                    const std::function<bool(unsigned keycode)>& usable = {}) const;

    // The keycode of the key whose symbol is the modifier `keysym` (Shift_L,
    // ISO_Level3_Shift...), to press around a character; 0 when none.
    unsigned ModifierKey(unsigned long keysym) const;

private:
    KeyboardMap(xkb_context* context, xkb_keymap* keymap, xkb_keymap* usKeymap);
    int NameByLayout(xkb_keymap* keymap, unsigned keycode, int group) const;
    bool GroupHasLatinLetters(int group) const;
    void BuildReverse(int group) const;

    xkb_context* context_;
    xkb_keymap* keymap_;
    // A US keyboard of the same key names, for rule 4; may be null.
    xkb_keymap* usKeymap_;
    // Per group: does any key type a Latin letter.
    std::vector<bool> latinGroups_;
    // Per group, built on first use: virtual key -> keycode + 1 (0: none).
    mutable std::vector<std::unique_ptr<std::array<std::uint16_t, 256>>> reverse_;
};

}  // namespace orvexa::platform::x11
