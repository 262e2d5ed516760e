#pragma once

#include <cstdint>

namespace orvexa::platform::portal {

// The Linux input event code (evdev) of the key of a virtual-key code, by
// its place on a United States keyboard (the portal's compositor applies
// the user's layout to it); 0 for a code with no such key.
int EvdevKeyOf(std::uint8_t virtualKey);

// The keysym that types `character`: its standard keysym (Latin-1
// characters are their own, the euro sign is EuroSign...), else
// 0x01000000 + the code point; line end, tab and backspace are the keys'
// own keysyms.
int KeysymOf(char32_t character);

// What VkKeyScan answers on a United States layout: the key's virtual-key
// code, with 0x100 when the character needs Shift; 0xFFFF when no key types
// it.
std::uint16_t UsVkKeyScan(char32_t character);

// The pointer buttons' evdev codes.
inline constexpr int kButtonLeft = 0x110;
inline constexpr int kButtonRight = 0x111;
inline constexpr int kButtonMiddle = 0x112;

}  // namespace orvexa::platform::portal
