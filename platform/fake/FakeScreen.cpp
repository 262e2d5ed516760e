#include "platform/fake/FakeScreen.h"

#include <algorithm>

namespace orvexa::platform {

std::uint32_t FakeScreen::PixelColor(int x, int y) {
    if (x < 0 || y < 0 || x >= size.width || y >= size.height)
        return 0;
    const auto found = pixels.find({x, y});
    return found == pixels.end() ? background : found->second;
}

ScreenPixels FakeScreen::Grab(ScreenRect rect) {
    ++grabs;
    ScreenPixels result;
    result.rect = ClippedTo(rect, size);
    if (result.rect.Empty())
        return result;
    const int left = result.rect.x;
    const int top = result.rect.y;
    const int right = left + result.rect.width;
    const int bottom = top + result.rect.height;
    result.stride = result.rect.width;
    result.pixels.reserve(static_cast<std::size_t>(result.rect.width) * result.rect.height);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            // COLORREF (red low) to 0xRRGGBB (blue low).
            const std::uint32_t c = PixelColor(x, y);
            result.pixels.push_back((c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF));
        }
    }
    return result;
}

void FakeScreen::SetPixel(int x, int y, int red, int green, int blue) {
    pixels[{x, y}] = static_cast<std::uint32_t>(red & 0xFF) | static_cast<std::uint32_t>(green & 0xFF) << 8 |
                     static_cast<std::uint32_t>(blue & 0xFF) << 16;
}

}  // namespace orvexa::platform
