#include "platform/fake/FakeInputSynth.h"

#include "platform/KeyTable.h"
#include "platform/VirtualKeyCodes.h"

#include <algorithm>
#include <ios>
#include <string_view>

namespace orvexa::platform {

void FakeInputSynth::MouseEvent(unsigned flags, std::int64_t dx, std::int64_t dy) {
    events.push_back(Mouse(flags, dx, dy));
}

void FakeInputSynth::KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, unsigned flags) {
    events.push_back({Event::Kind::Key, flags, virtualKey, scanCode});
}

std::uint16_t FakeInputSynth::VkKeyScan(char32_t character) { return keys::UsVkKeyScan(character); }

void FakeInputSynth::CharacterEvent(char32_t character, bool press) {
    const std::uint16_t key = VkKeyScan(character);
    if (key == kNoKey) {
        events.push_back(press ? CharacterDown(character) : CharacterUp(character));
        return;
    }
    const auto code = static_cast<std::uint8_t>(key & 0xFF);
    const bool shift = (key & 0x100) != 0;
    if (press) {
        if (shift)
            KeybdEvent(vk::Shift, 0, 0);
        KeybdEvent(code, 0, 0);
    } else {
        KeybdEvent(code, 0, kKeyUp);
        if (shift)
            KeybdEvent(vk::Shift, 0, kKeyUp);
    }
}

void FakeInputSynth::TypeText(std::u32string_view text, const Between& between) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i > 0 && between && !between())
            return;
        const char32_t character = text[i];
        CharacterEvent(character, true);
        CharacterEvent(character, false);
    }
}

std::vector<int> FakeInputSynth::HeldKeys() const {
    std::vector<int> held;
    for (const Event& event : events) {
        if (event.kind != Event::Kind::Key)
            continue;
        const int code = static_cast<int>(event.a);
        const auto at = std::find(held.begin(), held.end(), code);
        if (event.flags & kKeyUp) {
            if (at != held.end())
                held.erase(at);
        } else if (at == held.end()) {
            held.push_back(code);
        }
    }
    return held;
}

std::ostream& operator<<(std::ostream& out, const FakeInputSynth::Event& event) {
    const std::string_view kind = event.kind == FakeInputSynth::Event::Kind::Mouse ? "mouse"
                                  : event.kind == FakeInputSynth::Event::Kind::Key ? "key"
                                                                                   : "character";
    return out << kind << "(flags 0x" << std::hex << event.flags << std::dec << ", " << event.a << ", " << event.b
               << ")";
}

}  // namespace orvexa::platform
