#pragma once

#include <QString>

namespace orvexa {

namespace platform {
class KeyStore;
}

// The program's own yes/no settings, kept in the key store beside the
// interpreter's keys.
inline constexpr const char* kKeepInTrayKey = "\\Software\\Orvexa\\KeepInTray";

// The flag's value; `fallback` when the store has none or cannot be read.
bool ReadSetting(platform::KeyStore* store, const char* key, bool fallback);
// Stores the flag. False (and nothing changed) when the store cannot be
// written.
bool WriteSetting(platform::KeyStore* store, const char* key, bool value);

}  // namespace orvexa
