// The key table against libxkbcommon's own United States keymap: each key's
// input code is the key that types its keysym, each character the table
// types is typed by that key at that level, and each vocabulary's names read
// back as their key.
#include "platform/KeyTable.h"

#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <set>
#include <string>

using namespace orvexa::platform;

namespace {

// The evdev keycode offset of X and xkbcommon keymaps.
constexpr int kEvdevOffset = 8;

struct UsKeymap {
    std::unique_ptr<xkb_context, void (*)(xkb_context*)> context{xkb_context_new(XKB_CONTEXT_NO_FLAGS),
                                                                 &xkb_context_unref};
    std::unique_ptr<xkb_keymap, void (*)(xkb_keymap*)> keymap{nullptr, &xkb_keymap_unref};

    UsKeymap() {
        const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
        keymap.reset(xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    }

    // The keysym the key of an input code types at a level of the first group.
    xkb_keysym_t At(int evdev, int level) const {
        const xkb_keysym_t* syms = nullptr;
        const int count =
            xkb_keymap_key_get_syms_by_level(keymap.get(), static_cast<xkb_keycode_t>(evdev + kEvdevOffset), 0,
                                             static_cast<xkb_level_index_t>(level), &syms);
        return count > 0 ? syms[0] : XKB_KEY_NoSymbol;
    }
};

}  // namespace

TEST(KeyTable, InputCodesAreTheKeysThatTypeTheKeysymsOnAUnitedStatesKeyboard) {
    const UsKeymap us;
    ASSERT_TRUE(us.keymap);
    int checked = 0;
    for (const keys::Key& key : keys::All()) {
        if (key.evdev == 0 || key.keysym == 0)
            continue;
        // Both levels: the keypad's digits type their keysym with Num Lock.
        const bool types = us.At(key.evdev, 0) == key.keysym || us.At(key.evdev, 1) == key.keysym;
        EXPECT_TRUE(types) << "code 0x" << std::hex << int(key.virtualKey) << ": input code " << std::dec << key.evdev
                           << " types 0x" << std::hex << us.At(key.evdev, 0);
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

TEST(KeyTable, EveryCharacterTypedOnTheUnitedStatesLayoutIsTypedByItsKeyAtItsLevel) {
    const UsKeymap us;
    ASSERT_TRUE(us.keymap);
    for (char32_t c = U' '; c < U'\x7f'; ++c) {
        const std::uint16_t scan = keys::UsVkKeyScan(c);
        ASSERT_NE(scan, 0xFFFF) << char(c);
        const keys::Key* key = keys::ByCode(scan & 0xFF);
        ASSERT_NE(key, nullptr) << char(c);
        EXPECT_EQ(us.At(key->evdev, (scan & 0x100) ? 1 : 0), xkb_utf32_to_keysym(c)) << char(c);
    }
    EXPECT_EQ(keys::UsVkKeyScan(U'é'), 0xFFFF);
}

TEST(KeyTable, EachVocabularyNamesEachKeyOnceAndReadsBackAsIt) {
    std::set<std::string> keyNames, hotkeyNames, methodNames, ownNames;
    for (const keys::Key& key : keys::All()) {
        EXPECT_EQ(keys::ByCode(key.virtualKey), &key);
        if (!key.keyName.empty()) {
            EXPECT_TRUE(keyNames.insert(std::string(key.keyName)).second) << key.keyName;
            const auto parts = keys::ParseKeyName("CONTROL-ALT-SHIFT-" + std::string(key.keyName));
            ASSERT_TRUE(parts) << key.keyName;
            EXPECT_EQ(parts->virtualKey, key.virtualKey);
            EXPECT_TRUE(parts->control && parts->alt && parts->shift);
        }
        if (!key.hotkeyName.empty()) {
            EXPECT_TRUE(hotkeyNames.insert(std::string(key.hotkeyName)).second) << key.hotkeyName;
            EXPECT_EQ(keys::ByHotkeyName(key.hotkeyName), &key);
        }
        if (!key.methodName.empty()) {
            EXPECT_TRUE(methodNames.insert(std::string(key.methodName)).second) << key.methodName;
            EXPECT_EQ(keys::ByMethodName(key.methodName), &key);
        }
        if (!key.ownName.empty()) {
            EXPECT_TRUE(ownNames.insert(std::string(key.ownName)).second) << key.ownName;
        }
        EXPECT_TRUE(!key.hotkeyName.empty() || !key.ownName.empty()) << int(key.virtualKey);
        EXPECT_EQ(keys::ByOwnName(key.hotkeyName.empty() ? key.ownName : key.hotkeyName), &key);
    }
    // The names the bind writers and scripts know, each in its vocabulary.
    EXPECT_EQ(keyNames.size(), 4u + 10u + 26u + 26u);  // BS TAB ENTER SPACE, digits, letters, "a".."z"
    EXPECT_EQ(hotkeyNames.size(), 26u + 10u + 24u + 10u + 5u + 17u);
    EXPECT_EQ(keys::ByHotkeyName("PGDN"), keys::ByHotkeyName("PAGEDOWN"));
    EXPECT_EQ(keys::ByMethodName("ESCAPE"), keys::ByMethodName("ESC"));
    EXPECT_FALSE(keys::ParseKeyName("SHIFT-CONTROL-A"));
    EXPECT_FALSE(keys::ParseKeyName("CONTROL-"));
}

TEST(KeyTable, KeysymsReadBackAsTheGenericKey) {
    const struct {
        std::uint32_t keysym;
        int virtualKey;
    } cases[] = {
        {XKB_KEY_a, 'A'},          {XKB_KEY_A, 'A'},          {XKB_KEY_Shift_L, 0x10}, {XKB_KEY_Shift_R, 0x10},
        {XKB_KEY_Control_R, 0x11}, {XKB_KEY_KP_Enter, 0x0D},  {XKB_KEY_KP_Home, 0x24}, {XKB_KEY_F24, 0x87},
        {XKB_KEY_KP_7, 0x67},      {XKB_KEY_ISO_Left_Tab, 9}, {XKB_KEY_EuroSign, 0},   {0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keys::VirtualKeyOfKeysym(c.keysym), c.virtualKey) << std::hex << c.keysym;
}
