#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace orvexa {

// Scans of a grid of 32-bit pixels, with no screen behind them: the work of
// PixelSearch and ImageSearch once the pixels are read.

// Pixels in rows from the top, each row from the left, `stride` pixels from
// the start of one row to the start of the next.
struct PixelGrid {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    const std::uint32_t* Row(int row) const { return pixels + static_cast<std::ptrdiff_t>(row) * stride; }
};

struct GridPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const GridPoint&, const GridPoint&) = default;
};

// The first pixel of `grid` (rows from the top, each from the left) whose
// red, green and blue each lie within `variation` (0 to 255) of those of
// `rgb`. Colours are 0xRRGGBB; the top bytes are ignored.
std::optional<GridPoint> FindColor(const PixelGrid& grid, std::uint32_t rgb, int variation);

// The first place (its top-left corner, in the order of FindColor) where
// `image` lies wholly inside `grid` with every pixel's red, green and blue
// within `variation` of the grid's pixel under it. The image's pixels are
// 0xAARRGGBB, not premultiplied (QImage::Format_ARGB32): a pixel of alpha 0
// matches anything, every other one is compared by its colour alone. An
// image larger than the grid is found nowhere; one that is wholly
// transparent is found at (0, 0).
std::optional<GridPoint> FindImage(const PixelGrid& grid, const PixelGrid& image, int variation);

}  // namespace orvexa
