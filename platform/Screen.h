#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

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

// A rectangle of the screen: its top-left pixel and its size.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The part of `rect` that lies on a screen of `size` (whose top-left pixel is
// (0, 0)); an empty rectangle when no part of it does. Safe from overflow
// for any corner and extent.
inline ScreenRect ClippedTo(ScreenRect rect, ScreenSize size) {
    if (rect.Empty())
        return {};
    const long long left = std::max(rect.x, 0);
    const long long top = std::max(rect.y, 0);
    const long long right = std::min<long long>(static_cast<long long>(rect.x) + rect.width, size.width);
    const long long bottom = std::min<long long>(static_cast<long long>(rect.y) + rect.height, size.height);
    if (right <= left || bottom <= top)
        return {};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

// The pixels of a rectangle of the screen, read at one moment. Rows run
// from the top, each from the left; `stride` pixels lie from the start of
// one row to the start of the next (at least `rect.width`). Each pixel is
// 0xRRGGBB: blue in the lowest byte, then green, then red, the top byte 0
// (the layout of QImage::Format_RGB32 and of a 24-bit X server's pixels;
// note that it is not the COLORREF order of PixelColor).
struct ScreenPixels {
    ScreenRect rect;
    int stride = 0;
    std::vector<std::uint32_t> pixels;

    const std::uint32_t* Row(int row) const { return pixels.data() + static_cast<std::size_t>(row) * stride; }
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

    // The part of `rect` that lies on the screen, read in one request;
    // nothing (an empty rectangle) when no part of it does. A part that
    // cannot be read (in a Wayland session) throws orvexa::Exception with
    // the reason.
    virtual ScreenPixels Grab(ScreenRect rect) = 0;

    // Width and height of the primary screen in pixels.
    virtual ScreenSize PrimarySize() = 0;

    // Where the screen shows the cursor, for a screen that sees it (a
    // screen cast with the cursor as metadata); nothing where it does not
    // (X11, where the input service asks the server), or where the cursor
    // is not on this screen now.
    virtual std::optional<ScreenPoint> CursorPosition() { return std::nullopt; }
};

}  // namespace orvexa::platform
