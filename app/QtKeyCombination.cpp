#include "app/QtKeyCombination.h"

#include "platform/KeyTable.h"
#include "platform/VirtualKeyCodes.h"

#include <QHash>

namespace orvexa {
namespace {

// Keys whose code is the same wherever they are.
const QHash<int, std::uint32_t>& NamedKeys() {
    static const QHash<int, std::uint32_t> keys{
        {Qt::Key_Escape, vk::Escape},   {Qt::Key_Tab, vk::Tab},         {Qt::Key_Backtab, vk::Tab},
        {Qt::Key_Return, vk::Return},   {Qt::Key_Enter, vk::Return},    {Qt::Key_Space, vk::Space},
        {Qt::Key_Backspace, vk::Back},  {Qt::Key_Insert, vk::Insert},   {Qt::Key_Delete, vk::Delete},
        {Qt::Key_Home, vk::Home},       {Qt::Key_End, vk::End},         {Qt::Key_PageUp, vk::Prior},
        {Qt::Key_PageDown, vk::Next},   {Qt::Key_Up, vk::Up},           {Qt::Key_Down, vk::Down},
        {Qt::Key_Left, vk::Left},       {Qt::Key_Right, vk::Right},     {Qt::Key_Pause, vk::Pause},
        {Qt::Key_Print, vk::Snapshot},  {Qt::Key_SysReq, vk::Snapshot}, {Qt::Key_Shift, vk::Shift},
        {Qt::Key_Control, vk::Control}, {Qt::Key_Alt, vk::Menu},        {Qt::Key_AltGr, vk::Menu},
        {Qt::Key_Meta, vk::LWin},       {Qt::Key_Super_L, vk::LWin},    {Qt::Key_Super_R, vk::RWin},
        {Qt::Key_Menu, vk::Apps},       {Qt::Key_CapsLock, vk::Capital}};
    return keys;
}

// The keypad's operators, with Qt::KeypadModifier.
const QHash<int, std::uint32_t>& KeypadKeys() {
    static const QHash<int, std::uint32_t> keys{{Qt::Key_Plus, vk::Add},          {Qt::Key_Minus, vk::Subtract},
                                                {Qt::Key_Asterisk, vk::Multiply}, {Qt::Key_Slash, vk::Divide},
                                                {Qt::Key_Period, vk::Decimal},    {Qt::Key_Comma, vk::Decimal}};
    return keys;
}

std::optional<std::uint32_t> VirtualKeyOf(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return vk::Numpad0 + static_cast<std::uint32_t>(key - Qt::Key_0);
        if (const auto found = KeypadKeys().constFind(key); found != KeypadKeys().cend())
            return *found;
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<std::uint32_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return vk::F1 + static_cast<std::uint32_t>(key - Qt::Key_F1);
    if (const auto found = NamedKeys().constFind(key); found != NamedKeys().cend())
        return *found;
    // Qt names the symbol Shift typed ("!"); the digit key that types it
    // with Shift on the United States layout is the combination's key.
    if (modifiers.testFlag(Qt::ShiftModifier) && key > 0 && key < 0x7F) {
        const std::uint16_t scan = platform::keys::UsVkKeyScan(static_cast<char32_t>(key));
        const auto code = static_cast<std::uint32_t>(scan & 0xFF);
        if ((scan & 0x100) != 0 && code >= '0' && code <= '9')
            return code;
    }
    return std::nullopt;
}

}  // namespace

bool IsModifierKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

std::optional<platform::KeyCombination> KeyCombinationOf(int qtKey, Qt::KeyboardModifiers modifiers) {
    const std::optional<std::uint32_t> virtualKey = VirtualKeyOf(qtKey, modifiers);
    if (!virtualKey)
        return std::nullopt;
    platform::KeyCombination combination{*virtualKey, {}};
    platform::KeyModifiers& held = combination.modifiers;
    held.shift = modifiers.testFlag(Qt::ShiftModifier) || qtKey == Qt::Key_Shift;
    held.control = modifiers.testFlag(Qt::ControlModifier) || qtKey == Qt::Key_Control;
    held.alt = modifiers.testFlag(Qt::AltModifier) || qtKey == Qt::Key_Alt;
    held.super = modifiers.testFlag(Qt::MetaModifier) || qtKey == Qt::Key_Meta || qtKey == Qt::Key_Super_L ||
                 qtKey == Qt::Key_Super_R;
    return combination;
}

}  // namespace orvexa
