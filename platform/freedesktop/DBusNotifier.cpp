#include "platform/freedesktop/DBusNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace orvexa::platform::freedesktop {
namespace {

class DBusNotifier final : public Notifier {
public:
    void Notify(const QString& summary, const QString& body) override {
        QDBusMessage notify = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        // The body is markup to some servers: the script's text shows as
        // written.
        const QString plain = body.toHtmlEscaped();
        notify << QStringLiteral("Orvexa") << 0U << QStringLiteral("orvexa") << summary << plain << QStringList()
               << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("orvexa")}} << -1;
        // Nobody waits for the answer: a desktop without the service costs
        // nothing but the error reply.
        QDBusConnection::sessionBus().send(notify);
    }
};

}  // namespace

std::shared_ptr<Notifier> CreateDBusNotifier() { return std::make_shared<DBusNotifier>(); }

}  // namespace orvexa::platform::freedesktop
