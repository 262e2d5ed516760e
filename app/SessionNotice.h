#pragma once

#include <QString>

namespace orvexa::platform {
struct DesktopSession;
}

namespace orvexa {

// What works in this session and what does not, as said once when the
// program starts: empty on an X11 session, one paragraph for the screen,
// keys and mouse on a Wayland session, and where a portal is used another
// for the KEY binds. Each paragraph ends with a line break.
QString SessionNotice(const platform::DesktopSession& session);

}  // namespace orvexa
