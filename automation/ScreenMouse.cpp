#include "automation/ScreenMouse.h"

#include "core/Exception.h"
#include "core/Strings.h"
#include "platform/InputSynth.h"
#include "platform/Screen.h"

#include <cmath>
#include <cstdio>

namespace orvexa {

using platform::InputSynth;
using platform::Screen;

namespace {
int Red(std::uint32_t color) { return static_cast<int>(color & 0xFF); }
int Green(std::uint32_t color) { return static_cast<int>((color >> 8) & 0xFF); }
int Blue(std::uint32_t color) { return static_cast<int>((color >> 16) & 0xFF); }
}  // namespace

QByteArray ColorName(std::uint32_t color, int redMargin, int greenMargin, int blueMargin) {
    // Plain integer comparisons, strict; wide enough for any margin.
    const std::int64_t r = Red(color);
    const std::int64_t g = Green(color);
    const std::int64_t b = Blue(color);
    if (r > b + redMargin && r > g + redMargin)
        return QByteArrayLiteral("red");
    if (b > r + blueMargin && b > g + blueMargin)
        return QByteArrayLiteral("blue");
    if (g > b + greenMargin && g > r + greenMargin)
        return QByteArrayLiteral("green");
    return QByteArray();
}

QByteArray ColorRGBText(std::uint32_t color) {
    char text[8] = {};
    std::snprintf(text, sizeof text, "%2.2X%2.2X%2.2X", Red(color), Green(color), Blue(color));
    return QByteArray(text);
}

std::int64_t NormaliseAbsolute(int pixel, int screenSize) {
    // The quotient first, in extended precision; the default rounding mode
    // rounds ties to even.
    const long double factor = 65535.0L / static_cast<long double>(screenSize);
    return static_cast<std::int64_t>(std::nearbyint(factor * static_cast<long double>(pixel)));
}

std::int64_t NormaliseRelative(std::int64_t pixel, int screenSize) {
    const long double factor = 65536.0L / static_cast<long double>(screenSize);
    return static_cast<std::int64_t>(std::trunc(factor * static_cast<long double>(pixel)));
}

std::uint32_t GetPixelColor(Screen& screen, int x, int y) { return screen.PixelColor(x, y); }

QByteArray GetColorName(Screen& screen, int x, int y, int redMargin, int greenMargin, int blueMargin) {
    return ColorName(GetPixelColor(screen, x, y), redMargin, greenMargin, blueMargin);
}

QByteArray GetColorRGBText(Screen& screen, int x, int y) { return ColorRGBText(GetPixelColor(screen, x, y)); }

platform::ScreenPoint GetCursorPos(InputSynth& input, Screen& screen) {
    // A screen cast sees the cursor wherever it is; input through a portal
    // knows only where it last moved it.
    if (const std::optional<platform::ScreenPoint> shown = screen.CursorPosition())
        return *shown;
    if (!input.KnowsCursor())
        throw Exception(strings::CursorPositionUnknown());
    return input.CursorPosition();
}

int GetMouseX(InputSynth& input, Screen& screen) { return GetCursorPos(input, screen).x; }
int GetMouseY(InputSynth& input, Screen& screen) { return GetCursorPos(input, screen).y; }
int GetScreenWidth(Screen& screen) { return screen.PrimarySize().width; }
int GetScreenHeight(Screen& screen) { return screen.PrimarySize().height; }

void MoveMouseAbs(InputSynth& input, Screen& screen, int x, int y) {
    const platform::ScreenSize size = screen.PrimarySize();
    if (size.width <= 0 || size.height <= 0)
        return;  // no screen to move on
    input.MouseEvent(InputSynth::kMouseMove | InputSynth::kMouseAbsolute, NormaliseAbsolute(x, size.width),
                     NormaliseAbsolute(y, size.height));
}

void MoveMouseRel(InputSynth& input, Screen& screen, int dx, int dy) {
    const platform::ScreenSize size = screen.PrimarySize();
    if (size.width <= 0 || size.height <= 0)
        return;
    const platform::ScreenPoint cursor = GetCursorPos(input, screen);
    input.MouseEvent(InputSynth::kMouseMove | InputSynth::kMouseAbsolute,
                     NormaliseRelative(std::int64_t{dx} + cursor.x, size.width),
                     NormaliseRelative(std::int64_t{dy} + cursor.y, size.height));
}

void MouseButton(InputSynth& input, const QByteArray& button, const QByteArray& action) {
    const bool press = action == "PRESS";
    unsigned flags = InputSynth::kMouseAbsolute;
    if (button == "LEFT")
        flags |= press ? InputSynth::kMouseLeftDown : InputSynth::kMouseLeftUp;
    else
        flags |= press ? InputSynth::kMouseRightDown : InputSynth::kMouseRightUp;
    // Without the move flag the cursor stays; the button acts where it is.
    const platform::ScreenPoint cursor = input.CursorPosition();
    input.MouseEvent(flags, cursor.x, cursor.y);
}

}  // namespace orvexa
