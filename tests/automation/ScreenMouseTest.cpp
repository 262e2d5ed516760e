#include "automation/ScreenMouse.h"
#include "core/Exception.h"
#include "tests/automation/FakeDesktop.h"

#include <gtest/gtest.h>

#include <climits>

using namespace orvexa;
using platform::FakeInputSynth;

namespace {
QByteArray NameOf(platform::FakeScreen& screen, int red, int green, int blue) {
    screen.SetPixel(5, 6, red, green, blue);
    return GetColorName(screen, 5, 6, kColorNameMargin, kColorNameMargin, kColorNameMargin);
}
}  // namespace

class ScreenMouse : public test::FakeDesktop {};

TEST_F(ScreenMouse, ColourNamesAtTheMargins) {
    EXPECT_EQ(NameOf(*screen, 255, 229, 0), "red");
    EXPECT_EQ(NameOf(*screen, 255, 230, 0), "");
    EXPECT_EQ(NameOf(*screen, 0, 0, 26), "blue");
    EXPECT_EQ(NameOf(*screen, 0, 0, 25), "");
    EXPECT_EQ(NameOf(*screen, 0, 26, 0), "green");
    EXPECT_EQ(NameOf(*screen, 0, 25, 0), "");
    EXPECT_EQ(NameOf(*screen, 255, 255, 255), "");
    EXPECT_EQ(NameOf(*screen, 0, 0, 0), "");
    EXPECT_EQ(NameOf(*screen, 128, 128, 128), "");
}

TEST_F(ScreenMouse, ColourNamesTestRedThenBlueThenGreenWithTheirOwnMargins) {
    // Each margin serves its own colour's test.
    EXPECT_EQ(ColorName(0x000064, 100, 0, 0), "");  // red 100 needs > 100
    EXPECT_EQ(ColorName(0x000064, 99, 0, 0), "red");
    EXPECT_EQ(ColorName(0x640000, 0, 0, 100), "");  // blue 100
    EXPECT_EQ(ColorName(0x006400, 0, 100, 0), "");  // green 100
    EXPECT_EQ(ColorName(0x006400, 0, 99, 0), "green");
    // Negative margins let several tests hold: red wins, then blue.
    EXPECT_EQ(ColorName(0x0A0A0A, -1, -1, -1), "red");
    EXPECT_EQ(ColorName(0x0A000A, -1, -1, -1), "red");
    EXPECT_EQ(ColorName(0x0A0A00, -1, -1, -1), "blue");
    EXPECT_EQ(ColorName(0x0A0A00, 0, -1, 0), "green");
    // Huge margins do not overflow.
    EXPECT_EQ(ColorName(0x0000FF, INT_MAX, INT_MAX, INT_MAX), "");
    EXPECT_EQ(ColorName(0x000000, INT_MIN, INT_MIN, INT_MIN), "red");
}

TEST_F(ScreenMouse, RgbTextIsSixUpperCaseDigitsRedFirst) {
    screen->SetPixel(1, 1, 1, 2, 3);
    EXPECT_EQ(GetColorRGBText(*screen, 1, 1), "010203");
    screen->SetPixel(2, 2, 255, 0, 171);
    EXPECT_EQ(GetColorRGBText(*screen, 2, 2), "FF00AB");
    EXPECT_EQ(GetPixelColor(*screen, 2, 2), 0xAB00FFu);
    // Outside the fake screen the pixel reads as 0.
    EXPECT_EQ(GetColorRGBText(*screen, -1, 0), "000000");
    EXPECT_EQ(GetColorRGBText(*screen, 5000, 0), "000000");
}

TEST_F(ScreenMouse, AbsoluteMovesRoundTiesToEven) {
    screen->size = {1024, 768};
    MoveMouseAbs(*input, *screen, 0, 0);
    MoveMouseAbs(*input, *screen, 512, 384);
    MoveMouseAbs(*input, *screen, -10, 800);  // not clamped
    const unsigned flags = 0x8001;
    ASSERT_EQ(input->events.size(), 3u);
    EXPECT_EQ(input->events[0], FakeInputSynth::Mouse(flags, 0, 0));
    // 65535 / 1024 × 512 = 32767.5 -> 32768; 65535 / 768 × 384 = 32767.5 -> 32768.
    EXPECT_EQ(input->events[1], FakeInputSynth::Mouse(flags, 32768, 32768));
    // 65535 / 1024 × -10 = -639.99 -> -640; 65535 / 768 × 800 = 68265.625 -> 68266.
    EXPECT_EQ(input->events[2], FakeInputSynth::Mouse(flags, -640, 68266));
}

TEST_F(ScreenMouse, AbsoluteTiesGoToTheEvenNeighbour) {
    // 65535 / 2 × 1 = 32767.5 -> 32768 (even); × 3 = 98302.5 -> 98302 (even).
    EXPECT_EQ(NormaliseAbsolute(1, 2), 32768);
    EXPECT_EQ(NormaliseAbsolute(3, 2), 98302);
    EXPECT_EQ(NormaliseAbsolute(-1, 2), -32768);
    EXPECT_EQ(NormaliseAbsolute(640, 1280), 32768);  // 32767.5
    EXPECT_EQ(NormaliseAbsolute(1, 1280), 51);       // 51.199
    EXPECT_EQ(NormaliseAbsolute(INT_MAX, 1), 65535LL * INT_MAX);
}

