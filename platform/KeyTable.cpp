#include "platform/KeyTable.h"

#include "platform/VirtualKeyCodes.h"

#include <linux/input-event-codes.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace orvexa::platform::keys {
namespace {

// The keys that are no run of letters, digits, keypad digits or F-keys
// (those are made by rule below): code, keysym, input code, KEY name,
// HOTKEY name, method name, own name.
const Key kNamedKeys[] = {
    {vk::Back, XKB_KEY_BackSpace, KEY_BACKSPACE, "BS", "BACKSPACE", "BS", "BS"},
    {vk::Tab, XKB_KEY_Tab, KEY_TAB, "TAB", "TAB", "TAB", "TAB"},
    {vk::Clear, XKB_KEY_Clear, 0, "", "", "", "CLEAR"},
    {vk::Return, XKB_KEY_Return, KEY_ENTER, "ENTER", "ENTER", "ENTER", "ENTER"},
    {vk::Shift, XKB_KEY_Shift_L, KEY_LEFTSHIFT, "", "", "SHIFT", "SHIFT"},
    {vk::Control, XKB_KEY_Control_L, KEY_LEFTCTRL, "", "", "", "CONTROL"},
    {vk::Menu, XKB_KEY_Alt_L, KEY_LEFTALT, "", "", "ALT", "ALT"},
    {vk::Pause, XKB_KEY_Pause, KEY_PAUSE, "", "PAUSE", "", "PAUSE"},
    {vk::Capital, XKB_KEY_Caps_Lock, KEY_CAPSLOCK, "", "", "", "CAPITAL"},
    {vk::Escape, XKB_KEY_Escape, KEY_ESC, "", "ESC", "ESC", "ESCAPE"},
    {vk::Space, XKB_KEY_space, KEY_SPACE, "SPACE", "SPACE", "SPACE", "SPACE"},
    {vk::Prior, XKB_KEY_Prior, KEY_PAGEUP, "", "PAGEUP", "", "PAGEUP"},
    {vk::Next, XKB_KEY_Next, KEY_PAGEDOWN, "", "PAGEDOWN", "", "PAGEDOWN"},
    {vk::End, XKB_KEY_End, KEY_END, "", "END", "", "END"},
    {vk::Home, XKB_KEY_Home, KEY_HOME, "", "HOME", "", "HOME"},
    {vk::Left, XKB_KEY_Left, KEY_LEFT, "", "LEFT", "LEFT", "LEFT"},
    {vk::Up, XKB_KEY_Up, KEY_UP, "", "UP", "UP", "UP"},
    {vk::Right, XKB_KEY_Right, KEY_RIGHT, "", "RIGHT", "RIGHT", "RIGHT"},
    {vk::Down, XKB_KEY_Down, KEY_DOWN, "", "DOWN", "DOWN", "DOWN"},
    {vk::Select, XKB_KEY_Select, 0, "", "", "", "SELECT"},
    {vk::Execute, XKB_KEY_Execute, 0, "", "", "", "EXECUTE"},
    {vk::Snapshot, XKB_KEY_Print, KEY_SYSRQ, "", "PRINT", "", "PRINT"},
    {vk::Insert, XKB_KEY_Insert, KEY_INSERT, "", "INSERT", "", "INSERT"},
    {vk::Delete, XKB_KEY_Delete, KEY_DELETE, "", "DELETE", "", "DELETE"},
    {vk::Help, XKB_KEY_Help, 0, "", "", "", "HELP"},
    {vk::LWin, XKB_KEY_Super_L, KEY_LEFTMETA, "", "", "", "LWIN"},
    {vk::RWin, XKB_KEY_Super_R, KEY_RIGHTMETA, "", "", "", "RWIN"},
    {vk::Apps, XKB_KEY_Menu, KEY_COMPOSE, "", "", "", "APPS"},
    {vk::Multiply, XKB_KEY_KP_Multiply, KEY_KPASTERISK, "j", "NUMPAD*", "", "MULTIPLY"},
    {vk::Add, XKB_KEY_KP_Add, KEY_KPPLUS, "k", "NUMPAD+", "", "ADD"},
    {vk::Separator, XKB_KEY_KP_Separator, 0, "l", "", "", "SEPARATOR"},
    {vk::Subtract, XKB_KEY_KP_Subtract, KEY_KPMINUS, "m", "NUMPAD-", "", "SUBTRACT"},
    {vk::Decimal, XKB_KEY_KP_Decimal, KEY_KPDOT, "n", "NUMPAD.", "", "DECIMAL"},
    {vk::Divide, XKB_KEY_KP_Divide, KEY_KPSLASH, "o", "NUMPAD/", "", "DIVIDE"},
    {vk::NumLock, XKB_KEY_Num_Lock, KEY_NUMLOCK, "", "", "", "NUMLOCK"},
    {vk::Scroll, XKB_KEY_Scroll_Lock, KEY_SCROLLLOCK, "", "", "", "SCROLL"},
    {vk::LShift, XKB_KEY_Shift_L, KEY_LEFTSHIFT, "", "", "", "LSHIFT", true},
    {vk::RShift, XKB_KEY_Shift_R, KEY_RIGHTSHIFT, "", "", "", "RSHIFT", true},
    {vk::LControl, XKB_KEY_Control_L, KEY_LEFTCTRL, "", "", "", "LCONTROL", true},
    {vk::RControl, XKB_KEY_Control_R, KEY_RIGHTCTRL, "", "", "", "RCONTROL", true},
    {vk::LMenu, XKB_KEY_Alt_L, KEY_LEFTALT, "", "", "", "LALT", true},
    {vk::RMenu, XKB_KEY_Alt_R, KEY_RIGHTALT, "", "", "", "RALT", true},
    {vk::Oem1, XKB_KEY_semicolon, KEY_SEMICOLON, "", "", "", "OEM1"},
    {vk::OemPlus, XKB_KEY_equal, KEY_EQUAL, "", "", "", "OEMPLUS"},
    {vk::OemComma, XKB_KEY_comma, KEY_COMMA, "", "", "", "OEMCOMMA"},
    {vk::OemMinus, XKB_KEY_minus, KEY_MINUS, "", "", "", "OEMMINUS"},
    {vk::OemPeriod, XKB_KEY_period, KEY_DOT, "", "", "", "OEMPERIOD"},
    {vk::Oem2, XKB_KEY_slash, KEY_SLASH, "", "", "", "OEM2"},
    {vk::Oem3, XKB_KEY_grave, KEY_GRAVE, "", "", "", "OEM3"},
    {vk::Oem4, XKB_KEY_bracketleft, KEY_LEFTBRACE, "", "", "", "OEM4"},
    {vk::Oem5, XKB_KEY_backslash, KEY_BACKSLASH, "", "", "", "OEM5"},
    {vk::Oem6, XKB_KEY_bracketright, KEY_RIGHTBRACE, "", "", "", "OEM6"},
    {vk::Oem7, XKB_KEY_apostrophe, KEY_APOSTROPHE, "", "", "", "OEM7"},
    {vk::Oem102, XKB_KEY_less, KEY_102ND, "", "", "", "OEM102"},
};

constexpr int kLetterCodes[] = {KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I,
                                KEY_J, KEY_K, KEY_L, KEY_M, KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R,
                                KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};
constexpr int kDigitCodes[] = {KEY_0, KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6, KEY_7, KEY_8, KEY_9};
constexpr int kKeypadDigitCodes[] = {KEY_KP0, KEY_KP1, KEY_KP2, KEY_KP3, KEY_KP4,
                                     KEY_KP5, KEY_KP6, KEY_KP7, KEY_KP8, KEY_KP9};
// F13..F24 have none: the standard keymaps give their input codes launcher
// keysyms (XF86Tools...), so pressing them would not press F13.
constexpr int kFunctionKeyCodes[] = {KEY_F1, KEY_F2, KEY_F3, KEY_F4,  KEY_F5,  KEY_F6,
                                     KEY_F7, KEY_F8, KEY_F9, KEY_F10, KEY_F11, KEY_F12};
constexpr int kMethodFunctionKeys = 12;    // KeyDown names F1..F12
constexpr int kKeyNamedFunctionKeys = 11;  // KEY names "p".."z"

// Other spellings of HOTKEY base names.
struct Alias {
    std::string_view name;
    std::uint8_t virtualKey;
};
constexpr Alias kHotkeyAliases[] = {
    {"BS", vk::Back},    {"ESCAPE", vk::Escape}, {"RETURN", vk::Return}, {"INS", vk::Insert},
    {"DEL", vk::Delete}, {"PGUP", vk::Prior},    {"PGDN", vk::Next},
};
constexpr Alias kMethodAliases[] = {{"ESCAPE", vk::Escape}};

// Keysyms of other keys that read back as a generic key's code.
struct KeysymAlias {
    std::uint32_t keysym;
    std::uint8_t virtualKey;
};
constexpr KeysymAlias kKeysymAliases[] = {
    {XKB_KEY_Shift_R, vk::Shift},   {XKB_KEY_Control_R, vk::Control}, {XKB_KEY_Alt_R, vk::Menu},
    {XKB_KEY_Meta_L, vk::Menu},     {XKB_KEY_Meta_R, vk::Menu},       {XKB_KEY_ISO_Left_Tab, vk::Tab},
    {XKB_KEY_KP_Enter, vk::Return}, {XKB_KEY_KP_Home, vk::Home},      {XKB_KEY_KP_Left, vk::Left},
    {XKB_KEY_KP_Up, vk::Up},        {XKB_KEY_KP_Right, vk::Right},    {XKB_KEY_KP_Down, vk::Down},
    {XKB_KEY_KP_Prior, vk::Prior},  {XKB_KEY_KP_Next, vk::Next},      {XKB_KEY_KP_End, vk::End},
    {XKB_KEY_KP_Begin, vk::Clear},  {XKB_KEY_KP_Insert, vk::Insert},  {XKB_KEY_KP_Delete, vk::Delete},
};

// The characters of the United States layout that are not letters or
// digits: the key, and whether Shift is needed.
struct Typed {
    char32_t character;
    std::uint8_t virtualKey;
    bool shift;
};
constexpr Typed kTyped[] = {
    {U' ', vk::Space, false},    {U'\n', vk::Return, false},  {U'\r', vk::Return, false},
    {U'\t', vk::Tab, false},     {U'\b', vk::Back, false},    {U'\x1b', vk::Escape, false},
    {U';', vk::Oem1, false},     {U':', vk::Oem1, true},      {U'=', vk::OemPlus, false},
    {U'+', vk::OemPlus, true},   {U',', vk::OemComma, false}, {U'<', vk::OemComma, true},
    {U'-', vk::OemMinus, false}, {U'_', vk::OemMinus, true},  {U'.', vk::OemPeriod, false},
    {U'>', vk::OemPeriod, true}, {U'/', vk::Oem2, false},     {U'?', vk::Oem2, true},
    {U'`', vk::Oem3, false},     {U'~', vk::Oem3, true},      {U'[', vk::Oem4, false},
    {U'{', vk::Oem4, true},      {U'\\', vk::Oem5, false},    {U'|', vk::Oem5, true},
    {U']', vk::Oem6, false},     {U'}', vk::Oem6, true},      {U'\'', vk::Oem7, false},
    {U'"', vk::Oem7, true},      {U'!', '1', true},           {U'@', '2', true},
    {U'#', '3', true},           {U'$', '4', true},           {U'%', '5', true},
    {U'^', '6', true},           {U'&', '7', true},           {U'*', '8', true},
    {U'(', '9', true},           {U')', '0', true},
};

// The table, made once: the named keys and the runs, in the order of their
// codes, with the texts of the runs' names kept beside it.
struct Table {
    std::vector<Key> keys;
    std::vector<std::string> texts;

