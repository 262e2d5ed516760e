#include "platform/fake/FakeInputSynth.h"

#include "platform/VirtualKeyCodes.h"

#include <algorithm>
#include <ios>
#include <string_view>

namespace orvexa::platform {

namespace {
// A United States layout: the characters of each key, unshifted and
// shifted, with the key's virtual-key code.
struct KeyRow {
    char plain;
    char shifted;
    std::uint16_t virtualKey;
};
constexpr KeyRow kPunctuation[] = {
    {'1', '!', '1'},          {'2', '@', '2'},          {'3', '#', '3'},           {'4', '$', '4'},
    {'5', '%', '5'},          {'6', '^', '6'},          {'7', '&', '7'},           {'8', '*', '8'},
    {'9', '(', '9'},          {'0', ')', '0'},          {';', ':', vk::Oem1},      {'=', '+', vk::OemPlus},
    {',', '<', vk::OemComma}, {'-', '_', vk::OemMinus}, {'.', '>', vk::OemPeriod}, {'/', '?', vk::Oem2},
    {'`', '~', vk::Oem3},     {'[', '{', vk::Oem4},     {'\\', '|', vk::Oem5},     {']', '}', vk::Oem6},
    {'\'', '"', vk::Oem7},
};
}  // namespace

FakeInputSynth::FakeInputSynth() {
    for (char c = 'a'; c <= 'z'; ++c) {
        const auto code = static_cast<std::uint16_t>(c - 'a' + 'A');
        layout_[static_cast<char32_t>(c)] = code;
        layout_[static_cast<char32_t>(c - 'a' + 'A')] = code | 0x100;
    }
    for (const KeyRow& row : kPunctuation) {
        layout_[static_cast<char32_t>(row.plain)] = row.virtualKey;
        layout_[static_cast<char32_t>(row.shifted)] = row.virtualKey | 0x100;
    }
    layout_[' '] = vk::Space;
    layout_['\t'] = vk::Tab;
    layout_['\r'] = vk::Return;
    layout_['\n'] = vk::Return;
    layout_['\b'] = vk::Back;
}

void FakeInputSynth::MouseEvent(unsigned flags, std::int64_t dx, std::int64_t dy) {
    events.push_back(Mouse(flags, dx, dy));
}

void FakeInputSynth::KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, unsigned flags) {
    events.push_back({Event::Kind::Key, flags, virtualKey, scanCode});
}

std::uint16_t FakeInputSynth::VkKeyScan(char32_t character) {
    const auto found = layout_.find(character);
    return found == layout_.end() ? kNoKey : found->second;
}

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
