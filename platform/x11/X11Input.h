#pragma once

#include "platform/InputSynth.h"

#include <memory>

namespace orvexa::platform {
class Screen;
}

namespace orvexa::platform::x11 {

class X11Connection;

// Input synthesis through XTEST. Normalised absolute positions are turned
// into pixels of the primary screen's size as Windows does,
// pixel = value × size / 65536, rounded to the nearest pixel.
class X11Input final : public InputSynth {
public:
    X11Input(std::shared_ptr<X11Connection> connection, std::shared_ptr<Screen> screen);
    ~X11Input() override;

    void MouseEvent(unsigned flags, std::int64_t dx, std::int64_t dy) override;
    void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, unsigned flags) override;
    std::uint16_t VkKeyScan(char character) override;
    ScreenPoint CursorPosition() override;

    // The pixel of a normalised coordinate on an axis `size` pixels long.
    static std::int64_t NormalisedToPixel(std::int64_t value, int size);

private:
    std::shared_ptr<X11Connection> connection_;
    std::shared_ptr<Screen> screen_;
};

}  // namespace orvexa::platform::x11
