#include "binds/HotkeyNames.h"

#include "platform/KeyTable.h"

#include <QStringList>

namespace orvexa {
std::optional<std::uint32_t> HotkeyBaseKey(const QString& base) {
    const platform::keys::Key* key = platform::keys::ByHotkeyName(base.toStdString());
    if (!key)
        return std::nullopt;
    return key->virtualKey;
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
    const platform::keys::Key* key = platform::keys::ByCode(combination.virtualKey);
    if (!key || key->hotkeyName.empty())
        return QString();
    const QString base = QString::fromLatin1(key->hotkeyName);
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
