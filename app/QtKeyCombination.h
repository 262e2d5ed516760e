#pragma once

#include "platform/KeyCapture.h"

#include <Qt>

#include <optional>

namespace orvexa {

// The key combination of a key press as Qt reports it to a focused window
// (its key and modifiers), in the virtual-key codes the key capture gives
// binds, so that it has the KEY and HOTKEY names a bind of the press has.
// The keypad's keys come with Qt::KeypadModifier; a digit key pressed with
// Shift, which Qt reports as the symbol it types, is named by its digit on
// the layouts that put the US symbols there (Shift+1 is "!"). A modifier
// key counts as held while it is pressed. No value for a key no virtual-key
// code stands for (punctuation, media keys).
std::optional<platform::KeyCombination> KeyCombinationOf(int qtKey, Qt::KeyboardModifiers modifiers);

// Whether the key is a modifier on its own (Shift, Control, Alt, Super...).
bool IsModifierKey(int qtKey);

}  // namespace orvexa
