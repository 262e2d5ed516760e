#pragma once

#include "platform/KeyStore.h"

#include <QString>

#include <memory>

namespace orvexa::platform {

// The key store in the user's configuration directory
// (~/.config/Orvexa/keystore.ini).
std::unique_ptr<KeyStore> CreateQtKeyStore();
// The key store in the given INI file.
std::unique_ptr<KeyStore> CreateQtKeyStore(const QString& fileName);

}  // namespace orvexa::platform
