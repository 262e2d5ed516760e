#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

namespace orvexa::platform::portal {

// One session of a desktop portal (RemoteDesktop, ScreenCast,
// GlobalShortcuts), from the handle CreateSession gave: the desktop's
// Session.Closed is watched from the start (the user stopped the sharing,
// the desktop ended it), and the session is closed when this object goes,
// unless the desktop did first. Closing is waited for briefly, so that it
// reaches the portal even when the program ends right after.
class PortalSession final : public QObject {
    Q_OBJECT
public:
    PortalSession(QDBusConnection bus, const QString& handle);
    ~PortalSession() override;
    PortalSession(const PortalSession&) = delete;
    PortalSession& operator=(const PortalSession&) = delete;

    QDBusObjectPath Path() const { return QDBusObjectPath(handle_); }
    // The desktop closed the session; safe on any thread.
    bool Ended() const { return *ended_; }
    // Set once the session is over, whoever ended it; outlives this object.
    std::shared_ptr<const std::atomic<bool>> EndedFlag() const { return ended_; }

private slots:
    void Closed();

private:
    QDBusConnection bus_;
    QString handle_;
    std::shared_ptr<std::atomic<bool>> ended_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace orvexa::platform::portal
