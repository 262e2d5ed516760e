#pragma once

#include "platform/InputSynth.h"  // ScreenPoint
#include "platform/Screen.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>

namespace orvexa {

// The searches of the screen behind the orvex module's PixelSearch and
// ImageSearch: the rectangle is read in one grab, then scanned (PixelScan).
// Positions are pixels of the screen, (0, 0) at its top-left corner.

// The rectangle with corners (x1, y1) and (x2, y2), both included, given
// in either order: (10, 10, 0, 0) is the rectangle (0, 0, 10, 10). Sizes
// beyond what a screen can have are cut.
platform::ScreenRect RectBetween(int x1, int y1, int x2, int y2);

// A colour written as GetRGB writes it, six hexadecimal digits red first
// (upper or lower case), as 0xRRGGBB; nothing for any other text.
std::optional<std::uint32_t> ParseRGBText(const QByteArray& text);

// The first pixel of the rectangle (rows from the top, each from the left)
// whose red, green and blue lie within `variation` of those of `rgb`
// (0xRRGGBB); nothing when none does or no part of the rectangle is on the
// screen.
std::optional<platform::ScreenPoint> PixelSearch(platform::Screen& screen, const platform::ScreenRect& rect,
                                                 std::uint32_t rgb, int variation);

// An image file (PNG, BMP, JPEG, or any other format Qt reads) in the
// 0xAARRGGBB layout ImageSearch compares; a file that cannot be read
// throws orvexa::Exception with the file's name and the reason.
QImage LoadSearchImage(const QString& file);

// The top-left corner of the first place in the rectangle (in the order of
// PixelSearch) where the whole image lies, each of its pixels within
// `variation` of the screen's, fully transparent ones matching anything.
std::optional<platform::ScreenPoint> ImageSearch(platform::Screen& screen, const platform::ScreenRect& rect,
                                                 const QImage& image, int variation);

}  // namespace orvexa
