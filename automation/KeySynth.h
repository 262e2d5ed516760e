#pragma once

#include <QByteArray>

#include <cstdint>

namespace orvexa {

// Keyboard synthesis behind the orvex module's key methods. A key text
// names one key: a fixed key name ("SPACE", "ESC", "F1".."F12", ...),
// compared exactly, or else the character the key types (the text's first
// character). Every event carries scan code 0. The empty text sends
// nothing.

// The virtual-key code of a key text; only its low byte is sent. For a
// character it is the current layout's key for it (whose shift state is not
// used); 0xFFFF when no key types it, and for the empty text.
std::uint16_t KeyNameToCode(const QByteArray& text);

// True only for a text of exactly one character that needs Shift on a
// United States layout (a fixed set of 47; the installed layout does not
// change it).
bool IsShiftedChar(const QByteArray& text);

// Shift press if the character needs it, then the key's press.
void PressKey(const QByteArray& text);
// The key's release, then Shift release if the character needs it.
void ReleaseKey(const QByteArray& text);
// PressKey then ReleaseKey, with no pause.
void SendKey(const QByteArray& text);

}  // namespace orvexa