    Table() {
        constexpr std::size_t kRuns = 26 + 10 + 10 + 24;
        // Reserved up front: the names' views point into these strings.
        texts.reserve(kRuns * 2);
        const auto text = [this](std::string value) -> std::string_view {
            return texts.emplace_back(std::move(value));
        };
        keys.assign(std::begin(kNamedKeys), std::end(kNamedKeys));
        for (int i = 0; i < 26; ++i) {
            const std::string_view name = text(std::string(1, static_cast<char>('A' + i)));
            keys.push_back({static_cast<std::uint8_t>('A' + i), static_cast<std::uint32_t>(XKB_KEY_a + i),
                            kLetterCodes[i], name, name, "", ""});
        }
        for (int i = 0; i < 10; ++i) {
            const std::string_view name = text(std::string(1, static_cast<char>('0' + i)));
            keys.push_back({static_cast<std::uint8_t>('0' + i), static_cast<std::uint32_t>(XKB_KEY_0 + i),
                            kDigitCodes[i], name, name, "", ""});
        }
        for (int i = 0; i < 10; ++i) {
            const auto code = static_cast<std::uint8_t>(vk::Numpad0 + i);
            // Keypad 1..9 are "a".."i" as KEY names; keypad 0's code is "`".
            const std::string_view keyName =
                i == 0 ? std::string_view() : text(std::string(1, static_cast<char>(code)));
            keys.push_back({code, static_cast<std::uint32_t>(XKB_KEY_KP_0 + i), kKeypadDigitCodes[i], keyName,
                            text("NUMPAD" + std::to_string(i)), "", ""});
        }
        for (int i = 0; i < 24; ++i) {
            const auto code = static_cast<std::uint8_t>(vk::F1 + i);
            const std::string_view name = text("F" + std::to_string(i + 1));
            const std::string_view keyName =
                i < kKeyNamedFunctionKeys ? text(std::string(1, static_cast<char>(code))) : std::string_view();
            const int evdev = i < static_cast<int>(std::size(kFunctionKeyCodes)) ? kFunctionKeyCodes[i] : 0;
            keys.push_back({code, static_cast<std::uint32_t>(XKB_KEY_F1 + i), evdev, keyName, name,
                            i < kMethodFunctionKeys ? name : std::string_view(), ""});
        }
        std::stable_sort(keys.begin(), keys.end(),
                         [](const Key& a, const Key& b) { return a.virtualKey < b.virtualKey; });
    }
};

const Table& TheTable() {
    static const Table table;
    return table;
}

template <typename Field>
const Key* Find(std::string_view name, Field field) {
    if (name.empty())
        return nullptr;
    for (const Key& key : All())
        if (key.*field == name)
            return &key;
    return nullptr;
}

const Key* FindAlias(std::span<const Alias> aliases, std::string_view name) {
    for (const Alias& alias : aliases)
        if (alias.name == name)
            return ByCode(alias.virtualKey);
    return nullptr;
}

}  // namespace

