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

// What a portal request ended with: the Response signal's code (0 success,
// 1 cancelled by the user, 2 ended otherwise) and its results; or no answer
// at all, with the reason: the portal refused the call (no portal, a failed
// call), or it took the request and no answer came in time (the desktop
// was waiting for the user) or before the program closed. An unanswered
// request has been closed (its dialog with it).
struct PortalResponse {
    bool answered = false;
    uint code = 2;
    QVariantMap results;
    QString failure;
    // The portal took the request; no Response came.
    bool unanswered = false;
    // The wait ended because the program is closing.
    bool closing = false;

    bool Succeeded() const { return answered && code == 0; }
};

// The session handle of CreateSession's results, which portals give as a
// string (xdg-desktop-portal 1.16) or as an object path (as its interface
// says); empty when there is none.
QString SessionHandleOf(const QVariantMap& results);

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
    // the options map, and waits up to `timeoutMs` for the Response, or
    // until the program closes. A request left without an answer is closed
    // (Request.Close, waited for), so that no dialog of it stays open.
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
    void CloseRequest(const QString& path);
    void StopListening(const QString& path);

    QDBusConnection bus_;
    std::optional<PortalResponse> response_;
    // The wait of the call in progress, which the Response ends.
    QEventLoop* loop_ = nullptr;
};

}  // namespace orvexa::platform::portal
