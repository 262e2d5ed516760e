#include "platform/x11/VirtualKeys.h"

#include "platform/VirtualKeyCodes.h"

#include <gtest/gtest.h>

namespace vk = orvexa::vk;
using orvexa::platform::x11::KeysymToVirtualKey;
using orvexa::platform::x11::VirtualKeyToKeysym;

namespace {
// A few keysym values (X11/keysymdef.h), written out so that no X header is
// needed here.
constexpr unsigned long kXK_a = 0x61, kXK_A = 0x41, kXK_exclam = 0x21, kXK_1 = 0x31;
constexpr unsigned long kXK_F1 = 0xffbe, kXK_F24 = 0xffd5, kXK_KP_0 = 0xffb0, kXK_KP_End = 0xff9c;
constexpr unsigned long kXK_Shift_L = 0xffe1, kXK_Shift_R = 0xffe2, kXK_Control_R = 0xffe4;
constexpr unsigned long kXK_Alt_R = 0xffea, kXK_KP_Enter = 0xff8d, kXK_Return = 0xff0d;
}  // namespace

TEST(VirtualKeys, LettersAreNamedByTheirUnshiftedSymbol) {
    EXPECT_EQ(VirtualKeyToKeysym('A'), kXK_a);
    EXPECT_EQ(VirtualKeyToKeysym('Z'), kXK_a + 25);
    EXPECT_EQ(KeysymToVirtualKey(kXK_a), 'A');
    EXPECT_EQ(KeysymToVirtualKey(kXK_A), 'A');
    EXPECT_EQ(KeysymToVirtualKey(kXK_1), '1');
    // Shifted punctuation has no key of its own.
    EXPECT_EQ(KeysymToVirtualKey(kXK_exclam), 0);
}

TEST(VirtualKeys, FunctionAndKeypadRanges) {
    EXPECT_EQ(VirtualKeyToKeysym(vk::F1), kXK_F1);
    EXPECT_EQ(VirtualKeyToKeysym(vk::F24), kXK_F24);
    EXPECT_EQ(VirtualKeyToKeysym(vk::F24 + 1), 0u);  // no F25
    EXPECT_EQ(KeysymToVirtualKey(kXK_F24), vk::F24);
    EXPECT_EQ(VirtualKeyToKeysym(vk::Numpad9), kXK_KP_0 + 9);
    EXPECT_EQ(KeysymToVirtualKey(kXK_KP_0 + 1), vk::Numpad1);
    EXPECT_EQ(KeysymToVirtualKey(kXK_KP_End), vk::End);
    EXPECT_EQ(KeysymToVirtualKey(kXK_KP_Enter), vk::Return);
    EXPECT_EQ(VirtualKeyToKeysym(vk::Return), kXK_Return);
}

TEST(VirtualKeys, ModifiersReadBackAsGenericCodes) {
    EXPECT_EQ(KeysymToVirtualKey(kXK_Shift_L), vk::Shift);
    EXPECT_EQ(KeysymToVirtualKey(kXK_Shift_R), vk::Shift);
    EXPECT_EQ(KeysymToVirtualKey(kXK_Control_R), vk::Control);
    EXPECT_EQ(KeysymToVirtualKey(kXK_Alt_R), vk::Menu);
    EXPECT_EQ(VirtualKeyToKeysym(vk::Shift), kXK_Shift_L);
    EXPECT_EQ(VirtualKeyToKeysym(vk::RShift), kXK_Shift_R);
    EXPECT_EQ(VirtualKeyToKeysym(vk::RMenu), kXK_Alt_R);
}

// Every code that has a symbol reads back as itself, except the sided
// modifiers, which read back as their generic code.
TEST(VirtualKeys, EveryCodeRoundTrips) {
    int mapped = 0;
    for (int code = 1; code < 256; ++code) {
        const unsigned long keysym = VirtualKeyToKeysym(code);
        if (keysym == 0)
            continue;
        ++mapped;
        int expected = code;
        if (code == vk::LShift || code == vk::RShift)
            expected = vk::Shift;
        else if (code == vk::LControl || code == vk::RControl)
            expected = vk::Control;
        else if (code == vk::LMenu || code == vk::RMenu)
            expected = vk::Menu;
        EXPECT_EQ(KeysymToVirtualKey(keysym), expected) << "code " << code;
    }
    // 26 letters, 10 digits, 24 F-keys, 10 keypad digits and the named keys.
    EXPECT_GE(mapped, 26 + 10 + 24 + 10 + 50);
}
