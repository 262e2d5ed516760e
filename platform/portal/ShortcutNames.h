#pragma once

#include "platform/KeyCapture.h"

#include <QString>

#include <optional>

namespace orvexa::platform::portal {

// A KEY bind's key name read back: the virtual-key code of its base name
// and the modifiers of its prefixes. "CONTROL-SHIFT-A" is 'A' with Control
// and Shift; keypad keys are "a".."o", F1..F11 "p".."z". No value for a
// name without a base key ("CONTROL-SHIFT") or one that no press is named.
struct NamedKey {
    std::uint32_t virtualKey = 0;
    KeyModifiers modifiers;
};
std::optional<NamedKey> ParseKeyName(const QString& name);

// The shortcut trigger of a key name, as the desktops' shortcut notation
// writes it ("CTRL+SHIFT+a", "F1", "KP_5"); empty when it has none.
QString TriggerOf(const QString& name);

}  // namespace orvexa::platform::portal
