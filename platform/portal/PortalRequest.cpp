#include "platform/portal/PortalRequest.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>

#include "core/Quit.h"

#include <atomic>

namespace orvexa::platform::portal {

namespace {
constexpr const char* kRequestInterface = "org.freedesktop.portal.Request";
}

uint PortalInterfaceVersion(const QDBusConnection& bus, const QString& interface) {
    return PortalProperty(bus, interface, QStringLiteral("version"));
}

uint PortalProperty(const QDBusConnection& bus, const QString& interface, const QString& property) {
    if (!bus.isConnected())
        return 0;
    QDBusMessage get =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kObjectPath),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({interface, property});
    const QDBusMessage reply = bus.call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    return reply.arguments().first().value<QDBusVariant>().variant().toUInt();
}

QString SessionHandleOf(const QVariantMap& results) {
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    if (handle.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return handle.value<QDBusObjectPath>().path();
    return handle.toString();
}

PortalRequest::PortalRequest(QDBusConnection bus) : bus_(std::move(bus)) {}

QString PortalRequest::NewToken() {
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("orvexa%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

QString PortalRequest::HandlePath(const QString& kind, const QString& token) const {
    QString sender = bus_.baseService();
    sender.remove(0, 1);  // the leading ':'
    sender.replace(u'.', u'_');
    return QStringLiteral("%1/%2/%3/%4").arg(QLatin1String(kObjectPath), kind, sender, token);
}

bool PortalRequest::Listen(const QString& path) {
    return bus_.connect(QLatin1String(kService), path, QLatin1String(kRequestInterface), QStringLiteral("Response"),
                        this, SLOT(Responded(uint, QVariantMap)));
}

void PortalRequest::StopListening(const QString& path) {
    bus_.disconnect(QLatin1String(kService), path, QLatin1String(kRequestInterface), QStringLiteral("Response"), this,
                    SLOT(Responded(uint, QVariantMap)));
}

void PortalRequest::CloseRequest(const QString& path) {
    const QDBusMessage close = QDBusMessage::createMethodCall(
        QLatin1String(kService), path, QLatin1String(kRequestInterface), QStringLiteral("Close"));
    // Waited for: the program may be about to end, and the portal must have
    // closed the request (and its dialog) before it notices that.
    bus_.call(close, QDBus::Block, 2000);
}

void PortalRequest::Responded(uint code, const QVariantMap& results) {
    PortalResponse response;
    response.answered = true;
    response.code = code;
    response.results = results;
    response_ = response;
    if (loop_)
        loop_->quit();
}

PortalResponse PortalRequest::Call(const QString& interface, const QString& method, QVariantList arguments,
                                   int timeoutMs) {
    response_.reset();
    const QString token = NewToken();
    QVariantMap options = arguments.isEmpty() ? QVariantMap() : arguments.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    QString path = HandlePath(QStringLiteral("request"), token);
    Listen(path);

    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kObjectPath), interface, method);
    call.setArguments(arguments);
    QDBusPendingReply<QDBusObjectPath> reply = bus_.asyncCall(call, timeoutMs);

    // Waits for the Response, a failed call or the deadline, whichever
    // comes first, with the program's events handled meanwhile.
    QEventLoop loop;
    loop_ = &loop;
    QDBusPendingCallWatcher watcher(reply);
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, [&] {
        if (reply.isError()) {
            loop.quit();
            return;
        }
        // A portal older than the handle_token convention names the
        // request itself.
        const QString given = reply.value().path();
        if (given != path) {
            StopListening(path);
            path = given;
            Listen(path);
        }
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    // The program closing ends the wait (the listener may run on any
    // thread: the loop is told through its own).
    const int listener =
        quit::AddListener([&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    if (!quit::Requested())
        loop.exec();
    quit::RemoveListener(listener);
    loop_ = nullptr;
    StopListening(path);
    if (response_)
        return *response_;
    PortalResponse failed;
    failed.closing = quit::Requested();
    if (reply.isFinished() && reply.isError()) {
        failed.failure = reply.error().message();
        return failed;
    }
    // Taken by the portal, or still on its way: closed either way, so that
    // the question does not stay on the screen.
    CloseRequest(path);
    failed.unanswered = reply.isFinished() && !failed.closing;
    failed.failure =
        failed.closing ? QString::fromUtf8(quit::kClosingMessage)
        : failed.unanswered
            ? QStringLiteral("No answer came within %1 seconds").arg(timeoutMs / 1000)
            : QStringLiteral("The desktop portal did not take the call %1.%2 in time").arg(interface, method);
    return failed;
}

}  // namespace orvexa::platform::portal