TEST_F(ScreenMouse, RelativeMovesTruncateFromTheCursor) {
    screen->size = {1024, 768};
    input->cursor = {100, 10};
    MoveMouseRel(*input, *screen, 0, 0);
    MoveMouseRel(*input, *screen, -101, 4);
    ASSERT_EQ(input->events.size(), 2u);
    // 65536 / 1024 × 100 = 6400; 65536 / 768 × 10 = 853.33 -> 853.
    EXPECT_EQ(input->events[0], FakeInputSynth::Mouse(0x8001, 6400, 853));
    // -1 × 64 = -64; 14 × 85.33 = 1194.67 -> 1194.
    EXPECT_EQ(input->events[1], FakeInputSynth::Mouse(0x8001, -64, 1194));
    // Truncation goes toward zero on both sides.
    EXPECT_EQ(NormaliseRelative(-1, 768), -85);
    EXPECT_EQ(NormaliseRelative(1, 768), 85);
}

TEST_F(ScreenMouse, ButtonsActAtTheCursorWithoutMoving) {
    input->cursor = {33, 44};
    MouseButton(*input, "LEFT", "PRESS");
    MouseButton(*input, "LEFT", "RELEASE");
    MouseButton(*input, "RIGHT", "PRESS");
    MouseButton(*input, "RIGHT", "RELEASE");
    // Texts compare exactly: anything but LEFT is the right button, anything
    // but PRESS a release.
    MouseButton(*input, "left", "PRESS");
    MouseButton(*input, "LEFT", "press");
    const std::vector<FakeInputSynth::Event> expected{
        FakeInputSynth::Mouse(0x8002, 33, 44), FakeInputSynth::Mouse(0x8004, 33, 44),
        FakeInputSynth::Mouse(0x8008, 33, 44), FakeInputSynth::Mouse(0x8010, 33, 44),
        FakeInputSynth::Mouse(0x8008, 33, 44), FakeInputSynth::Mouse(0x8004, 33, 44),
    };
    EXPECT_EQ(input->events, expected);
    EXPECT_EQ(input->cursorReads, 6);
}

TEST_F(ScreenMouse, CursorAndScreenSizeAreReadAnew) {
    input->cursor = {7, 8};
    EXPECT_EQ(GetMouseX(*input, *screen), 7);
    EXPECT_EQ(GetMouseY(*input, *screen), 8);
    input->cursor = {9, 10};
    EXPECT_EQ(GetMouseX(*input, *screen), 9);
    screen->size = {1280, 1024};
    EXPECT_EQ(GetScreenWidth(*screen), 1280);
    EXPECT_EQ(GetScreenHeight(*screen), 1024);
}

TEST_F(ScreenMouse, AScreenThatSeesTheCursorTellsWhereItIs) {
    // A screen cast shows the cursor wherever the user moved it; the input
    // service knows only where it last moved it.
    input->cursor = {7, 8};
    screen->cursor = platform::ScreenPoint{300, 200};
    EXPECT_EQ(GetMouseX(*input, *screen), 300);
    EXPECT_EQ(GetMouseY(*input, *screen), 200);
    screen->size = {1024, 768};
    MoveMouseRel(*input, *screen, 0, 0);
    ASSERT_EQ(input->events.size(), 1u);
    // 65536 / 1024 × 300 = 19200; 65536 / 768 × 200 = 17066.67 -> 17066.
    EXPECT_EQ(input->events[0], FakeInputSynth::Mouse(0x8001, 19200, 17066));
    screen->cursor.reset();  // off this screen: the input service's answer
    EXPECT_EQ(GetMouseX(*input, *screen), 7);
}

TEST_F(ScreenMouse, APointerNeitherSeenNorMovedIsAnErrorNotAPlace) {
    // Input through a portal before its first move, on a desktop whose cast
    // shows no pointer: no made-up position, and no move from one; clicks
    // still act where the pointer is.
    input->knowsCursor = false;
    screen->size = {1024, 768};
    EXPECT_THROW(GetMouseX(*input, *screen), Exception);
    EXPECT_THROW(GetMouseY(*input, *screen), Exception);
    EXPECT_THROW(MoveMouseRel(*input, *screen, 5, 5), Exception);
    EXPECT_TRUE(input->events.empty());
    MouseButton(*input, "LEFT", "PRESS");
    EXPECT_EQ(input->events.size(), 1u);
    screen->cursor = platform::ScreenPoint{300, 200};
    EXPECT_EQ(GetMouseX(*input, *screen), 300) << "the cast shows it";
}

TEST(ProgramContext, WithoutADisplayItsServicesRaise) {
    int attempts = 0;
    platform::Services services;
    services.connectDisplay = [&] {
        ++attempts;
        return platform::DisplayServices();
    };
    ProgramContext context(std::move(services));
    EXPECT_THROW(context.Screen(), Exception);
    EXPECT_THROW(context.Input(), Exception);
    EXPECT_EQ(attempts, 1) << "a second try within the second";
    EXPECT_THROW(ProgramContext(platform::Services()).Input(), Exception) << "no way to connect";
}

TEST_F(ScreenMouse, AnEmptyScreenTakesNoMove) {
    screen->size = {0, 0};
    MoveMouseAbs(*input, *screen, 1, 1);
    MoveMouseRel(*input, *screen, 1, 1);
    EXPECT_TRUE(input->events.empty());
}
