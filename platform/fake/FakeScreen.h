#pragma once

#include "platform/Screen.h"

#include <map>
#include <utility>

namespace orvexa::platform {

// A screen of a given size whose pixels the test sets; unset pixels inside
// the screen read as `background`, pixels outside it as 0.
class FakeScreen final : public Screen {
public:
    explicit FakeScreen(ScreenSize screenSize = {1024, 768}) : size(screenSize) {}

    std::uint32_t PixelColor(int x, int y) override;
    ScreenSize PrimarySize() override { return size; }
    // The pixels PixelColor reads, clipped to the screen; counts the grabs.
    ScreenPixels Grab(ScreenRect rect) override;
    std::optional<ScreenPoint> CursorPosition() override { return cursor; }

    // Sets one pixel from its channels.
    void SetPixel(int x, int y, int red, int green, int blue);

    ScreenSize size;
    std::uint32_t background = 0;
    // Where the screen shows the cursor; nothing for a screen that does not
    // see it.
    std::optional<ScreenPoint> cursor;
    std::map<std::pair<int, int>, std::uint32_t> pixels;
    int grabs = 0;
};

}  // namespace orvexa::platform
