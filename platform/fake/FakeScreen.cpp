#include "platform/fake/FakeScreen.h"

namespace orvexa::platform {

std::uint32_t FakeScreen::PixelColor(int x, int y) {
    if (x < 0 || y < 0 || x >= size.width || y >= size.height)
        return 0;
    const auto found = pixels.find({x, y});
    return found == pixels.end() ? background : found->second;
}

void FakeScreen::SetPixel(int x, int y, int red, int green, int blue) {
    pixels[{x, y}] = static_cast<std::uint32_t>(red & 0xFF) |
                     static_cast<std::uint32_t>(green & 0xFF) << 8 |
                     static_cast<std::uint32_t>(blue & 0xFF) << 16;
}

}  // namespace orvexa::platform
