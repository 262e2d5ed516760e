#pragma once

#include "platform/KeyCapture.h"

#include <array>
#include <cstdint>

namespace orvexa::platform {

// The up/down state of every key as a capture backend sees it, kept from the
// events it reports. A backend applies each event here, in arrival order, and
// reports what Apply returns: the event's flags and the modifiers down right
// after it (so the Shift key's own press is named with Shift down).
//
// Keys are told apart by a key number of the backend's own (the X keycode,
// 0..255), so that the left and the right Shift key, which both report
// VK_SHIFT, are tracked separately. The table only ever holds what is down
// now; Clear forgets that too.
class KeyStateTable {
public:
    static constexpr int kKeys = 256;

    // Marks a key as down without reporting anything: the keys the server
    // says are held when the capture starts.
    void Seed(int key, std::uint32_t virtualKey);

    // Applies a press or a release and returns the event to report. A press
    // of a key that is already down is an auto-repeat: bit 30 is set.
    KeyEvent Apply(int key, std::uint32_t virtualKey, bool pressed);

    KeyModifiers Modifiers() const;
    bool AnyDown() const;
    void Clear();

private:
    // 0 for a key that is up; otherwise kDown and the modifier class bits of
    // the code the key had when it went down, so that its release clears the
    // right modifier whatever the keyboard map says by then.
    std::array<std::uint8_t, kKeys> down_{};
};

}  // namespace orvexa::platform