std::span<const Key> All() { return TheTable().keys; }

const Key* ByCode(std::uint32_t virtualKey) {
    const std::span<const Key> keys = All();
    const auto found = std::lower_bound(keys.begin(), keys.end(), virtualKey,
                                        [](const Key& key, std::uint32_t code) { return key.virtualKey < code; });
    return found != keys.end() && found->virtualKey == virtualKey ? &*found : nullptr;
}

const Key* ByHotkeyName(std::string_view name) {
    if (const Key* key = Find(name, &Key::hotkeyName))
        return key;
    return FindAlias(kHotkeyAliases, name);
}

const Key* ByMethodName(std::string_view name) {
    if (const Key* key = Find(name, &Key::methodName))
        return key;
    return FindAlias(kMethodAliases, name);
}

const Key* ByOwnName(std::string_view name) {
    if (const Key* key = ByHotkeyName(name))
        return key;
    return Find(name, &Key::ownName);
}

int VirtualKeyOfKeysym(std::uint32_t keysym) {
    if (keysym == 0)
        return 0;
    if (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z)
        keysym += XKB_KEY_a - XKB_KEY_A;
    for (const Key& key : All())
        if (key.keysym == keysym && !key.pressOnly)
            return key.virtualKey;
    for (const KeysymAlias& alias : kKeysymAliases)
        if (alias.keysym == keysym)
            return alias.virtualKey;
    return 0;
}

