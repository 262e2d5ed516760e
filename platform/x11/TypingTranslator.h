#pragma once

#include "platform/KeyCapture.h"

#include <memory>

struct _XDisplay;

namespace orvexa::platform::x11 {

// Turns the key presses a capture sees into what they type, as a text field
// of the focused program would receive it: the X server's keyboard map
// (read with libxkbcommon from the server, so layouts, levels and groups are
// the server's), the modifier and group state each event carries, and the
// dead keys and compose sequences of the user's locale (xkb_compose). Holds
// the state of a dead key pressed and not yet followed; Forget drops it.
class TypingTranslator {
public:
    // Reads the map over `display` (a connection the caller uses on one
    // thread only). Null when the server has no XKB or the map cannot be read.
    static std::unique_ptr<TypingTranslator> Read(_XDisplay* display);

    ~TypingTranslator();
    TypingTranslator(const TypingTranslator&) = delete;
    TypingTranslator& operator=(const TypingTranslator&) = delete;

    // What a press of `keycode` with the core event's `state` (modifiers
    // and group) typed; kind Typed or Pending.
    Typing Press(unsigned keycode, unsigned state);
    void Forget();

private:
    struct Parts;
    explicit TypingTranslator(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};

}  // namespace orvexa::platform::x11
