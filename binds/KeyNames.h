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

// Whether some key press is named `name`: KeyName gives it for some key and
// some modifiers (the empty name included). Exact, letter case included.
bool IsKeyName(const QString& name);

// The KEY name of a combination; empty when it has none (Super held, or a
// key without a base name).
QString KeyNameOf(const platform::KeyCombination& combination);

// For a name no key press has, the KEY name likely meant ("CTRL-SHIFT-A"
// and "shift+control+a" mean CONTROL-SHIFT-A, "SHIFT-CONTROL-p" means
// CONTROL-SHIFT-p, "F5" means "t"); empty when none can be told, and for a
// name some press has.
QString KeyNameMeant(const QString& name);

// The line that tells a KEY bind's writer that no key press has `name`, with
// the name meant where one can be told; empty for a name some press has.
QString KeyNameWarning(const QString& name);

}  // namespace orvexa
