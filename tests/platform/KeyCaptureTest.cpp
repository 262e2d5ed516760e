// The key-state table every capture backend shares, and the fake backend
// that the naming and dispatch tests are driven with.
#include "platform/KeyStateTable.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/fake/FakeKeyCapture.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace orvexa::platform;
namespace vk = orvexa::vk;

namespace {
constexpr std::uint32_t kA = 'A';
constexpr std::uint32_t kRepeat1 = KeyEvent::kRepeatCountOne;

KeyModifiers Mods(bool shift, bool control, bool alt) { return {shift, control, alt}; }
}  // namespace

TEST(KeyStateTable, PressRepeatAndReleaseFlags) {
    KeyStateTable table;
    const KeyEvent press = table.Apply(38, kA, true);
    EXPECT_EQ(press.virtualKey, kA);
    EXPECT_EQ(press.flags, kRepeat1);
    EXPECT_FALSE(press.Released());

    const KeyEvent repeat = table.Apply(38, kA, true);
    EXPECT_EQ(repeat.flags, kRepeat1 | KeyEvent::kPreviousStateBit) << "press of a key already down";

    const KeyEvent release = table.Apply(38, kA, false);
    EXPECT_EQ(release.flags, kRepeat1 | KeyEvent::kPreviousStateBit | KeyEvent::kReleasedBit);
    EXPECT_TRUE(release.Released());

    // A release the table never saw go down says so.
    EXPECT_EQ(table.Apply(38, kA, false).flags, kRepeat1 | KeyEvent::kReleasedBit);
    EXPECT_FALSE(table.AnyDown());
}

TEST(KeyStateTable, SnapshotIncludesTheEventsOwnKeyAndAltSetsTheContextBit) {
    KeyStateTable table;
    EXPECT_EQ(table.Apply(50, vk::Shift, true).modifiers, Mods(true, false, false));
    EXPECT_EQ(table.Apply(37, vk::Control, true).modifiers, Mods(true, true, false));
    const KeyEvent alt = table.Apply(64, vk::Menu, true);
    EXPECT_EQ(alt.modifiers, Mods(true, true, true));
    EXPECT_NE(alt.flags & KeyEvent::kAltDownBit, 0u);
    const KeyEvent altUp = table.Apply(64, vk::Menu, false);
    EXPECT_EQ(altUp.modifiers, Mods(true, true, false)) << "a release is reported with its key up";
    EXPECT_EQ(altUp.flags & KeyEvent::kAltDownBit, 0u);
}

TEST(KeyStateTable, KeysWithTheSameCodeAreTrackedApart) {
    KeyStateTable table;
    table.Apply(50, vk::Shift, true);  // left Shift
    table.Apply(62, vk::Shift, true);  // right Shift, also VK_SHIFT
    table.Apply(62, vk::Shift, false);
    EXPECT_TRUE(table.Modifiers().shift) << "the left Shift is still held";
    table.Apply(50, vk::Shift, false);
    EXPECT_FALSE(table.Modifiers().shift);

    // The sided codes count as their modifier too.
    table.Apply(105, vk::RControl, true);
    table.Apply(108, vk::RMenu, true);
    EXPECT_EQ(table.Modifiers(), Mods(false, true, true));
}

TEST(KeyStateTable, ReleaseClearsTheModifierTheKeyWentDownWith) {
    // The keyboard map changed while the key was held: its release reports
    // another code, and still the modifier it set goes up.
    KeyStateTable table;
    table.Apply(37, vk::Control, true);
    table.Apply(37, kA, false);
    EXPECT_FALSE(table.Modifiers().control);
}

TEST(KeyStateTable, SeedClearAndKeysOutOfRange) {
    KeyStateTable table;
    table.Seed(37, vk::Control);
    EXPECT_EQ(table.Apply(38, kA, true).modifiers, Mods(false, true, false));
    EXPECT_NE(table.Apply(37, vk::Control, false).flags & KeyEvent::kPreviousStateBit, 0u);
    table.Seed(50, vk::Shift);
    table.Clear();
    EXPECT_FALSE(table.AnyDown());
    EXPECT_EQ(table.Modifiers(), KeyModifiers{});

    // A key number the table cannot hold is reported, never tracked.
    const KeyEvent odd = table.Apply(300, vk::Shift, true);
    EXPECT_EQ(odd.flags, kRepeat1);
    EXPECT_FALSE(table.AnyDown());
    table.Seed(-1, vk::Shift);
    EXPECT_FALSE(table.AnyDown());
}

namespace {
struct Recorder {
    std::vector<KeyEvent> events;
    KeyCapture::Callback Callback() {
        return [this](const KeyEvent& e) { events.push_back(e); };
    }
};
}  // namespace

TEST(FakeKeyCapture, ReportsOnlyWhileStartedAndSeedsFromHeldKeys) {
    FakeKeyCapture capture;
    Recorder seen;
    capture.Feed("+CONTROL +A -A");  // not started: nothing reported
    EXPECT_TRUE(seen.events.empty());

    ASSERT_TRUE(capture.Start(seen.Callback()));
    EXPECT_TRUE(capture.Started());
    EXPECT_TRUE(capture.HoldsKeyState()) << "Control was held when the capture started";
    capture.Feed("+B");
    ASSERT_EQ(seen.events.size(), 1u);
    EXPECT_EQ(seen.events[0].virtualKey, 'B');
    EXPECT_TRUE(seen.events[0].modifiers.control);

    EXPECT_FALSE(capture.Start(seen.Callback())) << "already started";
    capture.Stop();
    EXPECT_FALSE(capture.HoldsKeyState());
    capture.Feed("-B +C");
    EXPECT_EQ(seen.events.size(), 1u);
    capture.Stop();  // stopping twice is harmless
    EXPECT_EQ(capture.startCount, 1);
}

TEST(FakeKeyCapture, UnavailableCaptureNeverStarts) {
    FakeKeyCapture capture;
    capture.available = false;
    Recorder seen;
    EXPECT_FALSE(capture.Start(seen.Callback()));
    capture.Feed("+A -A");
    EXPECT_TRUE(seen.events.empty());
}

TEST(FakeKeyCapture, RowsNameKeysAndPhysicalKeys) {
    EXPECT_EQ(FakeKeyCapture::VirtualKeyOf("A"), 'A');
    EXPECT_EQ(FakeKeyCapture::VirtualKeyOf("7"), '7');
    EXPECT_EQ(FakeKeyCapture::VirtualKeyOf("NUMPAD0"), vk::Numpad0);
    EXPECT_EQ(FakeKeyCapture::VirtualKeyOf("F1"), vk::F1);
    EXPECT_EQ(FakeKeyCapture::VirtualKeyOf("F24"), vk::F24);
    EXPECT_EQ(FakeKeyCapture::VirtualKeyOf("#123"), 123u);
    for (const char* bad : {"", "a", "F0", "F25", "#", "#x", "NUMPADX", "SHIFTY"})
        EXPECT_THROW(FakeKeyCapture::VirtualKeyOf(bad), std::invalid_argument) << bad;

    FakeKeyCapture capture;
    for (const char* bad : {"A", "+", "*A", "+A@", "+A@x", "+A@256"})
        EXPECT_THROW(capture.Feed(bad), std::invalid_argument) << bad;

    Recorder seen;
    ASSERT_TRUE(capture.Start(seen.Callback()));
    capture.Feed("  +SHIFT@1   +SHIFT@2 -SHIFT@2 +A ");
    ASSERT_EQ(seen.events.size(), 4u);
    EXPECT_TRUE(seen.events[3].modifiers.shift) << "the first Shift key is still held";
}
