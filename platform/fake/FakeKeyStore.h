#pragma once

#include "platform/KeyStore.h"

#include <QMap>
#include <QString>

namespace orvexa::platform {

// A key store in memory. Keys are compared without regard to case and to
// surrounding or doubled backslashes, as the real store does.
class FakeKeyStore final : public KeyStore {
public:
    bool KeyExists(const QString& key) override;
    void WriteDefaultValue(const QString& key, const QString& value) override;
    QString ReadDefaultValue(const QString& key) override { return DefaultValue(key); }

    // The default value of a key, or a null string.
    QString DefaultValue(const QString& key) const;

    // When set, every write throws as an unwritable store does.
    bool failWrites = false;
    int existenceQueries = 0;
    int writes = 0;

private:
    QMap<QString, QString> values_;  // normalised key -> default value
};

}  // namespace orvexa::platform
