// The named virtual-key codes are the Windows values: the key names, the
// keyboard synthesis and every backend are written in them, so each value is
// written out here once more, as winuser.h gives it.
#include "platform/VirtualKeyCodes.h"

#include <gtest/gtest.h>

#include <iterator>

namespace vk = orvexa::vk;

namespace {
struct Pinned {
    const char* name;
    int code;
    int windows;
};
}  // namespace

TEST(VirtualKeyCodes, AreTheWindowsValues) {
    const Pinned named[] = {
        {"Back", vk::Back, 0x08},
        {"Tab", vk::Tab, 0x09},
        {"Clear", vk::Clear, 0x0C},
        {"Return", vk::Return, 0x0D},
        {"Shift", vk::Shift, 0x10},
        {"Control", vk::Control, 0x11},
        {"Menu", vk::Menu, 0x12},
        {"Pause", vk::Pause, 0x13},
        {"Capital", vk::Capital, 0x14},
        {"Escape", vk::Escape, 0x1B},
        {"Space", vk::Space, 0x20},
        {"Prior", vk::Prior, 0x21},
        {"Next", vk::Next, 0x22},
        {"End", vk::End, 0x23},
        {"Home", vk::Home, 0x24},
        {"Left", vk::Left, 0x25},
        {"Up", vk::Up, 0x26},
        {"Right", vk::Right, 0x27},
        {"Down", vk::Down, 0x28},
        {"Select", vk::Select, 0x29},
        {"Execute", vk::Execute, 0x2B},
        {"Snapshot", vk::Snapshot, 0x2C},
        {"Insert", vk::Insert, 0x2D},
        {"Delete", vk::Delete, 0x2E},
        {"Help", vk::Help, 0x2F},
        {"LWin", vk::LWin, 0x5B},
        {"RWin", vk::RWin, 0x5C},
        {"Apps", vk::Apps, 0x5D},
        {"Multiply", vk::Multiply, 0x6A},
        {"Add", vk::Add, 0x6B},
        {"Separator", vk::Separator, 0x6C},
        {"Subtract", vk::Subtract, 0x6D},
        {"Decimal", vk::Decimal, 0x6E},
        {"Divide", vk::Divide, 0x6F},
        {"NumLock", vk::NumLock, 0x90},
        {"Scroll", vk::Scroll, 0x91},
        {"LShift", vk::LShift, 0xA0},
        {"RShift", vk::RShift, 0xA1},
        {"LControl", vk::LControl, 0xA2},
        {"RControl", vk::RControl, 0xA3},
        {"LMenu", vk::LMenu, 0xA4},
        {"RMenu", vk::RMenu, 0xA5},
        {"Oem1", vk::Oem1, 0xBA},
        {"OemPlus", vk::OemPlus, 0xBB},
        {"OemComma", vk::OemComma, 0xBC},
        {"OemMinus", vk::OemMinus, 0xBD},
        {"OemPeriod", vk::OemPeriod, 0xBE},
        {"Oem2", vk::Oem2, 0xBF},
        {"Oem3", vk::Oem3, 0xC0},
        {"Oem4", vk::Oem4, 0xDB},
        {"Oem5", vk::Oem5, 0xDC},
        {"Oem6", vk::Oem6, 0xDD},
        {"Oem7", vk::Oem7, 0xDE},
        {"Oem102", vk::Oem102, 0xE2},
    };
    for (const Pinned& key : named)
        EXPECT_EQ(key.code, key.windows) << key.name;

    // The keypad digits from 0x60 and the function keys from 0x70, in order.
    const int numpad[] = {vk::Numpad0, vk::Numpad1, vk::Numpad2, vk::Numpad3, vk::Numpad4,
                          vk::Numpad5, vk::Numpad6, vk::Numpad7, vk::Numpad8, vk::Numpad9};
    for (int digit = 0; digit < static_cast<int>(std::size(numpad)); ++digit)
        EXPECT_EQ(numpad[digit], 0x60 + digit) << "Numpad" << digit;
    const int function[] = {vk::F1,  vk::F2,  vk::F3,  vk::F4,  vk::F5,  vk::F6,  vk::F7,  vk::F8,
                            vk::F9,  vk::F10, vk::F11, vk::F12, vk::F13, vk::F14, vk::F15, vk::F16,
                            vk::F17, vk::F18, vk::F19, vk::F20, vk::F21, vk::F22, vk::F23, vk::F24};
    for (int n = 0; n < static_cast<int>(std::size(function)); ++n)
        EXPECT_EQ(function[n], 0x70 + n) << "F" << n + 1;
}
