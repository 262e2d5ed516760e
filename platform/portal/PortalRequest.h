#pragma once

#include <QDBusConnection>
#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <optional>

namespace orvexa::platform::portal {

inline constexpr const char* kService = "org.freedesktop.portal.Desktop";
inline constexpr const char* kObjectPath = "/org/freedesktop/portal/desktop";

// The `version` property of one of the portal's interfaces; 0 when there is
// no portal or no such interface.
uint PortalInterfaceVersion(const QDBusConnection& bus, const QString& interface);
// An unsigned property of one of the portal's interfaces; 0 when there is
// none.
uint PortalProperty(const QDBusConnection& bus, const QString& interface, const QString& property);

// Ends a portal session (RemoteDesktop, GlobalShortcuts...) without waiting;
// an empty path ends nothing.
void CloseSession(const QDBusConnection& bus, const QString& sessionPath);

// What a portal request ended with: the Response signal's code (0 success,
// 1 cancelled by the user, 2 ended otherwise) and its results; or no answer
// at all (no portal, a failed call, the time ran out) with the reason.
struct PortalResponse {
    bool answered = false;
    uint code = 2;
    QVariantMap results;
    QString failure;

    bool Succeeded() const { return answered && code == 0; }
};

// A portal call that answers through a Request object: the caller names the
// request with a handle_token (added to the last argument, the options),
// listens for the request's Response signal before calling (so that a quick
// answer is not missed), and waits for it with the program's events
// handled, as the desktop may ask the user meanwhile.
class PortalRequest : public QObject {
    Q_OBJECT
public:
    explicit PortalRequest(QDBusConnection bus);

    // Calls `method` of `interface` with `arguments`, the last of which is
    // the options map, and waits up to `timeoutMs` for the Response.
    PortalResponse Call(const QString& interface, const QString& method, QVariantList arguments, int timeoutMs);

    // A token for a request or session handle, unique in this process.
    static QString NewToken();
    // The path the portal gives a handle of `kind` ("request", "session")
    // made with `token` for this connection.
    QString HandlePath(const QString& kind, const QString& token) const;

private slots:
    void Responded(uint code, const QVariantMap& results);

private:
    bool Listen(const QString& path);
    void StopListening(const QString& path);

    QDBusConnection bus_;
    std::optional<PortalResponse> response_;
    // The wait of the call in progress, which the Response ends.
    QEventLoop* loop_ = nullptr;
};

}  // namespace orvexa::platform::portal
