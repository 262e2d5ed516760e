#include "app/StopKey.h"

#include "binds/KeyNames.h"
#include "binds/keyhook.h"
#include "platform/KeyStore.h"

namespace orvexa {

QString StopKeyName(platform::KeyStore* store) {
    QString name;
    try {
        if (store)
            name = store->ReadDefaultValue(QLatin1String(kStopKeyStoreKey));
    } catch (...) {
        // An unreadable store is no store: the default holds.
    }
    return name.isNull() ? QString::fromLatin1(kDefaultStopKey) : name.trimmed();
}

bool IsStopKey(const KeystrokeMessage& message, const QString& stopKey) {
    if (stopKey.isEmpty() || (message.LParam & platform::KeyEvent::kReleasedBit))
        return false;
    return KeyName(message.WParam, message.Modifiers) == stopKey;
}

}  // namespace orvexa
