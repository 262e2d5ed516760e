#include "platform/portal/ShortcutNames.h"

#include "platform/KeyTable.h"

#include <QStringList>

#include <xkbcommon/xkbcommon.h>

namespace orvexa::platform::portal {

std::optional<NamedKey> ParseKeyName(const QString& name) {
    const std::optional<keys::KeyNameParts> parts = keys::ParseKeyName(name.toStdString());
    if (!parts)
        return std::nullopt;
    NamedKey key;
    key.virtualKey = parts->virtualKey;
    key.modifiers.control = parts->control;
    key.modifiers.alt = parts->alt;
    key.modifiers.shift = parts->shift;
    return key;
}

QString TriggerOf(const QString& name) {
    const std::optional<NamedKey> key = ParseKeyName(name);
    if (!key)
        return QString();
    const keys::Key* row = keys::ByCode(key->virtualKey);
    char keysym[64] = {};
    if (!row || row->keysym == 0 || xkb_keysym_get_name(row->keysym, keysym, sizeof keysym) <= 0)
        return QString();
    QStringList parts;
    if (key->modifiers.control)
        parts.append(QStringLiteral("CTRL"));
    if (key->modifiers.alt)
        parts.append(QStringLiteral("ALT"));
    if (key->modifiers.shift)
        parts.append(QStringLiteral("SHIFT"));
    parts.append(QString::fromLatin1(keysym));
    return parts.join(u'+');
}

}  // namespace orvexa::platform::portal
