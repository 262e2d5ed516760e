#include "platform/fake/FakeKeyStore.h"

#include "core/Exception.h"

#include <QStringList>

namespace orvexa::platform {
namespace {
QString Normalised(const QString& key) { return key.split(u'\\', Qt::SkipEmptyParts).join(u'\\').toLower(); }
}  // namespace

bool FakeKeyStore::KeyExists(const QString& key) {
    ++existenceQueries;
    const QString wanted = Normalised(key);
    if (wanted.isEmpty())
        return true;
    for (auto it = values_.cbegin(); it != values_.cend(); ++it) {
        if (it.key() == wanted || it.key().startsWith(wanted + u'\\'))
            return true;
    }
    return false;
}

void FakeKeyStore::WriteDefaultValue(const QString& key, const QString& value) {
    ++writes;
    if (failWrites)
        throw Exception(QStringLiteral("Cannot write the key %1").arg(key));
    values_.insert(Normalised(key), value);
}

QString FakeKeyStore::DefaultValue(const QString& key) const { return values_.value(Normalised(key)); }

}  // namespace orvexa::platform
