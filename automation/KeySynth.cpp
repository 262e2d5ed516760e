#include "automation/KeySynth.h"

#include "automation/PlatformAccess.h"
#include "platform/InputSynth.h"

#include <string_view>

namespace orvexa {

using platform::InputSynth;

namespace {

struct KeyName {
    std::string_view text;
    std::uint16_t code;
};

// Compared in this order; the first equal name gives the code.
constexpr KeyName kKeyNames[] = {
    {"SPACE", 0x20}, {"TAB", 0x09},  {"SHIFT", 0x10},  {"ENTER", 0x0D}, {"BS", 0x08},
    {"ESC", 0x1B},   {"ESCAPE", 0x1B}, {"ALT", 0x12},  {"F1", 0x70},    {"F2", 0x71},
    {"F3", 0x72},    {"F4", 0x73},   {"F5", 0x74},     {"F6", 0x75},    {"F7", 0x76},
    {"F8", 0x77},    {"F9", 0x78},   {"F10", 0x79},    {"F11", 0x7A},   {"F12", 0x7B},
    {"UP", 0x26},    {"DOWN", 0x28}, {"LEFT", 0x25},   {"RIGHT", 0x27},
};

const QByteArray kShift = QByteArrayLiteral("SHIFT");

bool IsShifted(unsigned char c) {
    return (c >= 0x21 && c <= 0x26) || (c >= 0x28 && c <= 0x2B) || c == 0x3A || c == 0x3C ||
           (c >= 0x3E && c <= 0x5A) || c == 0x5E || c == 0x5F || (c >= 0x7B && c <= 0x7E);
}

std::uint8_t LowByte(std::uint16_t code) { return static_cast<std::uint8_t>(code & 0xFF); }

}  // namespace

std::uint16_t KeyNameToCode(const QByteArray& text) {
    const std::string_view view(text.constData(), static_cast<std::size_t>(text.size()));
    for (const KeyName& name : kKeyNames)
        if (view == name.text)
            return name.code;
    if (text.isEmpty())
        return InputSynth::kNoKey;
    return InputService().VkKeyScan(text.front());
}

bool IsShiftedChar(const QByteArray& text) {
    return text.size() == 1 && IsShifted(static_cast<unsigned char>(text.front()));
}

void PressKey(const QByteArray& text) {
    if (text.isEmpty())
        return;
    if (IsShiftedChar(text))
        PressKey(kShift);
    InputService().KeybdEvent(LowByte(KeyNameToCode(text)), 0, 0);
}

void ReleaseKey(const QByteArray& text) {
    if (text.isEmpty())
        return;
    InputService().KeybdEvent(LowByte(KeyNameToCode(text)), 0, InputSynth::kKeyUp);
    if (IsShiftedChar(text))
        ReleaseKey(kShift);
}

void SendKey(const QByteArray& text) {
    PressKey(text);
    ReleaseKey(text);
}

}  // namespace orvexa
