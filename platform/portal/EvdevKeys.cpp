#include "platform/portal/EvdevKeys.h"

#include "platform/KeyTable.h"

#include <xkbcommon/xkbcommon.h>

namespace orvexa::platform::portal {

int EvdevKeyOf(std::uint8_t virtualKey) {
    const keys::Key* key = keys::ByCode(virtualKey);
    return key ? key->evdev : 0;
}

int KeysymOf(char32_t character) {
    switch (character) {
    case U'\n':
    case U'\r':
        return 0xff0d;  // Return
    case U'\t':
        return 0xff09;  // Tab
    case U'\b':
        return 0xff08;  // BackSpace
    case U'\x1b':
        return 0xff1b;  // Escape
    default:
        break;
    }
    // The standard keysym where there is one (EuroSign, not U+20AC's
    // 0x10020ac: a compositor types only keysyms its layout has).
    if (const xkb_keysym_t keysym = xkb_utf32_to_keysym(character); keysym != XKB_KEY_NoSymbol)
        return static_cast<int>(keysym);
    return static_cast<int>(0x01000000 + character);
}

std::uint16_t UsVkKeyScan(char32_t character) { return keys::UsVkKeyScan(character); }

}  // namespace orvexa::platform::portal
