#include "tests/platform/FakePortal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>

#include <unistd.h>

namespace {

struct StreamSize {
    int width = 0;
    int height = 0;
};
struct StreamEntry {
    uint node = 0;
    QVariantMap properties;
};
struct ShortcutEntry {
    QString id;
    QVariantMap properties;
};
QDBusArgument& operator<<(QDBusArgument& argument, const ShortcutEntry& entry) {
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, ShortcutEntry& entry) {
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const StreamSize& size) {
    argument.beginStructure();
    argument << size.width << size.height;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, StreamSize& size) {
    argument.beginStructure();
    argument >> size.width >> size.height;
    argument.endStructure();
    return argument;
}
QDBusArgument& operator<<(QDBusArgument& argument, const StreamEntry& entry) {
    argument.beginStructure();
    argument << entry.node << entry.properties;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, StreamEntry& entry) {
    argument.beginStructure();
    argument >> entry.node >> entry.properties;
    argument.endStructure();
    return argument;
}

// An a{sv} argument as it arrives: still marshalled, or already a map.
QVariantMap MapOf(const QVariant& value) {
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

}  // namespace

Q_DECLARE_METATYPE(StreamSize)
Q_DECLARE_METATYPE(StreamEntry)
Q_DECLARE_METATYPE(ShortcutEntry)

namespace orvexa::test {

// The portal's object: every call to the desktop object, and Close on a
// session below it.
class FakePortalObject final : public QDBusVirtualObject {
public:
    FakePortalObject(FakePortal& portal, QDBusConnection connection)
        : portal_(portal), connection_(std::move(connection)) {}

    QString introspect(const QString&) const override { return QString(); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        const QString member = message.member();
        const QVariantList args = message.arguments();
        const bool screenCast = message.interface() == QLatin1String("org.freedesktop.portal.ScreenCast");
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties") && member == u"Get") {
            const bool ofScreenCast = args.value(0).toString() == u"org.freedesktop.portal.ScreenCast";
            const QString property = args.value(1).toString();
            uint value = ofScreenCast ? portal_.screenCastVersion : portal_.version_;
            if (ofScreenCast && property == u"AvailableCursorModes")
                value = portal_.screenCastVersion >= 2 ? portal_.cursorModes : 0;
            connection_.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
            return true;
        }
        if (screenCast && member == u"OpenPipeWireRemote") {
            portal_.Record(member);
            const int fd = portal_.pipeWire ? portal_.pipeWire() : -1;
            if (fd < 0) {
                connection_.send(message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.Failed"),
                                                          QStringLiteral("no PipeWire here")));
                return true;
            }
            connection_.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(fd))));
            ::close(fd);
            return true;
        }
        if (message.interface() == QLatin1String("org.freedesktop.portal.Session") && member == u"Close") {
            portal_.Record(QStringLiteral("Close"));
            connection_.send(message.createReply());
            return true;
        }
        if (message.interface() == QLatin1String("org.freedesktop.portal.Request") && member == u"Close") {
            portal_.Record(QStringLiteral("Request.Close"));
            connection_.send(message.createReply());
            return true;
        }
        if (member.startsWith(u"Notify")) {
            QStringList values;
            for (qsizetype i = 2; i < args.size(); ++i)
                values.append(args.at(i).toString());
            portal_.Record(member + u' ' + values.join(u' '));
            connection_.send(message.createReply());
            return true;
        }
        const QVariantMap options = args.isEmpty() ? QVariantMap() : MapOf(args.last());
        QStringList described{member};
        if (member == u"BindShortcuts" && args.size() == 4 && args.at(1).canConvert<QDBusArgument>()) {
            const QDBusArgument shortcuts = args.at(1).value<QDBusArgument>();
            shortcuts.beginArray();
            while (!shortcuts.atEnd()) {
                QString id;
                QVariantMap properties;
                shortcuts.beginStructure();
                shortcuts >> id >> properties;
                shortcuts.endStructure();
                described.append(id + u'=' + properties.value(QStringLiteral("preferred_trigger")).toString());
            }
            shortcuts.endArray();
        }
        for (auto it = options.begin(); it != options.end(); ++it)
            if (it.key() != u"handle_token" && it.key() != u"session_handle_token")
                described.append(it.key() + u'=' + it.value().toString());
        portal_.Record(described.join(u' '));
        const bool shortcuts = message.interface() == QLatin1String("org.freedesktop.portal.GlobalShortcuts");
        if (shortcuts && member == u"CreateSession" && portal_.shortcutsFail) {
            connection_.send(message.createErrorReply(
                QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                QStringLiteral("No such interface 'org.freedesktop.impl.portal.GlobalShortcuts'")));
            return true;
        }

        const QString sender = message.service().mid(1).replace(u'.', u'_');
        const QString request = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                    .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        connection_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));

        uint code = 0;
        QVariantMap results;
        if (member == u"CreateSession") {
            const QString session = QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                                        .arg(sender, options.value(QStringLiteral("session_handle_token")).toString());
            results.insert(QStringLiteral("session_handle"),
                           portal_.handleAsObjectPath ? QVariant::fromValue(QDBusObjectPath(session)) : session);
            const std::lock_guard lock(portal_.mutex_);
            portal_.lastSession_ = session;
            if (shortcuts)
                portal_.shortcutSession_ = session;
        } else if (member == u"BindShortcuts" && portal_.shortcutsNone) {
            results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(QList<ShortcutEntry>()));
        } else if (member == u"Start") {
            if (portal_.leaveStartOpen)
                return true;
            if (portal_.refuse) {
                code = 1;
            } else {
                if (!screenCast)
                    results.insert(QStringLiteral("devices"), portal_.devices);
                StreamEntry stream;
                stream.node = portal_.streamNode;
                stream.properties.insert(QStringLiteral("size"),
                                         QVariant::fromValue(StreamSize{portal_.streamWidth, portal_.streamHeight}));
                results.insert(QStringLiteral("streams"), QVariant::fromValue(QList<StreamEntry>{stream}));
                if (screenCast ? portal_.screenCastVersion >= 4 : portal_.version_ >= 2)
                    results.insert(QStringLiteral("restore_token"), QStringLiteral("token-%1").arg(++portal_.tokens_));
            }
        }
        QDBusMessage response = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                           QStringLiteral("Response"));
        response << code << results;
        connection_.send(response);
        return true;
    }

