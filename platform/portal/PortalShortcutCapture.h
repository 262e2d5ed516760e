#pragma once

#include "platform/KeyCapture.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>

#include <mutex>

namespace orvexa::platform::portal {

// Whether the session bus has the desktop portal with a GlobalShortcuts
// interface.
bool GlobalShortcutsAvailable(const QDBusConnection& bus);

// KEY binds through the desktop's GlobalShortcuts portal, for Wayland
// sessions: the running script's key names are bound as shortcuts of one
// session (the desktop may ask the user to confirm them), each with its
// preferred trigger made from the name, and an activation is reported as
// the press and the release of the named key with its modifiers. Other
// typing is never seen.
class PortalShortcutCapture final : public QObject, public KeyCapture {
    Q_OBJECT
public:
    explicit PortalShortcutCapture(QDBusConnection bus);
    ~PortalShortcutCapture() override;

    bool Start(Callback callback) override;
    void Stop() override;
    void SetWantedKeys(const QStringList& keyNames) override;

    int RequestTimeoutMs = 120000;

private slots:
    void Activated(const QDBusMessage& message);

private:
    bool EnsureSession();

    QDBusConnection bus_;
    std::mutex mutex_;
    Callback callback_;
    bool started_ = false;
    QDBusObjectPath session_;
    QStringList bound_;
    QStringList wanted_;
};

}  // namespace orvexa::platform::portal
