#pragma once

#include "platform/KeyCapture.h"

#include <QString>

#include <optional>

namespace orvexa {

// HOTKEY names, written as people write key combinations: the modifiers
// CTRL (or CONTROL), ALT, SHIFT and SUPER (or WIN) in any order, each at
// most once, then the base name of a key, joined by "+" or "-"; letter case
// and blanks are ignored. Base names: the letters and digits, F1..F24, ESC,
// TAB, ENTER, SPACE, BACKSPACE, INSERT, DELETE, HOME, END, PAGEUP, PAGEDOWN,
// UP, DOWN, LEFT, RIGHT, PAUSE, PRINT, NUMPAD0..NUMPAD9 and NUMPAD+ NUMPAD-
// NUMPAD* NUMPAD/ NUMPAD.; also BS, ESCAPE, RETURN, INS, DEL, PGUP and PGDN.
// No value for anything else, a combination without a base key included.
std::optional<platform::KeyCombination> ParseHotkeyName(const QString& name);

// A name read as far as its modifiers: those found at its front (the
// combination's key left 0), and the rest, the base as written (blanks
// removed). No value when a modifier stands twice.
struct WrittenCombination {
    platform::KeyCombination modifiers;
    QString base;
    // Whether the modifier words were written in upper case.
    bool upperCaseModifiers = true;
};
std::optional<WrittenCombination> ReadModifiers(const QString& name);

// The key of a base name as ParseHotkeyName reads it (upper case).
std::optional<std::uint32_t> HotkeyBaseKey(const QString& base);

// The name of a combination as ParseHotkeyName reads it, written the one
// way: "CTRL+ALT+SHIFT+SUPER+" then the base name ("CTRL+SHIFT+S",
// "NUMPAD+"); empty for a key that has no HOTKEY name.
QString HotkeyName(const platform::KeyCombination& combination);

}  // namespace orvexa
