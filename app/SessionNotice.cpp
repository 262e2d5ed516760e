#include "app/SessionNotice.h"

#include "core/Strings.h"
#include "platform/Session.h"

namespace orvexa {

QString SessionNotice(const platform::DesktopSession& session) {
    if (!session.IsWayland())
        return {};
    const bool portals = session.portalInput || session.portalScreen;
    QString notice = (portals ? strings::WaylandPortalSessionNotice(session.portalInput, session.portalScreen)
                              : strings::WaylandSessionNotice()) +
                     u'\n';
    if (session.portalInput && !session.keymapUnknown.isEmpty())
        notice += strings::KeymapUnknownNotice(session.keymapUnknown) + u'\n';
    if (portals || session.portalShortcuts)
        notice += strings::WaylandShortcutsNotice(session.portalShortcuts) + u'\n';
    return notice;
}

}  // namespace orvexa
