#pragma once

#include "platform/KeyCapture.h"

#include <QString>

#include <cstdint>

namespace orvexa {

// The base name of a key by its virtual-key code: "BS", "TAB", "ENTER",
// "SPACE", the digits and letters by their own character, the keypad keys
// 97..111 as "a".."o" and F1..F11 as "p".."z". Every other code (keypad 0,
// F12, the arrows, the modifier keys themselves...) has an empty base name.
QString KeyBaseName(std::uint32_t virtualKey);

// The key name of a press: the base name with the prefixes of the modifiers
// that were down, always in the order "CONTROL-", "ALT-", "SHIFT-". Without a
// base name the last prefix loses its dash: "CONTROL-SHIFT", "ALT".
QString KeyName(std::uint32_t virtualKey, const platform::KeyModifiers& down);

}  // namespace orvexa
