#pragma once

#include <QString>

namespace orvexa::platform {

// The desktop's notifications: a short message that shows for a moment
// outside any window of the program (a bubble, the shell's notification
// list).
class Notifier {
public:
    Notifier() = default;
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;
    virtual ~Notifier() = default;

    // Shows the message; does not wait for the desktop, and says nothing
    // when the desktop has no notifications.
    virtual void Notify(const QString& summary, const QString& body) = 0;
};

}  // namespace orvexa::platform
