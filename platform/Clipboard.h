#pragma once

#include <QString>

namespace orvexa::platform {

// The desktop's clipboard (the one Ctrl+C and Ctrl+V use), as text. Safe to
// call from any thread.
class Clipboard {
public:
    Clipboard() = default;
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;
    virtual ~Clipboard() = default;

    // The clipboard's text; empty when it holds none. Throws
    // orvexa::Exception when the clipboard cannot be reached.
    virtual QString Text() = 0;

    // Puts the text on the clipboard, where other programs find it for as
    // long as this program runs or until something else is copied. Throws
    // orvexa::Exception when the clipboard cannot be reached.
    virtual void SetText(const QString& text) = 0;
};

}  // namespace orvexa::platform
