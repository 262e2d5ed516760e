// What the desktop portal answers, as it arrives: a message of any
// signature and body, checked by the D-Bus library as the bus would, read by
// Qt's D-Bus module on a peer connection, then decoded as the portal
// backends decode a request's results.
//
// Input: one byte n, n bytes of a body signature, then the body (little
// endian). Inputs the D-Bus library refuses as a message are no finding.
#include "fuzz/FuzzSupport.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/PortalShortcutCapture.h"
#include "platform/portal/ScreenCastStreams.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusServer>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>

#include <dbus/dbus.h>

#include <memory>

using namespace orvexa;

namespace {

constexpr const char* kPath = "/org/freedesktop/portal/desktop";
constexpr const char* kAnswer = "Answer";
constexpr const char* kSentinel = "Sentinel";

// A request's results, decoded as the portal backends decode them.
void DecodeResults(const QVariantMap& results) {
    (void)platform::portal::SessionHandleOf(results);
    (void)platform::portal::FirstStream(results.value(QStringLiteral("streams")));
    (void)platform::portal::ListedShortcutIds(results.value(QStringLiteral("shortcuts")));
    (void)results.value(QStringLiteral("devices")).toUInt();
    (void)results.value(QStringLiteral("restore_token")).toString();
}

// Receives every message sent to the portal's path on the peer connection.
class Receiver : public QDBusVirtualObject {
public:
    bool sentinelSeen = false;

    QString introspect(const QString&) const override { return QString(); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        if (message.member() == QLatin1String(kSentinel)) {
            sentinelSeen = true;
            return true;
        }
        // A Response (ua{sv}) reaches the request's slot as (uint, QVariantMap);
        // any other a{sv} is decoded the same way.
        for (const QVariant& argument : message.arguments()) {
            if (argument.canConvert<QDBusArgument>() &&
                argument.value<QDBusArgument>().currentSignature() == QLatin1String("a{sv}"))
                DecodeResults(qdbus_cast<QVariantMap>(argument));
        }
        return true;
    }
};

struct Peer {
    std::unique_ptr<QDBusServer> server;
    std::unique_ptr<Receiver> receiver;
    DBusConnection* client = nullptr;
};

Peer& ThePeer() {
    static Peer peer;
    return peer;
}

// Runs both ends until `done` holds; false after five seconds.
template <typename Condition>
bool Pump(Condition done) {
    const QDeadlineTimer deadline(5000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        dbus_connection_read_write(ThePeer().client, 1);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

void Connect() {
    Peer& peer = ThePeer();
    peer.server = std::make_unique<QDBusServer>(QStringLiteral("unix:tmpdir=/tmp"));
    if (!peer.server->isConnected())
        fuzz::Fail("no peer-to-peer D-Bus server");
    peer.server->setAnonymousAuthenticationAllowed(true);
    peer.receiver = std::make_unique<Receiver>();
    bool connected = false;
    QObject::connect(peer.server.get(), &QDBusServer::newConnection, [&connected](const QDBusConnection& connection) {
        QDBusConnection(connection).registerVirtualObject(QLatin1String(kPath), ThePeer().receiver.get());
        connected = true;
    });
    DBusError error;
    dbus_error_init(&error);
    peer.client = dbus_connection_open_private(peer.server->address().toUtf8().constData(), &error);
    if (!peer.client)
        fuzz::Fail("cannot connect to the peer-to-peer D-Bus server");
    dbus_connection_set_exit_on_disconnect(peer.client, FALSE);
    if (!Pump([&connected] { return connected; }))
        fuzz::Fail("the peer-to-peer connection was not made");
}

void Put(QByteArray& bytes, std::uint32_t value) { bytes.append(reinterpret_cast<const char*>(&value), 4); }

void Align(QByteArray& bytes, int to) {
    while (bytes.size() % to != 0)
        bytes.append('\0');
}

// One header field of a string type: its code, its signature, its value.
void Field(QByteArray& bytes, char code, char type, const QByteArray& value) {
    Align(bytes, 8);
    bytes.append(code);
    bytes.append('\1');
    bytes.append(type);
    bytes.append('\0');
    if (type == 'g') {
        bytes.append(static_cast<char>(value.size()));
    } else {
        Align(bytes, 4);
        Put(bytes, static_cast<std::uint32_t>(value.size()));
    }
    bytes.append(value);
    bytes.append('\0');
}

// A method call without reply to the portal's path, as the wire carries it.
QByteArray WireMessage(const QByteArray& signature, QByteArrayView body) {
    QByteArray fields;
    Field(fields, 1, 'o', kPath);
    Field(fields, 3, 's', kAnswer);
    if (!signature.isEmpty())
        Field(fields, 8, 'g', signature);
    QByteArray message;
    message.append("l\1\1\1", 4);  // little endian, method call, no reply expected, version 1
    Put(message, static_cast<std::uint32_t>(body.size()));
    Put(message, 1);  // serial
    Put(message, static_cast<std::uint32_t>(fields.size()));
    Align(message, 8);
    message.append(fields);
    Align(message, 8);
    message.append(body.data(), body.size());
    return message;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::StartApplication(argc, argv);
    Connect();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size - 1 < data[0])
        return 0;
    const QByteArray signature(reinterpret_cast<const char*>(data + 1), data[0]);
    const QByteArrayView body(data + 1 + data[0], static_cast<qsizetype>(size - 1 - data[0]));
    const QByteArray wire = WireMessage(signature, body);
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* message = dbus_message_demarshal(wire.constData(), static_cast<int>(wire.size()), &error);
    if (!message) {
        dbus_error_free(&error);
        return 0;
    }
    DBusMessage* sentinel = dbus_message_new_method_call(nullptr, kPath, nullptr, kSentinel);
    dbus_message_set_no_reply(sentinel, TRUE);
    Peer& peer = ThePeer();
    peer.receiver->sentinelSeen = false;
    dbus_connection_send(peer.client, message, nullptr);
    dbus_connection_send(peer.client, sentinel, nullptr);
    dbus_message_unref(message);
    dbus_message_unref(sentinel);
    if (!Pump([&peer] { return peer.receiver->sentinelSeen; }))
        fuzz::Fail("a message sent after the answer never arrived");
    return 0;
}
