#include "binds/KeyNames.h"

#include "binds/HotkeyNames.h"
#include "core/Strings.h"
#include "platform/KeyTable.h"

#include <QSet>

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
    const platform::keys::Key* key = platform::keys::ByCode(virtualKey);
    return key ? QString::fromLatin1(key->keyName) : QString();
}

QString KeyName(std::uint32_t virtualKey, const platform::KeyModifiers& down) {
    QString name = KeyBaseName(virtualKey);
    Prefix(name, down.shift, "SHIFT");
    Prefix(name, down.alt, "ALT");
    Prefix(name, down.control, "CONTROL");
    return name;
}

bool IsKeyName(const QString& name) {
    // Every name a press can have, from the naming itself: a few hundred.
    static const QSet<QString> names = [] {
        QSet<QString> all;
        constexpr std::uint32_t kCodes = 256;
        for (std::uint32_t code = 0; code < kCodes; ++code)
            for (int held = 0; held < 8; ++held)
                all.insert(KeyName(code, {(held & 1) != 0, (held & 2) != 0, (held & 4) != 0}));
        return all;
    }();
    return names.contains(name);
}

QString KeyNameOf(const platform::KeyCombination& combination) {
    if (combination.modifiers.super || KeyBaseName(combination.virtualKey).isEmpty())
        return QString();
    return KeyName(combination.virtualKey, combination.modifiers);
}

QString KeyNameMeant(const QString& name) {
    if (IsKeyName(name))
        return QString();
    const std::optional<WrittenCombination> read = ReadModifiers(name);
    if (!read || read->modifiers.modifiers.super)
        return QString();
    // Modifiers written as KEY names write them: the base as written too, so
    // that "p" stays F1 rather than the letter.
    if (read->upperCaseModifiers) {
        QString asWritten = KeyName(0, read->modifiers.modifiers);
        if (!asWritten.isEmpty())
            asWritten += u'-';
        asWritten += read->base;
        if (IsKeyName(asWritten))
            return asWritten;
    }
    const QString base = read->base.toUpper();
    // A modifier key alone: "CTRL-SHIFT" is CONTROL-SHIFT.
    platform::KeyModifiers held = read->modifiers.modifiers;
    if (base == QLatin1String("CTRL") || base == QLatin1String("CONTROL"))
        held.control = true;
    else if (base == QLatin1String("ALT"))
        held.alt = true;
    else if (base == QLatin1String("SHIFT"))
        held.shift = true;
    if (held != read->modifiers.modifiers)
        return KeyName(0, held);
    const std::optional<std::uint32_t> key = HotkeyBaseKey(base);
    if (!key)
        return QString();
    return KeyNameOf({*key, read->modifiers.modifiers});
}

QString KeyNameWarning(const QString& name) {
    if (IsKeyName(name))
        return QString();
    const QString meant = KeyNameMeant(name);
    // The HOTKEY of the same keys, where the name reads as one.
    const std::optional<platform::KeyCombination> hotkey = ParseHotkeyName(name);
    const bool sameKeys = hotkey && (meant.isEmpty() || KeyNameOf(*hotkey) == meant);
    return strings::KeyNameNeverMatches(name, meant, sameKeys ? HotkeyName(*hotkey) : QString());
}

}  // namespace orvexa
