#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace orvexa::platform::pipewire {

// Where the channels of one pixel lie in the bytes of a packed RGB video
// format: the byte offsets of red, green and blue within a pixel of
// `bytesPerPixel` bytes (the alpha or padding byte, where there is one, is
// not read).
struct PixelLayout {
    int bytesPerPixel = 4;
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The layout of a PipeWire raw video format (an spa_video_format value);
// nothing for a format this reader does not take.
std::optional<PixelLayout> LayoutOfVideoFormat(std::uint32_t format);

// The video formats taken, the commonest on desktops first (what
// compositors offer for screen casts: BGRx and BGRA above all).
std::vector<std::uint32_t> AcceptedVideoFormats();

// The pixel at `pixel` as a COLORREF: red in the low byte, then green, then
// blue.
inline std::uint32_t ColorRefAt(const std::uint8_t* pixel, const PixelLayout& layout) {
    return std::uint32_t{pixel[layout.red]} | (std::uint32_t{pixel[layout.green]} << 8) |
           (std::uint32_t{pixel[layout.blue]} << 16);
}

// The pixel at `pixel` as 0xRRGGBB: blue in the low byte, then green, then
// red (the layout of a grabbed rectangle).
inline std::uint32_t RgbAt(const std::uint8_t* pixel, const PixelLayout& layout) {
    return std::uint32_t{pixel[layout.blue]} | (std::uint32_t{pixel[layout.green]} << 8) |
           (std::uint32_t{pixel[layout.red]} << 16);
}

}  // namespace orvexa::platform::pipewire
