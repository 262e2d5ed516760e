#pragma once

#include "platform/InputSynth.h"

#include <ostream>
#include <vector>

namespace orvexa::platform {

// Records every synthesised event in order, for logic tests with no X
// server. The cursor stays where the test puts it; VkKeyScan answers as a
// United States layout does.
class FakeInputSynth final : public InputSynth {
public:
    struct Event {
        enum class Kind { Mouse, Key, Character };
        Kind kind = Kind::Mouse;
        unsigned flags = 0;
        std::int64_t a = 0;  // mouse: dx; key: virtual-key code; character: its code
        std::int64_t b = 0;  // mouse: dy; key: scan code
        friend bool operator==(const Event&, const Event&) = default;
    };
    static Event Mouse(unsigned flags, std::int64_t dx, std::int64_t dy) { return {Event::Kind::Mouse, flags, dx, dy}; }
    static Event KeyDown(int virtualKey) { return {Event::Kind::Key, 0, virtualKey, 0}; }
    static Event KeyUp(int virtualKey) { return {Event::Kind::Key, kKeyUp, virtualKey, 0}; }
    // A character no key of the US layout types, pressed or released.
    static Event CharacterDown(char32_t c) { return {Event::Kind::Character, 0, static_cast<std::int64_t>(c), 0}; }
    static Event CharacterUp(char32_t c) { return {Event::Kind::Character, kKeyUp, static_cast<std::int64_t>(c), 0}; }

    void MouseEvent(unsigned flags, std::int64_t dx, std::int64_t dy) override;
    void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, unsigned flags) override;
    std::uint16_t VkKeyScan(char32_t character) override;
    // As a US layout types it: Shift around the key where the character
    // needs it, as key events; a character no key types as a character
    // event.
    void CharacterEvent(char32_t character, bool press) override;
    // Each character pressed and released, as CharacterEvent records it;
    // `between` is called between every two characters.
    void TypeText(std::u32string_view text, const Between& between) override;
    ScreenPoint CursorPosition() override {
        ++cursorReads;
        return cursor;
    }
    bool KnowsCursor() override { return knowsCursor; }

    // Keys pressed and not released, by virtual-key code.
    std::vector<int> HeldKeys() const;

    ScreenPoint cursor;
    bool knowsCursor = true;
    std::vector<Event> events;
    int cursorReads = 0;
};

std::ostream& operator<<(std::ostream& out, const FakeInputSynth::Event& event);

}  // namespace orvexa::platform
