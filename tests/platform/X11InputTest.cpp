// The X11 backends against a real X server (each test runs on an Xvfb of its own with a
// United States layout).
#include "platform/InputSynth.h"
#include "platform/Screen.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/fake/FakeInputSynth.h"
#include "platform/x11/VirtualKeys.h"
#include "platform/x11/X11Backend.h"
#include "platform/x11/X11Input.h"
#include "tests/support/x11/X11Probe.h"

#include "tests/support/Layouts.h"

#include <gtest/gtest.h>

using namespace orvexa::platform;
namespace vk = orvexa::vk;

namespace {
// X modifier bits (X11/X.h): Shift and, on every common keyboard map, Num Lock.
constexpr unsigned kShiftMask = 1u << 0;
constexpr unsigned kNumLockMask = 1u << 4;
}  // namespace

class X11Backends : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.Ok()) << "these tests need an X server (DISPLAY)";
        ASSERT_TRUE(services.input) << "no XTEST on this server";
    }
    x11::X11Probe probe;
    x11::X11InputServices services = x11::CreateX11InputServices();
};

TEST_F(X11Backends, EveryKeyOfTheKeyboardReadsBackAsItsCode) {
    Display* display = probe.display();
    std::vector<int> codes;
    for (int c = 'A'; c <= 'Z'; ++c)
        codes.push_back(c);
    for (int c = '0'; c <= '9'; ++c)
        codes.push_back(c);
    for (int f = vk::F1; f <= vk::F12; ++f)
        codes.push_back(f);
    for (const int c : {vk::Back,   vk::Tab,   vk::Return,  vk::Shift,    vk::Control,  vk::Menu,      vk::Escape,
                        vk::Space,  vk::Prior, vk::Next,    vk::End,      vk::Home,     vk::Left,      vk::Up,
                        vk::Right,  vk::Down,  vk::Insert,  vk::Delete,   vk::Multiply, vk::Add,       vk::Subtract,
                        vk::Divide, vk::Oem1,  vk::OemPlus, vk::OemComma, vk::OemMinus, vk::OemPeriod, vk::Oem2,
                        vk::Oem3,   vk::Oem4,  vk::Oem5,    vk::Oem6,     vk::Oem7})
        codes.push_back(c);
    for (const int code : codes) {
        const unsigned keycode = x11::VirtualKeyToKeycode(display, code);
        ASSERT_NE(keycode, 0u) << "code " << code;
        EXPECT_EQ(x11::KeycodeToVirtualKey(display, keycode), code) << "code " << code;
    }
    // Both Shift keys read as VK_SHIFT.
    const unsigned rightShift = x11::VirtualKeyToKeycode(display, vk::RShift);
    ASSERT_NE(rightShift, 0u);
    EXPECT_NE(rightShift, x11::VirtualKeyToKeycode(display, vk::Shift));
    EXPECT_EQ(x11::KeycodeToVirtualKey(display, rightShift), vk::Shift);
    EXPECT_EQ(x11::KeycodeToVirtualKey(display, 0), 0);
    EXPECT_EQ(x11::KeycodeToVirtualKey(display, 300), 0);
}

TEST_F(X11Backends, KeypadDigitsFollowNumLock) {
    Display* display = probe.display();
    for (int digit = 0; digit < 10; ++digit) {
        const unsigned keycode = x11::VirtualKeyToKeycode(display, vk::Numpad0 + digit);
        ASSERT_NE(keycode, 0u) << digit;
        EXPECT_EQ(x11::KeycodeToVirtualKey(display, keycode, kNumLockMask), vk::Numpad0 + digit);
        // Shift undoes Num Lock, as on Windows.
        const int navigation = x11::KeycodeToVirtualKey(display, keycode, kNumLockMask | kShiftMask);
        EXPECT_EQ(navigation, x11::KeycodeToVirtualKey(display, keycode, 0));
        EXPECT_NE(navigation, vk::Numpad0 + digit);
    }
    const unsigned one = x11::VirtualKeyToKeycode(display, vk::Numpad1);
    EXPECT_EQ(x11::KeycodeToVirtualKey(display, one, 0), vk::End);
    // The keypad's decimal key deletes without Num Lock.
    int decimalKeys = 0;
    for (unsigned keycode = 8; keycode < 256; ++keycode)
        if (x11::KeycodeToVirtualKey(display, keycode, 0) == vk::Delete &&
            x11::KeycodeToVirtualKey(display, keycode, kNumLockMask) == vk::Decimal)
            ++decimalKeys;
    EXPECT_EQ(decimalKeys, 1);
}

// On a US layout the keys that type each printable character are those of
// the recording fake's US table (key and shift state alike).
TEST_F(X11Backends, KeyScanMatchesTheUnitedStatesLayout) {
    FakeInputSynth us;
    for (int c = 0x20; c <= 0x7E; ++c)
        EXPECT_EQ(services.input->VkKeyScan(static_cast<char>(c)), us.VkKeyScan(static_cast<char>(c)))
            << "character '" << static_cast<char>(c) << "'";
    EXPECT_EQ(services.input->VkKeyScan('\t'), vk::Tab);
    EXPECT_EQ(services.input->VkKeyScan('\r'), vk::Return);
    EXPECT_EQ(services.input->VkKeyScan('\x01'), InputSynth::kNoKey);
    EXPECT_EQ(services.input->VkKeyScan('\xE9'), InputSynth::kNoKey);
}

