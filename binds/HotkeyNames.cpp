#include "binds/HotkeyNames.h"

#include "platform/VirtualKeyCodes.h"

#include <QStringList>

namespace orvexa {
namespace {

struct Base {
    const char* name;
    std::uint32_t virtualKey;
};

// The named keys; a key's first name is the one HotkeyName writes. The
// letters, digits and F-keys are read by rule.
constexpr Base kBases[] = {
    {"ESC", vk::Escape},     {"ESCAPE", vk::Escape},    {"TAB", vk::Tab},
    {"ENTER", vk::Return},   {"RETURN", vk::Return},    {"SPACE", vk::Space},
    {"BACKSPACE", vk::Back}, {"BS", vk::Back},          {"INSERT", vk::Insert},
    {"INS", vk::Insert},     {"DELETE", vk::Delete},    {"DEL", vk::Delete},
    {"HOME", vk::Home},      {"END", vk::End},          {"PAGEUP", vk::Prior},
    {"PGUP", vk::Prior},     {"PAGEDOWN", vk::Next},    {"PGDN", vk::Next},
    {"UP", vk::Up},          {"DOWN", vk::Down},        {"LEFT", vk::Left},
    {"RIGHT", vk::Right},    {"PAUSE", vk::Pause},      {"PRINT", vk::Snapshot},
    {"NUMPAD+", vk::Add},    {"NUMPAD-", vk::Subtract}, {"NUMPAD*", vk::Multiply},
    {"NUMPAD/", vk::Divide}, {"NUMPAD.", vk::Decimal},
};

constexpr int kFunctionKeys = 24;

QString BaseName(std::uint32_t virtualKey) {
    for (const Base& b : kBases)
        if (b.virtualKey == virtualKey)
            return QLatin1String(b.name);
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return QString(QChar(static_cast<char16_t>(virtualKey)));
    if (virtualKey >= vk::Numpad0 && virtualKey <= vk::Numpad9)
        return QStringLiteral("NUMPAD%1").arg(virtualKey - vk::Numpad0);
    if (virtualKey >= vk::F1 && virtualKey < vk::F1 + kFunctionKeys)
        return QStringLiteral("F%1").arg(virtualKey - vk::F1 + 1);
    return QString();
}

}  // namespace

std::optional<std::uint32_t> HotkeyBaseKey(const QString& base) {
    for (const Base& b : kBases)
        if (base == QLatin1String(b.name))
            return b.virtualKey;
    if (base.size() == 1) {
        const char16_t c = base.at(0).unicode();
        if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
            return c;
        return std::nullopt;
    }
    bool number = false;
    if (base.startsWith(QLatin1String("NUMPAD")) && base.size() == 7) {
        const int digit = base.mid(6).toInt(&number);
        if (number)
            return vk::Numpad0 + digit;
    }
    if (base.startsWith(u'F') && base.size() <= 3 && base.at(1) != u'0') {
        const int n = base.mid(1).toInt(&number);
        if (number && n >= 1 && n <= kFunctionKeys)
            return vk::F1 + n - 1;
    }
    return std::nullopt;
}

std::optional<WrittenCombination> ReadModifiers(const QString& name) {
    WrittenCombination read;
    read.base = name;
    read.base.remove(u' ').remove(u'\t');
    platform::KeyCombination& combination = read.modifiers;
    const std::pair<const char*, bool*> modifiers[] = {
        {"CTRL", &combination.modifiers.control}, {"CONTROL", &combination.modifiers.control},
        {"ALT", &combination.modifiers.alt},      {"SHIFT", &combination.modifiers.shift},
        {"SUPER", &combination.modifiers.super},  {"WIN", &combination.modifiers.super},
    };
    // Modifier words each followed by a joiner; what is left is the base,
    // which may itself end in one ("NUMPAD-").
    for (bool found = true; found;) {
        found = false;
        for (const auto& [word, flag] : modifiers) {
            const auto length = static_cast<qsizetype>(qstrlen(word));
            const QString& rest = read.base;
            if (rest.size() > length + 1 && rest.startsWith(QLatin1String(word), Qt::CaseInsensitive) &&
                (rest.at(length) == u'+' || rest.at(length) == u'-')) {
                if (*flag)
                    return std::nullopt;  // the same modifier twice
                *flag = true;
                read.upperCaseModifiers = read.upperCaseModifiers && rest.left(length) == QLatin1String(word);
                read.base.remove(0, length + 1);
                found = true;
                break;
            }
        }
    }
    return read;
}

std::optional<platform::KeyCombination> ParseHotkeyName(const QString& name) {
    std::optional<WrittenCombination> read = ReadModifiers(name);
    if (!read)
        return std::nullopt;
    const std::optional<std::uint32_t> key = HotkeyBaseKey(read->base.toUpper());
    if (!key)
        return std::nullopt;
    read->modifiers.virtualKey = *key;
    return read->modifiers;
}

QString HotkeyName(const platform::KeyCombination& combination) {
    const QString base = BaseName(combination.virtualKey);
    if (base.isEmpty())
        return QString();
    QStringList parts;
    if (combination.modifiers.control)
        parts.append(QStringLiteral("CTRL"));
    if (combination.modifiers.alt)
        parts.append(QStringLiteral("ALT"));
    if (combination.modifiers.shift)
        parts.append(QStringLiteral("SHIFT"));
    if (combination.modifiers.super)
        parts.append(QStringLiteral("SUPER"));
    parts.append(base);
    return parts.join(u'+');
}

}  // namespace orvexa
