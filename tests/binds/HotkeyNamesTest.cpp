// HOTKEY names: the grammar people write key combinations in, read into a
// key and its modifiers, and written back the one way.
#include "binds/HotkeyNames.h"
#include "platform/VirtualKeyCodes.h"

#include <gtest/gtest.h>

using namespace orvexa;
using platform::KeyCombination;

namespace {
constexpr bool kCtrl = true;
constexpr bool kAlt = true;
constexpr bool kShift = true;
constexpr bool kSuper = true;

KeyCombination Combination(std::uint32_t key, bool control = false, bool alt = false, bool shift = false,
                           bool super = false) {
    KeyCombination combination;
    combination.virtualKey = key;
    combination.modifiers.control = control;
    combination.modifiers.alt = alt;
    combination.modifiers.shift = shift;
    combination.modifiers.super = super;
    return combination;
}
}  // namespace

TEST(HotkeyName, TheGrammarReadsWhatPeopleWrite) {
    const struct {
        const char* written;
        KeyCombination combination;
        const char* name;
    } table[] = {
        {"CTRL+SHIFT+S", Combination('S', kCtrl, false, kShift), "CTRL+SHIFT+S"},
        // Any order, either joiner, either spelling, any case, blanks.
        {"shift-control-s", Combination('S', kCtrl, false, kShift), "CTRL+SHIFT+S"},
        {"Alt + Ctrl - Del", Combination(vk::Delete, kCtrl, kAlt), "CTRL+ALT+DELETE"},
        {"win+e", Combination('E', false, false, false, kSuper), "SUPER+E"},
        {"SUPER-ALT-SHIFT-CTRL-9", Combination('9', kCtrl, kAlt, kShift, kSuper), "CTRL+ALT+SHIFT+SUPER+9"},
        {"a", Combination('A'), "A"},
        // Every named key.
        {"F1", Combination(vk::F1), "F1"},
        {"ctrl+f24", Combination(vk::F24, kCtrl), "CTRL+F24"},
        {"esc", Combination(vk::Escape), "ESC"},
        {"Escape", Combination(vk::Escape), "ESC"},
        {"TAB", Combination(vk::Tab), "TAB"},
        {"return", Combination(vk::Return), "ENTER"},
        {"SPACE", Combination(vk::Space), "SPACE"},
        {"BS", Combination(vk::Back), "BACKSPACE"},
        {"INS", Combination(vk::Insert), "INSERT"},
        {"HOME", Combination(vk::Home), "HOME"},
        {"END", Combination(vk::End), "END"},
        {"PGUP", Combination(vk::Prior), "PAGEUP"},
        {"PageDown", Combination(vk::Next), "PAGEDOWN"},
        {"UP", Combination(vk::Up), "UP"},
        {"DOWN", Combination(vk::Down), "DOWN"},
        {"LEFT", Combination(vk::Left), "LEFT"},
        {"RIGHT", Combination(vk::Right), "RIGHT"},
        {"PAUSE", Combination(vk::Pause), "PAUSE"},
        {"PRINT", Combination(vk::Snapshot), "PRINT"},
        {"NUMPAD0", Combination(vk::Numpad0), "NUMPAD0"},
        {"numpad7", Combination(vk::Numpad7), "NUMPAD7"},
        // The keypad's operators, the joiners among them.
        {"CTRL-NUMPAD-", Combination(vk::Subtract, kCtrl), "CTRL+NUMPAD-"},
        {"CTRL+NUMPAD+", Combination(vk::Add, kCtrl), "CTRL+NUMPAD+"},
        {"NUMPAD*", Combination(vk::Multiply), "NUMPAD*"},
        {"NUMPAD/", Combination(vk::Divide), "NUMPAD/"},
        {"NUMPAD.", Combination(vk::Decimal), "NUMPAD."},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.written);
        const std::optional<KeyCombination> read = ParseHotkeyName(QString::fromUtf8(row.written));
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, row.combination);
        EXPECT_EQ(HotkeyName(*read), QString::fromUtf8(row.name));
        EXPECT_EQ(ParseHotkeyName(HotkeyName(*read)), read) << "the name written back reads the same";
    }
}

TEST(HotkeyName, NoCombinationWithoutABaseKeyOrWithAModifierTwice) {
    for (const char* written : {"", "CTRL", "CTRL+SHIFT", "CTRL+", "CTRL++", "+A", "CTRL+CONTROL+A", "SHIFT-SHIFT-A",
                                "F0", "F25", "F01", "NUMPAD10", "NUMPAD", "HYPER+A", "CTRL+AB", "CTRL+A+B", "p+"})
        EXPECT_FALSE(ParseHotkeyName(QString::fromUtf8(written)).has_value()) << written;
}
