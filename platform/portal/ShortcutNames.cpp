#include "platform/portal/ShortcutNames.h"

#include "platform/VirtualKeyCodes.h"

#include <QStringList>

namespace orvexa::platform::portal {

namespace {

struct Word {
    const char* name;
    std::uint32_t virtualKey;
    const char* keysym;
};
constexpr Word kWords[] = {
    {"BS", vk::Back, "BackSpace"},
    {"TAB", vk::Tab, "Tab"},
    {"ENTER", vk::Return, "Return"},
    {"SPACE", vk::Space, "space"},
};

// The keypad's keys named "a".."o", in the order of their codes.
constexpr const char* kKeypad[] = {"KP_1",   "KP_2",         "KP_3",        "KP_4",       "KP_5",
                                   "KP_6",   "KP_7",         "KP_8",        "KP_9",       "KP_Multiply",
                                   "KP_Add", "KP_Separator", "KP_Subtract", "KP_Decimal", "KP_Divide"};

// The keysym name of a base key name; empty for none.
QString KeysymOf(const QString& base, std::uint32_t virtualKey) {
    for (const Word& word : kWords)
        if (base == QLatin1String(word.name))
            return QLatin1String(word.keysym);
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return QString(QChar(virtualKey)).toLower();
    if (virtualKey >= '0' && virtualKey <= '9')
        return QString(QChar(virtualKey));
    if (virtualKey >= vk::Numpad1 && virtualKey <= vk::Divide)
        return QLatin1String(kKeypad[virtualKey - vk::Numpad1]);
    if (virtualKey >= vk::F1 && virtualKey <= vk::F11)
        return QStringLiteral("F%1").arg(virtualKey - vk::F1 + 1);
    return QString();
}

}  // namespace

std::optional<NamedKey> ParseKeyName(const QString& name) {
    NamedKey key;
    QString rest = name;
    // The prefixes come in this order only, each at most once.
    const std::pair<const char*, bool KeyModifiers::*> prefixes[] = {
        {"CONTROL-", &KeyModifiers::control}, {"ALT-", &KeyModifiers::alt}, {"SHIFT-", &KeyModifiers::shift}};
    for (const auto& [prefix, flag] : prefixes) {
        if (rest.startsWith(QLatin1String(prefix))) {
            key.modifiers.*flag = true;
            rest.remove(0, static_cast<qsizetype>(qstrlen(prefix)));
        }
    }
    for (const Word& word : kWords) {
        if (rest == QLatin1String(word.name)) {
            key.virtualKey = word.virtualKey;
            return key;
        }
    }
    if (rest.size() != 1)
        return std::nullopt;
    const char16_t c = rest.at(0).unicode();
    // Letters, digits, and the keypad and function keys named by the
    // lower-case letters of their codes.
    if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z')) {
        key.virtualKey = c;
        return key;
    }
    return std::nullopt;
}

QString TriggerOf(const QString& name) {
    const std::optional<NamedKey> key = ParseKeyName(name);
    if (!key)
        return QString();
    const qsizetype dash = name.lastIndexOf(u'-');
    const QString base = dash < 0 || dash == name.size() - 1 ? name : name.mid(dash + 1);
    const QString keysym = KeysymOf(base, key->virtualKey);
    if (keysym.isEmpty())
        return QString();
    QStringList parts;
    if (key->modifiers.control)
        parts.append(QStringLiteral("CTRL"));
    if (key->modifiers.alt)
        parts.append(QStringLiteral("ALT"));
    if (key->modifiers.shift)
        parts.append(QStringLiteral("SHIFT"));
    parts.append(keysym);
    return parts.join(u'+');
}

}  // namespace orvexa::platform::portal
