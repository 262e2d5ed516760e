#pragma once

#include <QString>

namespace orvexa {

namespace platform {
class KeyStore;
}
struct KeystrokeMessage;

// The stop hot key: pressed anywhere on the desktop, it stops the running
// script as the Stop button does. Its name is written as KEY binds name
// their keys, and kept in the key store under kStopKeyStoreKey; without an
// entry it is kDefaultStopKey, and an empty entry turns it off. The default
// is a combination that desktops and common programs leave free.
inline constexpr const char* kStopKeyStoreKey = "\\Software\\Orvexa\\StopKey";
inline constexpr const char* kDefaultStopKey = "CONTROL-ALT-SHIFT-S";

// The stop key's name; empty when there is none.
QString StopKeyName(platform::KeyStore* store);

// Whether a keystroke is a press of the named key (never for an empty name).
bool IsStopKey(const KeystrokeMessage& message, const QString& stopKey);

}  // namespace orvexa
