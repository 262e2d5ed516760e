#pragma once

#include "platform/Screen.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace orvexa::platform {

// Synthetic mouse and keyboard input, with the calling surface of the Win32
// calls the automation primitives are written against (mouse_event,
// keybd_event, VkKeyScanA, GetCursorPos). The input goes into the desktop's
// input stream as if a user typed or moved the mouse. Nothing is reported:
// input the platform refuses is lost.
class InputSynth {
public:
    // mouse_event flags.
    static constexpr unsigned kMouseMove = 0x0001;
    static constexpr unsigned kMouseLeftDown = 0x0002;
    static constexpr unsigned kMouseLeftUp = 0x0004;
    static constexpr unsigned kMouseRightDown = 0x0008;
    static constexpr unsigned kMouseRightUp = 0x0010;
    static constexpr unsigned kMouseMiddleDown = 0x0020;
    static constexpr unsigned kMouseMiddleUp = 0x0040;
    static constexpr unsigned kMouseAbsolute = 0x8000;
    // keybd_event flags.
    static constexpr unsigned kKeyExtended = 0x0001;
    static constexpr unsigned kKeyUp = 0x0002;
    // VkKeyScanA's answer for a character that no key types.
    static constexpr std::uint16_t kNoKey = 0xFFFF;

    InputSynth() = default;
    InputSynth(const InputSynth&) = delete;
    InputSynth& operator=(const InputSynth&) = delete;
    virtual ~InputSynth() = default;

    // With kMouseMove | kMouseAbsolute, (dx, dy) are normalised coordinates
    // of the primary screen (0 and 65535 its two edges; values beyond them
    // reach past the edges); kMouseMove alone moves by (dx, dy) pixels.
    // Button flags act where the cursor is after the move, in the order
    // left down, left up, right down, right up, middle down, middle up.
    virtual void MouseEvent(unsigned flags, std::int64_t dx, std::int64_t dy) = 0;

    // A press (no kKeyUp) or a release of the key of a virtual-key code.
    // The scan code is carried for completeness; the key is chosen by the
    // virtual-key code alone. A code with no key here sends nothing.
    virtual void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, unsigned flags) = 0;

    // The key that types `character` in the current keyboard layout and
    // group, without AltGr: its virtual-key code in the low byte, the shift
    // state in the high byte (1: with Shift), kNoKey when no key types it.
    virtual std::uint16_t VkKeyScan(char32_t character) = 0;

    // A press or a release of the key that types `character` in the current
    // layout and group, on whichever level: the modifiers the level needs
    // (Shift, AltGr) go down before the key and up after it. A character
    // that no key types is typed all the same, by a key lent to it for the
    // moment; the keyboard map is as it was once the release is done.
    virtual void CharacterEvent(char32_t character, bool press) = 0;

    // Types the text as the user would have typed it, character by
    // character (a line end as Return, a tab as Tab). Keys held at the start
    // must not change the text: they are let go of for the typing, and the
    // modifiers among them, whether synthetic input or the user's fingers
    // hold them, are pressed again afterwards where they are still held.
    // `between`, when set, is called now and then between two characters
    // (a few times a second, no key of the text down); the typing stops
    // when it returns false.
    using Between = std::function<bool()>;
    virtual void TypeText(std::u32string_view text, const Between& between) = 0;

    // The cursor position in screen pixels.
    virtual ScreenPoint CursorPosition() = 0;
    // Whether CursorPosition tells where the pointer is. Input through a
    // portal cannot see the pointer: it knows only where it put it, and
    // nothing before its first move to a place.
    virtual bool KnowsCursor() { return true; }
};

}  // namespace orvexa::platform
