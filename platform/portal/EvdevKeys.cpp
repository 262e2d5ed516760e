#include "platform/portal/EvdevKeys.h"

#include "platform/VirtualKeyCodes.h"

#include <string_view>

#include <xkbcommon/xkbcommon.h>

namespace orvexa::platform::portal {

namespace {

// The letter keys from KEY_Q (16) on, row by row, as the codes run.
constexpr std::string_view kTopRow = "QWERTYUIOP";    // 16..25
constexpr std::string_view kMiddleRow = "ASDFGHJKL";  // 30..38
constexpr std::string_view kBottomRow = "ZXCVBNM";    // 44..50

struct Pair {
    std::uint8_t vk;
    int evdev;
};
constexpr Pair kKeys[] = {
    {vk::Back, 14},     {vk::Tab, 15},      {vk::Return, 28},   {vk::Shift, 42},     {vk::LShift, 42},
    {vk::RShift, 54},   {vk::Control, 29},  {vk::LControl, 29}, {vk::RControl, 97},  {vk::Menu, 56},
    {vk::LMenu, 56},    {vk::RMenu, 100},   {vk::Pause, 119},   {vk::Capital, 58},   {vk::Escape, 1},
    {vk::Space, 57},    {vk::Prior, 104},   {vk::Next, 109},    {vk::End, 107},      {vk::Home, 102},
    {vk::Left, 105},    {vk::Up, 103},      {vk::Right, 106},   {vk::Down, 108},     {vk::Snapshot, 99},
    {vk::Insert, 110},  {vk::Delete, 111},  {vk::LWin, 125},    {vk::RWin, 126},     {vk::Apps, 127},
    {vk::Numpad0, 82},  {vk::Numpad1, 79},  {vk::Numpad2, 80},  {vk::Numpad3, 81},   {vk::Numpad4, 75},
    {vk::Numpad5, 76},  {vk::Numpad6, 77},  {vk::Numpad7, 71},  {vk::Numpad8, 72},   {vk::Numpad9, 73},
    {vk::Multiply, 55}, {vk::Add, 78},      {vk::Subtract, 74}, {vk::Decimal, 83},   {vk::Divide, 98},
    {vk::F11, 87},      {vk::F12, 88},      {vk::NumLock, 69},  {vk::Scroll, 70},    {vk::Oem1, 39},
    {vk::OemPlus, 13},  {vk::OemComma, 51}, {vk::OemMinus, 12}, {vk::OemPeriod, 52}, {vk::Oem2, 53},
    {vk::Oem3, 41},     {vk::Oem4, 26},     {vk::Oem5, 43},     {vk::Oem6, 27},      {vk::Oem7, 40},
    {vk::Oem102, 86},
};

// Characters of the United States layout that are not letters or digits:
// the key, and whether Shift is needed.
struct Typed {
    char character;
    std::uint8_t vk;
    bool shift;
};
constexpr Typed kTyped[] = {
    {' ', vk::Space, false},    {'\n', vk::Return, false},  {'\r', vk::Return, false},
    {'\t', vk::Tab, false},     {'\b', vk::Back, false},    {'\x1b', vk::Escape, false},
    {';', vk::Oem1, false},     {':', vk::Oem1, true},      {'=', vk::OemPlus, false},
    {'+', vk::OemPlus, true},   {',', vk::OemComma, false}, {'<', vk::OemComma, true},
    {'-', vk::OemMinus, false}, {'_', vk::OemMinus, true},  {'.', vk::OemPeriod, false},
    {'>', vk::OemPeriod, true}, {'/', vk::Oem2, false},     {'?', vk::Oem2, true},
    {'`', vk::Oem3, false},     {'~', vk::Oem3, true},      {'[', vk::Oem4, false},
    {'{', vk::Oem4, true},      {'\\', vk::Oem5, false},    {'|', vk::Oem5, true},
    {']', vk::Oem6, false},     {'}', vk::Oem6, true},      {'\'', vk::Oem7, false},
    {'"', vk::Oem7, true},      {'!', '1', true},           {'@', '2', true},
    {'#', '3', true},           {'$', '4', true},           {'%', '5', true},
    {'^', '6', true},           {'&', '7', true},           {'*', '8', true},
    {'(', '9', true},           {')', '0', true},
};

}  // namespace

int EvdevKeyOf(std::uint8_t virtualKey) {
    const char c = static_cast<char>(virtualKey);
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        if (const auto i = kTopRow.find(c); i != std::string_view::npos)
            return 16 + static_cast<int>(i);
        if (const auto i = kMiddleRow.find(c); i != std::string_view::npos)
            return 30 + static_cast<int>(i);
        return 44 + static_cast<int>(kBottomRow.find(c));
    }
    if (virtualKey >= '1' && virtualKey <= '9')
        return 2 + (virtualKey - '1');
    if (virtualKey == '0')
        return 11;
    if (virtualKey >= vk::F1 && virtualKey <= vk::F10)
        return 59 + (virtualKey - vk::F1);
    for (const Pair& pair : kKeys)
        if (pair.vk == virtualKey)
            return pair.evdev;
    return 0;
}

int KeysymOf(char32_t character) {
    switch (character) {
    case U'\n':
    case U'\r':
        return 0xff0d;  // Return
    case U'\t':
        return 0xff09;  // Tab
    case U'\b':
        return 0xff08;  // BackSpace
    case U'\x1b':
        return 0xff1b;  // Escape
    default:
        break;
    }
    // The standard keysym where there is one (EuroSign, not U+20AC's
    // 0x10020ac: a compositor types only keysyms its layout has).
    if (const xkb_keysym_t keysym = xkb_utf32_to_keysym(character); keysym != XKB_KEY_NoSymbol)
        return static_cast<int>(keysym);
    return static_cast<int>(0x01000000 + character);
}

std::uint16_t UsVkKeyScan(char32_t character) {
    if (character >= U'a' && character <= U'z')
        return static_cast<std::uint16_t>(character - U'a' + 'A');
    if (character >= U'A' && character <= U'Z')
        return static_cast<std::uint16_t>(0x100 | character);
    if (character >= U'0' && character <= U'9')
        return static_cast<std::uint16_t>(character);
    for (const Typed& typed : kTyped)
        if (static_cast<char32_t>(static_cast<unsigned char>(typed.character)) == character)
            return static_cast<std::uint16_t>((typed.shift ? 0x100 : 0) | typed.vk);
    return 0xFFFF;
}

}  // namespace orvexa::platform::portal