std::optional<KeyNameParts> ParseKeyName(std::string_view name) {
    KeyNameParts parts;
    const std::pair<std::string_view, bool KeyNameParts::*> prefixes[] = {
        {"CONTROL-", &KeyNameParts::control}, {"ALT-", &KeyNameParts::alt}, {"SHIFT-", &KeyNameParts::shift}};
    for (const auto& [prefix, flag] : prefixes) {
        if (name.starts_with(prefix)) {
            parts.*flag = true;
            name.remove_prefix(prefix.size());
        }
    }
    const Key* key = Find(name, &Key::keyName);
    if (!key)
        return std::nullopt;
    parts.virtualKey = key->virtualKey;
    return parts;
}

std::uint16_t UsVkKeyScan(char32_t character) {
    constexpr std::uint16_t kShift = 0x100;
    if (character >= U'a' && character <= U'z')
        return static_cast<std::uint16_t>(character - U'a' + 'A');
    if (character >= U'A' && character <= U'Z')
        return static_cast<std::uint16_t>(kShift | character);
    if (character >= U'0' && character <= U'9')
        return static_cast<std::uint16_t>(character);
    for (const Typed& typed : kTyped)
        if (typed.character == character)
            return static_cast<std::uint16_t>((typed.shift ? kShift : 0) | typed.virtualKey);
    return 0xFFFF;
}

}  // namespace orvexa::platform::keys