TEST_F(X11Backends, PixelsOutsideTheScreenReadAsZeroAndDoNotEndTheProcess) {
    Screen& screen = *services.screen;
    const ScreenSize size = screen.PrimarySize();
    testing::internal::CaptureStderr();
    EXPECT_EQ(screen.PixelColor(-1, 0), 0u);
    EXPECT_EQ(screen.PixelColor(0, -1), 0u);
    EXPECT_EQ(screen.PixelColor(size.width, 0), 0u);
    EXPECT_EQ(screen.PixelColor(0, size.height), 0u);
    EXPECT_EQ(screen.PixelColor(40000, 40000), 0u);
    EXPECT_EQ(screen.PixelColor(70000, 10), 0u);  // would wrap to 4464 on the wire
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "the errors are expected, not reported";
    // The connection still works after the errors.
    screen.PixelColor(size.width - 1, size.height - 1);
    EXPECT_EQ(screen.PrimarySize(), size);
}

TEST_F(X11Backends, PrimarySizeIsTheScreensWithoutAPrimaryOutput) {
    // xvfb-run's screen is 1280x1024 with no primary output.
    const ScreenSize size = services.screen->PrimarySize();
    EXPECT_GT(size.width, 0);
    EXPECT_GT(size.height, 0);
    EXPECT_EQ(size, services.screen->PrimarySize());
}

TEST_F(X11Backends, NormalisedPositionsTurnIntoPixelsAsWindowsDoes) {
    EXPECT_EQ(x11::X11Input::NormalisedToPixel(0, 1280), 0);
    EXPECT_EQ(x11::X11Input::NormalisedToPixel(32768, 1024), 512);
    EXPECT_EQ(x11::X11Input::NormalisedToPixel(65535, 1280), 1280);  // 1279.98
    EXPECT_EQ(x11::X11Input::NormalisedToPixel(51, 1280), 1);        // 0.996
    EXPECT_EQ(x11::X11Input::NormalisedToPixel(-640, 1024), -10);
    EXPECT_EQ(x11::X11Input::NormalisedToPixel(-33, 1024), -1);  // -0.52
}

TEST_F(X11Backends, AbsoluteMotionLandsOnThePixelAndClampsAtTheEdges) {
    InputSynth& input = *services.input;
    const ScreenSize size = services.screen->PrimarySize();
    input.MouseEvent(InputSynth::kMouseMove | InputSynth::kMouseAbsolute, 32768, 32768);
    EXPECT_EQ(input.CursorPosition(),
              (ScreenPoint{static_cast<int>(x11::X11Input::NormalisedToPixel(32768, size.width)),
                           static_cast<int>(x11::X11Input::NormalisedToPixel(32768, size.height))}));
    input.MouseEvent(InputSynth::kMouseMove | InputSynth::kMouseAbsolute, -100000, 1LL << 50);
    EXPECT_EQ(input.CursorPosition(), (ScreenPoint{0, size.height - 1}));
    input.MouseEvent(InputSynth::kMouseMove, 10, -10);  // relative, in pixels
    EXPECT_EQ(input.CursorPosition(), (ScreenPoint{10, size.height - 11}));
    probe.Sync();
    EXPECT_EQ(probe.Pointer(), (ScreenPoint{10, size.height - 11}));
}

using orvexa::test::Eventually;
using orvexa::test::SetLayout;

// The keys found for characters are kept; a new layout must replace them.
TEST_F(X11Backends, AChangeOfLayoutIsSeenByTheKeyScan) {
    InputSynth& input = *services.input;
    ASSERT_EQ(input.VkKeyScan('<'), vk::OemComma | 0x100);
    ASSERT_EQ(input.VkKeyScan('@'), '2' | 0x100);
    ASSERT_TRUE(SetLayout({QStringLiteral("de")}));
    struct Restore {
        ~Restore() { SetLayout({QStringLiteral("us")}); }
    } restore;
    // German: "<" has a key of its own, "@" needs AltGr (not a shift state
    // the key scan reports), "z" and "y" trade places.
    EXPECT_TRUE(Eventually([&] { return input.VkKeyScan('<') == vk::Oem102; }));
    EXPECT_EQ(input.VkKeyScan('@'), InputSynth::kNoKey);
    const unsigned zKey = x11::VirtualKeyToKeycode(probe.display(), 'Z');
    EXPECT_EQ(x11::KeycodeToVirtualKey(probe.display(), zKey), 'Z');
    SetLayout({QStringLiteral("us")});
    EXPECT_TRUE(Eventually([&] { return input.VkKeyScan('<') == (vk::OemComma | 0x100); }));
    EXPECT_EQ(input.VkKeyScan('@'), '2' | 0x100);
}
