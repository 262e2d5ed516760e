#include "binds/KeyNames.h"

#include "platform/VirtualKeyCodes.h"

namespace orvexa {
namespace {

// Each prefix goes in front of what is there: Shift first, Control last.
void Prefix(QString& name, bool down, const char* modifier) {
    if (!down)
        return;
    const QString word = QLatin1String(modifier);
    name = name.isEmpty() ? word : word + u'-' + name;
}

}  // namespace

QString KeyBaseName(std::uint32_t virtualKey) {
    switch (virtualKey) {
    case vk::Back:
        return QStringLiteral("BS");
    case vk::Tab:
        return QStringLiteral("TAB");
    case vk::Return:
        return QStringLiteral("ENTER");
    case vk::Space:
        return QStringLiteral("SPACE");
    default:
        break;
    }
    // Digits, letters, and 97..122 (keypad 1..9, the keypad operators and
    // F1..F11) are named by the character that has the key's code.
    const bool digit = virtualKey >= '0' && virtualKey <= '9';
    const bool letter = virtualKey >= 'A' && virtualKey <= 'Z';
    const bool lowerRange = virtualKey >= vk::Numpad1 && virtualKey <= vk::F11;
    if (digit || letter || lowerRange)
        return QString(QChar(static_cast<char16_t>(virtualKey)));
    return QString();
}

QString KeyName(std::uint32_t virtualKey, const platform::KeyModifiers& down) {
    QString name = KeyBaseName(virtualKey);
    Prefix(name, down.shift, "SHIFT");
    Prefix(name, down.alt, "ALT");
    Prefix(name, down.control, "CONTROL");
    return name;
}

}  // namespace orvexa
