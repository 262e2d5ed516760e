#include "platform/qt/QtKeyStore.h"

#include "core/Exception.h"

#include <QSettings>
#include <QStringList>

namespace orvexa::platform {
namespace {

// Keys are stored as settings groups: "\Software\Python" becomes
// "software/python" (registry keys ignore case; an INI file does not).
QString GroupOf(const QString& key) {
    QString path = key;
    path.replace(u'\\', u'/');
    return path.split(u'/', Qt::SkipEmptyParts).join(u'/').toLower();
}

constexpr char kDefaultValueName[] = "Default";

class QtKeyStore final : public KeyStore {
public:
    explicit QtKeyStore(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {}

    bool KeyExists(const QString& key) override {
        const QString group = GroupOf(key);
        if (group.isEmpty())
            return true;  // the root always exists
        settings_->sync();
        settings_->beginGroup(group);
        const bool exists = !settings_->allKeys().isEmpty();
        settings_->endGroup();
        return exists;
    }

    QString ReadDefaultValue(const QString& key) override {
        const QString group = GroupOf(key);
        settings_->sync();
        return settings_
            ->value(group.isEmpty() ? QString::fromLatin1(kDefaultValueName)
                                    : group + u'/' + QLatin1String(kDefaultValueName))
            .toString();
    }

    void WriteDefaultValue(const QString& key, const QString& value) override {
        const QString group = GroupOf(key);
        const QString name =
            group.isEmpty() ? QString::fromLatin1(kDefaultValueName) : group + u'/' + QLatin1String(kDefaultValueName);
        settings_->setValue(name, value);
        settings_->sync();
        if (settings_->status() != QSettings::NoError) {
            // Not kept in memory either: the store must not claim a key it
            // could not write.
            settings_->remove(name);
            throw Exception(QStringLiteral("Cannot write the key %1").arg(key));
        }
    }

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace

std::unique_ptr<KeyStore> CreateQtKeyStore() {
    return std::make_unique<QtKeyStore>(std::make_unique<QSettings>(
        QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Orvexa"), QStringLiteral("keystore")));
}

std::unique_ptr<KeyStore> CreateQtKeyStore(const QString& fileName) {
    return std::make_unique<QtKeyStore>(std::make_unique<QSettings>(fileName, QSettings::IniFormat));
}

}  // namespace orvexa::platform
