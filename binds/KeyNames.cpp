#include "binds/KeyNames.h"

namespace orvexa {
namespace {

constexpr std::uint32_t kBack = 8;
constexpr std::uint32_t kTab = 9;
constexpr std::uint32_t kReturn = 13;
constexpr std::uint32_t kSpace = 32;
constexpr std::uint32_t kNumpad1 = 97;
constexpr std::uint32_t kF11 = 122;

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
    case kBack:
        return QStringLiteral("BS");
    case kTab:
        return QStringLiteral("TAB");
    case kReturn:
        return QStringLiteral("ENTER");
    case kSpace:
        return QStringLiteral("SPACE");
    default:
        break;
    }
    // Digits, letters, and 97..122 (keypad 1..9, the keypad operators and
    // F1..F11) are named by the character that has the key's code.
    const bool digit = virtualKey >= '0' && virtualKey <= '9';
    const bool letter = virtualKey >= 'A' && virtualKey <= 'Z';
    const bool lowerRange = virtualKey >= kNumpad1 && virtualKey <= kF11;
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
