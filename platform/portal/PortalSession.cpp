#include "platform/portal/PortalSession.h"

#include "platform/portal/PortalRequest.h"

#include <QDBusMessage>

namespace orvexa::platform::portal {

namespace {
constexpr const char* kSessionInterface = "org.freedesktop.portal.Session";
}

PortalSession::PortalSession(QDBusConnection bus, const QString& handle) : bus_(std::move(bus)), handle_(handle) {
    bus_.connect(QLatin1String(kService), handle_, QLatin1String(kSessionInterface), QStringLiteral("Closed"), this,
                 SLOT(Closed()));
}

PortalSession::~PortalSession() {
    bus_.disconnect(QLatin1String(kService), handle_, QLatin1String(kSessionInterface), QStringLiteral("Closed"), this,
                    SLOT(Closed()));
    const bool open = !ended_->exchange(true);
    if (!open || handle_.isEmpty())
        return;
    const QDBusMessage close = QDBusMessage::createMethodCall(
        QLatin1String(kService), handle_, QLatin1String(kSessionInterface), QStringLiteral("Close"));
    bus_.call(close, QDBus::Block, 2000);
}

void PortalSession::Closed() { *ended_ = true; }

}  // namespace orvexa::platform::portal
