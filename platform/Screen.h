#pragma once

#include <cstdint>
#include <optional>

namespace orvexa::platform {

struct ScreenPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

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

    // Where the screen shows the cursor, for a screen that sees it (a
    // screen cast with the cursor as metadata); nothing where it does not
    // (X11, where the input service asks the server), or where the cursor
    // is not on this screen now.
    virtual std::optional<ScreenPoint> CursorPosition() { return std::nullopt; }
};

}  // namespace orvexa::platform
