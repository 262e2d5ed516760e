#pragma once

#include <cstdint>

namespace orvexa::platform {

struct ScreenSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const ScreenSize&, const ScreenSize&) = default;
};

// The desktop's pixels and the size of its primary screen.
class Screen {
public:
    Screen() = default;
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;
    virtual ~Screen() = default;

    // The colour of one pixel of the desktop as a COLORREF: red in the
    // lowest byte, then green, then blue, the top byte 0. A pixel outside
    // the screen reads as 0; one inside it that cannot be read (in a Wayland
    // session) throws orvexa::Exception with the reason.
    virtual std::uint32_t PixelColor(int x, int y) = 0;

    // Width and height of the primary screen in pixels.
    virtual ScreenSize PrimarySize() = 0;
};

}  // namespace orvexa::platform
