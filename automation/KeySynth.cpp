#include "automation/KeySynth.h"

#include "platform/InputSynth.h"
#include "platform/KeyTable.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

namespace orvexa {

using platform::InputSynth;

namespace {

bool IsShifted(unsigned char c) {
    return (c >= 0x21 && c <= 0x26) || (c >= 0x28 && c <= 0x2B) || c == 0x3A || c == 0x3C || (c >= 0x3E && c <= 0x5A) ||
           c == 0x5E || c == 0x5F || (c >= 0x7B && c <= 0x7E);
}

std::uint8_t LowByte(std::uint16_t code) { return static_cast<std::uint8_t>(code & 0xFF); }

// The characters of a key text: UTF-8, or, where the bytes are no UTF-8,
// one character per byte.
std::u32string Characters(const QByteArray& text) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8.decode(text);
    if (utf8.hasError())
        decoded = QString::fromLatin1(text);
    std::u32string characters;
    for (const uint c : decoded.toUcs4())
        characters.push_back(static_cast<char32_t>(c));
    return characters;
}

const platform::keys::Key* NamedKey(const QByteArray& text) {
    return platform::keys::ByMethodName(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

// A key text that is no name acts on its first character's key: a single
// character is typed as the character, with whatever its level needs; a
// longer text presses the key alone.
void KeyEvent(InputSynth& input, const QByteArray& text, bool press) {
    if (text.isEmpty())
        return;
    const std::u32string characters = NamedKey(text) ? std::u32string() : Characters(text);
    if (characters.size() == 1) {
        input.CharacterEvent(characters.front(), press);
        return;
    }
    input.KeybdEvent(LowByte(KeyNameToCode(input, text)), 0, press ? 0 : InputSynth::kKeyUp);
}

}  // namespace

std::uint16_t KeyNameToCode(InputSynth& input, const QByteArray& text) {
    if (const platform::keys::Key* key = NamedKey(text))
        return key->virtualKey;
    const std::u32string characters = Characters(text);
    if (characters.empty())
        return InputSynth::kNoKey;
    return input.VkKeyScan(characters.front());
}

bool IsShiftedChar(const QByteArray& text) {
    return text.size() == 1 && IsShifted(static_cast<unsigned char>(text.front()));
}

void PressKey(InputSynth& input, const QByteArray& text) { KeyEvent(input, text, true); }

void ReleaseKey(InputSynth& input, const QByteArray& text) { KeyEvent(input, text, false); }

void TypeText(InputSynth& input, const QByteArray& text, const std::function<bool()>& between) {
    const std::u32string characters = Characters(text);
    if (!characters.empty())
        input.TypeText(characters, between);
}

void SendKey(InputSynth& input, const QByteArray& text) {
    PressKey(input, text);
    ReleaseKey(input, text);
}

}  // namespace orvexa
