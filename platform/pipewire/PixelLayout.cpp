#include "platform/pipewire/PixelLayout.h"

#include <spa/param/video/raw.h>

namespace orvexa::platform::pipewire {

namespace {

struct Known {
    spa_video_format format;
    PixelLayout layout;
};

// Byte order in memory, as the format's name reads: BGRx is blue, green,
// red, padding.
constexpr Known kKnown[] = {
    {SPA_VIDEO_FORMAT_BGRx, {4, 2, 1, 0}}, {SPA_VIDEO_FORMAT_BGRA, {4, 2, 1, 0}}, {SPA_VIDEO_FORMAT_RGBx, {4, 0, 1, 2}},
    {SPA_VIDEO_FORMAT_RGBA, {4, 0, 1, 2}}, {SPA_VIDEO_FORMAT_xRGB, {4, 1, 2, 3}}, {SPA_VIDEO_FORMAT_ARGB, {4, 1, 2, 3}},
    {SPA_VIDEO_FORMAT_xBGR, {4, 3, 2, 1}}, {SPA_VIDEO_FORMAT_ABGR, {4, 3, 2, 1}}, {SPA_VIDEO_FORMAT_RGB, {3, 0, 1, 2}},
    {SPA_VIDEO_FORMAT_BGR, {3, 2, 1, 0}},
};

}  // namespace

std::optional<PixelLayout> LayoutOfVideoFormat(std::uint32_t format) {
    for (const Known& known : kKnown)
        if (known.format == format)
            return known.layout;
    return std::nullopt;
}

std::vector<std::uint32_t> AcceptedVideoFormats() {
    std::vector<std::uint32_t> formats;
    for (const Known& known : kKnown)
        formats.push_back(known.format);
    return formats;
}

}  // namespace orvexa::platform::pipewire
