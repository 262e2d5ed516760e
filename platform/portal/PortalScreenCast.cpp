#include "platform/portal/PortalScreenCast.h"

#include "core/Exception.h"
#include "core/Strings.h"
#include "platform/KeyStore.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/PortalSession.h"
#include "platform/portal/ScreenCastStreams.h"

#include <QCoreApplication>
#include <QThread>

namespace orvexa::platform::portal {

namespace {

constexpr uint kPersistUntilRevoked = 2;

QString Permission() { return QStringLiteral("see the screen"); }

QString RefusalText(const PortalResponse& response, int timeoutMs) {
    if (response.closing)
        return response.failure;
    if (response.unanswered)
        return strings::PortalUnanswered(Permission(), timeoutMs / 1000);
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

PortalScreenCast::~PortalScreenCast() = default;

QString PortalScreenCast::RestoreTokenKey() { return QStringLiteral("\\Software\\Orvexa\\ScreenCast\\RestoreToken"); }

void PortalScreenCast::Start() {
    if (!refusal_.isEmpty())
        throw Exception(refusal_);
    if (!ended_.isEmpty())
        throw Exception(ended_);
    if (starting_)
        throw Exception(strings::PortalStillAsking(Permission()));
    // The desktop's answers arrive through the program's event loop.
    if (const QCoreApplication* app = QCoreApplication::instance(); app && QThread::currentThread() != app->thread())
        throw Exception(
            QStringLiteral("The screen cast starts with the first screen read of a bind's own code, "
                           "not of a thread the script started"));
    auto refuse = [this](const PortalResponse& response) {
        session_.reset();
        const QString why = RefusalText(response, RequestTimeoutMs);
        // Only the desktop's own answers stand for the rest of the program.
        if (!response.closing && !response.unanswered)
            refusal_ = why;
        throw Exception(why);
    };
    starting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{starting_};
    const QString interface = QLatin1String(kScreenCast);
    PortalRequest request(bus_);
    const PortalResponse created = request.Call(
        interface, QStringLiteral("CreateSession"),
        {QVariantMap{{QStringLiteral("session_handle_token"), PortalRequest::NewToken()}}}, RequestTimeoutMs);
    if (!created.Succeeded())
        refuse(created);
    session_ = std::make_unique<PortalSession>(bus_, SessionHandleOf(created.results));
    const QDBusObjectPath handle = session_->Path();

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
                                                 {QVariant::fromValue(handle), sources}, RequestTimeoutMs);
    if (!selected.Succeeded())
        refuse(selected);
    const PortalResponse begun = request.Call(
        interface, QStringLiteral("Start"), {QVariant::fromValue(handle), QString(), QVariantMap()}, RequestTimeoutMs);
    if (!begun.Succeeded())
        refuse(begun);
    const std::optional<PortalStream> stream = FirstStream(begun.results.value(QStringLiteral("streams")));
    if (!stream) {
        session_.reset();
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
}

void PortalScreenCast::NewRun() {
    const std::lock_guard lock(mutex_);
    ended_.clear();
    if (session_ && session_->Ended())
        session_.reset();
}

ScreenCastStream PortalScreenCast::Open() {
    const std::lock_guard lock(mutex_);
    if (session_ && session_->Ended()) {
        session_.reset();
        ended_ = strings::PortalSessionEnded(Permission());
    }
    if (!session_)
        Start();
    ScreenCastStream cast;
    cast.pipeWire = OpenPipeWireRemote(bus_, session_->Path());
    cast.live = [ended = session_->EndedFlag()] { return !*ended; };
    cast.node = started_.node;
    cast.size = started_.size;
    cast.cursorMetadata = started_.cursorMetadata;
    return cast;
}

}  // namespace orvexa::platform::portal
