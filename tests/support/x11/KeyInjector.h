#pragma once

#include "platform/x11/X11Display.h"

#include <vector>

namespace orvexa::platform {

// Presses and releases keys through XTEST on a connection of its own, the way
// another program on the desktop would. For tests and benchmarks of the key
// capture; the program's own key synthesis is the input service.
class KeyInjector {
public:
    KeyInjector();  // connects to the display named by DISPLAY
    KeyInjector(const KeyInjector&) = delete;
    KeyInjector& operator=(const KeyInjector&) = delete;

    // False without a display or without XTEST; every other call then fails.
    bool Ok() const { return static_cast<bool>(display_); }

    // The keycode that carries the virtual key's symbol, 0 when none does.
    unsigned KeycodeOf(int virtualKey) const;

    // One press or release of the key of a virtual key, sent at once.
    bool Key(int virtualKey, bool press);
    bool Keycode(unsigned keycode, bool press);
    // The key pressed and released while `held` are held down, pressed in
    // their order and released in the reverse; returns once the server has
    // handled it all.
    void Combination(const std::vector<int>& held, int virtualKey);
    // A press or release by the keyboard the user types on (the server's
    // own keyboard device, not XTEST's), as fingers would.
    bool UserKeycode(unsigned keycode, bool press);

    // The keysyms of a key, and a new set of them: changes the keyboard map
    // of the whole server, as a layout switch does.
    std::vector<unsigned long> Keysyms(unsigned keycode) const;
    bool SetKeysyms(unsigned keycode, const std::vector<unsigned long>& keysyms);

    // Locks the keyboard's layout group (0 the first), as a group toggle
    // does; returns once the server has it.
    bool LockGroup(int group);

    // Returns once the server has handled everything sent so far.
    void Sync();

private:
    x11::X11Display display_;
};

}  // namespace orvexa::platform
