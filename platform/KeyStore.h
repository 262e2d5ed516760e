#pragma once

#include <QString>

namespace orvexa::platform {

// A small store of keys in the manner of a registry: a key is a
// backslash-separated path such as "\Software\Python\PythonCore\1.5\PythonPath",
// compared without regard to case, and may hold a default (unnamed) text
// value. Writing a value creates the key and every key above it.
class KeyStore {
public:
    KeyStore() = default;
    KeyStore(const KeyStore&) = delete;
    KeyStore& operator=(const KeyStore&) = delete;
    virtual ~KeyStore() = default;

    // True when the key, or a key below it, exists.
    virtual bool KeyExists(const QString& key) = 0;
    // Creates the key when needed and sets its default value. Throws
    // orvexa::Exception when the store cannot be written.
    virtual void WriteDefaultValue(const QString& key, const QString& value) = 0;
    // The key's default value; a null string when it has none.
    virtual QString ReadDefaultValue(const QString& key) = 0;
};

}  // namespace orvexa::platform
