#include "app/StopKey.h"

#include "binds/KeyNames.h"
#include "binds/keyhook.h"
#include "core/ScriptText.h"
#include "platform/KeyStore.h"

namespace orvexa {

QString StopKeyName(platform::KeyStore* store) {
    const QString key = QString::fromLatin1(kStopKeyStoreKey);
    try {
        if (store && store->KeyExists(key))
            return TrimControl(store->ReadDefaultValue(key));
    } catch (...) {
        // An unreadable store is no store: the default holds.
    }
    return QString::fromLatin1(kDefaultStopKey);
}

bool IsStopKey(const KeystrokeMessage& message, const QString& stopKey) {
    if (stopKey.isEmpty() || (message.LParam & platform::KeyEvent::kReleasedBit))
        return false;
    return KeyName(message.WParam, message.Modifiers) == stopKey;
}

}  // namespace orvexa
