#include "platform/portal/PortalScreenCast.h"

#include "core/Exception.h"
#include "platform/KeyStore.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/ScreenCastStreams.h"

#include <QCoreApplication>
#include <QThread>

namespace orvexa::platform::portal {

namespace {

constexpr uint kPersistUntilRevoked = 2;

QString RefusalText(const PortalResponse& response) {
    if (!response.answered)
        return QStringLiteral("The desktop's screen-cast portal is not available: %1").arg(response.failure);
    if (response.code == 1)
        return QStringLiteral("Reading the screen was not allowed; restart Orvexa to be asked again");
    return QStringLiteral("The desktop's screen-cast portal ended the request");
}

}  // namespace

bool ScreenCastAvailable(const QDBusConnection& bus) {
    return PortalInterfaceVersion(bus, QLatin1String(kScreenCast)) >= 1;
}

PortalScreenCast::PortalScreenCast(QDBusConnection bus, std::shared_ptr<KeyStore> keyStore)
    : bus_(std::move(bus)), keyStore_(std::move(keyStore)) {}

PortalScreenCast::~PortalScreenCast() { CloseSession(bus_, session_.path()); }

QString PortalScreenCast::RestoreTokenKey() { return QStringLiteral("\\Software\\Orvexa\\ScreenCast\\RestoreToken"); }

void PortalScreenCast::Start() {
    if (!refusal_.isEmpty())
        throw Exception(refusal_);
    // The desktop's answers arrive through the program's event loop.
    if (const QCoreApplication* app = QCoreApplication::instance(); app && QThread::currentThread() != app->thread())
        throw Exception(
            QStringLiteral("The screen cast starts with the first screen read of a bind's own code, "
                           "not of a thread the script started"));
    auto refuse = [this](const PortalResponse& response) {
        refusal_ = RefusalText(response);
        throw Exception(refusal_);
    };
    const QString interface = QLatin1String(kScreenCast);
    PortalRequest request(bus_);
    const PortalResponse created = request.Call(
        interface, QStringLiteral("CreateSession"),
        {QVariantMap{{QStringLiteral("session_handle_token"), PortalRequest::NewToken()}}}, RequestTimeoutMs);
    if (!created.Succeeded())
        refuse(created);
    session_ = QDBusObjectPath(created.results.value(QStringLiteral("session_handle")).toString());

    QVariantMap sources = MonitorSourceOptions(bus_, started_.cursorMetadata);
    const bool persists = PortalInterfaceVersion(bus_, interface) >= 4;
    if (persists) {
        sources.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
        if (keyStore_) {
            const QString token = keyStore_->ReadDefaultValue(RestoreTokenKey());
            if (!token.isEmpty())
                sources.insert(QStringLiteral("restore_token"), token);
        }
    }
    const PortalResponse selected = request.Call(interface, QStringLiteral("SelectSources"),
                                                 {QVariant::fromValue(session_), sources}, RequestTimeoutMs);
    if (!selected.Succeeded())
        refuse(selected);
    const PortalResponse begun =
        request.Call(interface, QStringLiteral("Start"), {QVariant::fromValue(session_), QString(), QVariantMap()},
                     RequestTimeoutMs);
    if (!begun.Succeeded())
        refuse(begun);
    const std::optional<PortalStream> stream = FirstStream(begun.results.value(QStringLiteral("streams")));
    if (!stream) {
        refusal_ = QStringLiteral("The desktop's screen-cast portal gave no stream of the screen");
        throw Exception(refusal_);
    }
    started_.node = stream->node;
    started_.size = stream->size;
    if (persists && keyStore_) {
        const QString token = begun.results.value(QStringLiteral("restore_token")).toString();
        if (!token.isEmpty()) {
            try {
                keyStore_->WriteDefaultValue(RestoreTokenKey(), token);
            } catch (const Exception&) {
                // Unkept, the user is asked again at the next run.
            }
        }
    }
    running_ = true;
}

ScreenCastStream PortalScreenCast::Open() {
    const std::lock_guard lock(mutex_);
    if (!running_)
        Start();
    ScreenCastStream cast;
    cast.pipeWire = OpenPipeWireRemote(bus_, session_);
    cast.node = started_.node;
    cast.size = started_.size;
    cast.cursorMetadata = started_.cursorMetadata;
    return cast;
}

}  // namespace orvexa::platform::portal
