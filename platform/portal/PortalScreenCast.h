#pragma once

#include "platform/ScreenCast.h"

#include <QDBusConnection>
#include <QString>

#include <memory>
#include <mutex>

namespace orvexa::platform {
class KeyStore;
}

namespace orvexa::platform::portal {

class PortalSession;

// Whether the session bus has the desktop portal with a ScreenCast
// interface.
bool ScreenCastAvailable(const QDBusConnection& bus);

// A screen cast of the monitor through the desktop's ScreenCast portal, for
// the screen's pixels where keys and the mouse do not go through a
// remote-desktop session (which has a cast of its own). The session is asked
// for once per run, at the first Open (on the program's own thread): the
// desktop asks the user then, and a refusal stands until the program ends.
// Where the portal can remember the permission (version 4 and later), the
// restore token is kept in the key store, so that the user is asked once.
// A session the desktop ends (the user stopped the sharing) makes Open throw
// until the next run (NewRun).
class PortalScreenCast {
public:
    PortalScreenCast(QDBusConnection bus, std::shared_ptr<KeyStore> keyStore);
    ~PortalScreenCast();
    PortalScreenCast(const PortalScreenCast&) = delete;
    PortalScreenCast& operator=(const PortalScreenCast&) = delete;

    // The started session's stream, on a PipeWire connection of its own;
    // throws orvexa::Exception with the reason when there is none.
    ScreenCastStream Open();
    // A run starts: a session the desktop ended is let go of, so that the
    // next Open asks anew.
    void NewRun();

    // Where the restore token is kept.
    static QString RestoreTokenKey();
    // How long the desktop may take to answer a request (the user may be
    // asked meanwhile).
    int RequestTimeoutMs = 120000;

private:
    void Start();

    // Recursive: a run may start (NewRun) while the desktop asks the user.
    std::recursive_mutex mutex_;
    QDBusConnection bus_;
    std::shared_ptr<KeyStore> keyStore_;
    std::unique_ptr<PortalSession> session_;
    ScreenCastStream started_;
    bool starting_ = false;
    QString refusal_;
    QString ended_;
};

}  // namespace orvexa::platform::portal
