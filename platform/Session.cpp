#include "platform/Session.h"

#include <QtGlobal>

namespace orvexa::platform {

DesktopSession DetectSession(const std::function<QByteArray(const char* name)>& variable, bool xserverIsXWayland) {
    DesktopSession session;
    session.xwayland = xserverIsXWayland;
    const QByteArray type = variable("XDG_SESSION_TYPE").trimmed().toLower();
    // A session that says it is X11 is one, even when a Wayland socket is
    // left over in the environment (a nested compositor, a stale variable);
    // an XWayland server settles it either way.
    if (xserverIsXWayland || type == "wayland")
        session.kind = DesktopSession::Kind::Wayland;
    else if (type.isEmpty() && !variable("WAYLAND_DISPLAY").isEmpty())
        session.kind = DesktopSession::Kind::Wayland;
    return session;
}

DesktopSession DetectSession(bool xserverIsXWayland) {
    return DetectSession([](const char* name) { return qgetenv(name); }, xserverIsXWayland);
}

}  // namespace orvexa::platform
