#include "app/ProgramSettings.h"

#include "platform/KeyStore.h"

namespace orvexa {

bool ReadSetting(platform::KeyStore* store, const char* key, bool fallback) {
    if (!store)
        return fallback;
    try {
        const QString value = store->ReadDefaultValue(QString::fromLatin1(key)).trimmed();
        if (value == u'1')
            return true;
        if (value == u'0')
            return false;
    } catch (...) {
        // An unreadable store is no store.
    }
    return fallback;
}

bool WriteSetting(platform::KeyStore* store, const char* key, bool value) {
    if (!store)
        return false;
    try {
        store->WriteDefaultValue(QString::fromLatin1(key), value ? QStringLiteral("1") : QStringLiteral("0"));
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace orvexa
