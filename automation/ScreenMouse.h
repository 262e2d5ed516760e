#pragma once

#include <QByteArray>

#include <cstdint>

#include "platform/Screen.h"

namespace orvexa::platform {
class InputSynth;
}  // namespace orvexa::platform

namespace orvexa {

// The screen and mouse primitives behind the orvex module's methods, on the
// input and screen services they are given. They keep no state: every call
// asks the services afresh. Coordinates are
// pixels of the primary screen, (0, 0) at its top-left corner.

// The margin by which one channel must exceed both others to name a colour.
constexpr int kColorNameMargin = 25;

// The colour of the pixel at (x, y) as a COLORREF (red in the low byte); a
// pixel outside the screen reads as 0.
std::uint32_t GetPixelColor(platform::Screen& screen, int x, int y);

// "red", "blue", "green" (tested in that order) or empty.
QByteArray GetColorName(platform::Screen& screen, int x, int y, int redMargin, int greenMargin, int blueMargin);

// Six upper-case hexadecimal digits, red first: "010203".
QByteArray GetColorRGBText(platform::Screen& screen, int x, int y);

// The cursor position: where the screen shows it when the screen sees the
// cursor (a screen cast), else where the input service says it is.
platform::ScreenPoint GetCursorPos(platform::InputSynth& input, platform::Screen& screen);
int GetMouseX(platform::InputSynth& input, platform::Screen& screen);
int GetMouseY(platform::InputSynth& input, platform::Screen& screen);
int GetScreenWidth(platform::Screen& screen);
int GetScreenHeight(platform::Screen& screen);

// Moves the cursor to pixel (x, y): each axis is normalised as
// (65535 / size) × pixel in extended precision, rounded half to even.
void MoveMouseAbs(platform::InputSynth& input, platform::Screen& screen, int x, int y);

// Moves the cursor by (dx, dy) pixels as an absolute move to the cursor
// position plus the offset: (65536 / size) × (offset + position),
// truncated toward zero.
void MoveMouseRel(platform::InputSynth& input, platform::Screen& screen, int dx, int dy);

// Presses ("PRESS") or releases (anything else) the left button ("LEFT")
// or the right one (anything else) where the cursor is. Texts compare
// exactly.
void MouseButton(platform::InputSynth& input, const QByteArray& button, const QByteArray& action);

// The colour-name and normalisation rules by themselves.
QByteArray ColorName(std::uint32_t color, int redMargin, int greenMargin, int blueMargin);
QByteArray ColorRGBText(std::uint32_t color);
std::int64_t NormaliseAbsolute(int pixel, int screenSize);
std::int64_t NormaliseRelative(std::int64_t pixel, int screenSize);

}  // namespace orvexa
