#pragma once

#include "platform/Notifier.h"

#include <memory>

namespace orvexa::platform::freedesktop {

// Notifications through the desktop's notification service
// (org.freedesktop.Notifications) on the session bus, reached when the
// first message is sent (the application object exists by then).
std::shared_ptr<Notifier> CreateDBusNotifier();

}  // namespace orvexa::platform::freedesktop
