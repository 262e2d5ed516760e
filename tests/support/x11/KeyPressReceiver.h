#pragma once

#include "platform/x11/X11Display.h"

#include <cstdint>

namespace orvexa::platform {

// A plain Xlib client that receives key presses as KeyPress events: a small
// window of its own that holds the keyboard grab, so every key goes to it.
// The baseline of the key-latency benchmark: the least a client can take to
// learn of a key.
class KeyPressReceiver {
public:
    KeyPressReceiver();  // connects to the display named by DISPLAY and grabs
    ~KeyPressReceiver();
    KeyPressReceiver(const KeyPressReceiver&) = delete;
    KeyPressReceiver& operator=(const KeyPressReceiver&) = delete;

    // False without a display or when the keyboard could not be grabbed.
    bool Ok() const { return grabbed_; }

    // Waits for the next KeyPress and returns the moment it was read
    // (CLOCK_MONOTONIC, nanoseconds); -1 when none came within timeoutMs.
    std::int64_t NextKeyPress(int timeoutMs);

    static std::int64_t Now();

private:
    x11::X11Display display_;
    unsigned long window_ = 0;
    bool grabbed_ = false;
};

}  // namespace orvexa::platform