private:
    FakePortal& portal_;
    QDBusConnection connection_;
};

FakePortal::~FakePortal() {
    quit();
    wait();
}

void FakePortal::Record(const QString& line) {
    const std::lock_guard lock(mutex_);
    calls_.append(line);
}

void FakePortal::Activate(const QString& id) {
    QString session;
    {
        const std::lock_guard lock(mutex_);
        session = shortcutSession_;
    }
    QDBusMessage activated = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                                        QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                                                        QStringLiteral("Activated"));
    activated << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1) << QVariantMap();
    QDBusConnection(QStringLiteral("orvexa-fake-portal")).send(activated);
}

void FakePortal::EndSession() {
    QString session;
    {
        const std::lock_guard lock(mutex_);
        session = lastSession_;
    }
    QDBusConnection(QStringLiteral("orvexa-fake-portal"))
        .send(QDBusMessage::createSignal(session, QStringLiteral("org.freedesktop.portal.Session"),
                                         QStringLiteral("Closed")));
}

QStringList FakePortal::Calls() const {
    const std::lock_guard lock(mutex_);
    return calls_;
}

bool FakePortal::WaitForCalls(int count, int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    while (Calls().size() < count && clock.elapsed() < timeoutMs)
        QThread::msleep(5);
    return Calls().size() >= count;
}

bool FakePortal::StartService() {
    start();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        {
            const std::lock_guard lock(mutex_);
            if (ready_ || failed_)
                return ready_;
        }
        QThread::msleep(5);
    }
    return false;
}

void FakePortal::run() {
    qDBusRegisterMetaType<StreamSize>();
    qDBusRegisterMetaType<StreamEntry>();
    qDBusRegisterMetaType<QList<StreamEntry>>();
    qDBusRegisterMetaType<ShortcutEntry>();
    qDBusRegisterMetaType<QList<ShortcutEntry>>();
    {
        QDBusConnection connection =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("orvexa-fake-portal"));
        FakePortalObject object(*this, connection);
        const bool ok = connection.isConnected() &&
                        connection.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), &object,
                                                         QDBusConnection::SubPath) &&
                        connection.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
        {
            const std::lock_guard lock(mutex_);
            ready_ = ok;
            failed_ = !ok;
        }
        if (ok)
            exec();
        connection.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        connection.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"), QDBusConnection::UnregisterTree);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("orvexa-fake-portal"));
}

}  // namespace orvexa::test
