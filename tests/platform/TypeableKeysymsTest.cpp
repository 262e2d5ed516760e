// The keysyms a compositor can type from a keyboard map, by the maps of
// real layouts (xkeyboard-config's) in the text form a compositor sends.
#include "platform/wayland/TypeableKeysyms.h"

#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <string>

using orvexa::platform::wayland::TypeableKeysyms;

namespace {

// The map of `layout` as text, with the NUL a Wayland keymap ends with.
std::string KeymapText(const char* layout) {
    const std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context(
        xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES), xkb_context_unref);
    const xkb_rule_names names{"evdev", "pc105", layout, "", ""};
    const std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS), xkb_keymap_unref);
    if (!keymap)
        return {};
    const std::unique_ptr<char, decltype(&free)> text(xkb_keymap_get_as_string(keymap.get(), XKB_KEYMAP_FORMAT_TEXT_V1),
                                                      free);
    return std::string(text.get()) + '\0';
}

struct Case {
    const char* layout;
    const char* keysym;
    bool typeable;
};

TEST(TypeableKeysyms, WhatALayoutTypesOnItsFirstThreeLevels) {
    const Case cases[] = {
        {"us", "a", true},
        {"us", "A", true},
        {"us", "at", true},
        {"us", "Return", true},
        {"us", "EuroSign", true},  // a key of its own in the evdev rules
        {"us", "udiaeresis", false},
        {"us", "ssharp", false},
        {"us", "U2603", false},  // the snowman: no layout has it
        {"de", "udiaeresis", true},
        {"de", "ssharp", true},
        {"de", "at", true},             // AltGr: the third level
        {"de", "EuroSign", true},       // AltGr
        {"de", "Greek_OMEGA", false},   // Shift and AltGr: a compositor types the key's first level instead
        {"us,de", "udiaeresis", true},  // the layout in use is not known: any of them
        {"us,de", "a", true},
        {"us,de", "U2603", false},
    };
    for (const Case& c : cases) {
        const std::string text = KeymapText(c.layout);
        ASSERT_FALSE(text.empty()) << c.layout;
        const std::optional<TypeableKeysyms> typeable = TypeableKeysyms::FromKeymapText(text);
        ASSERT_TRUE(typeable) << c.layout;
        EXPECT_EQ(typeable->Layouts(), std::string(c.layout).find(',') == std::string::npos ? 1u : 2u);
        EXPECT_EQ(typeable->Types(xkb_keysym_from_name(c.keysym, XKB_KEYSYM_NO_FLAGS)), c.typeable)
            << c.layout << " " << c.keysym;
    }
}

TEST(TypeableKeysyms, KdesPortalLooksInTheFirstLayoutOnly) {
    const std::optional<TypeableKeysyms> typeable = TypeableKeysyms::FromKeymapText(KeymapText("us,de"));
    ASSERT_TRUE(typeable);
    const xkb_keysym_t udiaeresis = xkb_keysym_from_name("udiaeresis", XKB_KEYSYM_NO_FLAGS);
    EXPECT_TRUE(typeable->Types(udiaeresis, TypeableKeysyms::Layout::InUse));
    EXPECT_FALSE(typeable->Types(udiaeresis, TypeableKeysyms::Layout::First));
    EXPECT_TRUE(typeable->Types('a', TypeableKeysyms::Layout::First));
}

TEST(TypeableKeysyms, TextThatIsNoKeymapGivesNothing) {
    EXPECT_FALSE(TypeableKeysyms::FromKeymapText("xkb_keymap { nonsense"));
    EXPECT_FALSE(TypeableKeysyms::FromKeymapText(std::string_view("\0", 1)));
}

}  // namespace
