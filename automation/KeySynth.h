#pragma once

#include <QByteArray>

#include <cstdint>
#include <functional>

namespace orvexa::platform {
class InputSynth;
}

namespace orvexa {

// Keyboard synthesis, on the input service it is given, behind the orvex module's key methods. A key text
// names one key: a fixed key name ("SPACE", "ESC", "F1".."F12", ...),
// compared exactly, or else the character the key types (the text's first
// character, read as UTF-8). A text of one character is typed as that
// character in the current layout: its key with the modifiers its level
// needs (Shift, AltGr) pressed around it, or a key lent to it when no key
// types it. Every event carries scan code 0. The empty text sends nothing.

// The virtual-key code of a key text; only its low byte is sent. For a
// character it is the current layout's key for it, with its shift state in
// the high byte; 0xFFFF when no key types it, and for the empty text.
std::uint16_t KeyNameToCode(platform::InputSynth& input, const QByteArray& text);

// True only for a text of exactly one character that needs Shift on a
// United States layout (a fixed set of 47). The typing itself follows the
// installed layout, which agrees with this set on a US layout.
bool IsShiftedChar(const QByteArray& text);

// The modifiers the key's level needs, then the key's press.
void PressKey(platform::InputSynth& input, const QByteArray& text);
// The key's release, then the modifiers' releases.
void ReleaseKey(platform::InputSynth& input, const QByteArray& text);
// PressKey then ReleaseKey, with no pause.
void SendKey(platform::InputSynth& input, const QByteArray& text);

// Types a whole text (UTF-8) as the user would have typed it, each
// character as SendKey types a one-character text, a line end as Return;
// modifiers held at the start do not change what is typed.
// `between` is called now and then between two characters; the typing
// stops when it returns false.
void TypeText(platform::InputSynth& input, const QByteArray& text, const std::function<bool()>& between);

}  // namespace orvexa
