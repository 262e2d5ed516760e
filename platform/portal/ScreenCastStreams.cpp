#include "platform/portal/ScreenCastStreams.h"

#include "core/Exception.h"
#include "platform/portal/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>

namespace orvexa::platform::portal {

namespace {
constexpr uint kMonitor = 1;
constexpr uint kCursorMetadata = 4;
}  // namespace

QVariantMap MonitorSourceOptions(const QDBusConnection& bus, bool& cursorMetadata) {
    QVariantMap options{{QStringLiteral("types"), kMonitor}};
    const QString interface = QLatin1String(kScreenCast);
    // Asking for a cursor mode the portal does not list ends the session.
    cursorMetadata = PortalInterfaceVersion(bus, interface) >= 2 &&
                     (PortalProperty(bus, interface, QStringLiteral("AvailableCursorModes")) & kCursorMetadata);
    if (cursorMetadata)
        options.insert(QStringLiteral("cursor_mode"), kCursorMetadata);
    return options;
}

std::optional<PortalStream> FirstStream(const QVariant& streams) {
    if (!streams.canConvert<QDBusArgument>())
        return std::nullopt;
    const QDBusArgument argument = streams.value<QDBusArgument>();
    std::optional<PortalStream> first;
    argument.beginArray();
    while (!argument.atEnd()) {
        uint node = 0;
        QVariantMap properties;
        argument.beginStructure();
        argument >> node >> properties;
        argument.endStructure();
        if (first)
            continue;
        PortalStream stream;
        stream.node = node;
        const QVariant size = properties.value(QStringLiteral("size"));
        if (size.canConvert<QDBusArgument>()) {
            const QDBusArgument pair = size.value<QDBusArgument>();
            pair.beginStructure();
            pair >> stream.size.width >> stream.size.height;
            pair.endStructure();
        }
        first = stream;
    }
    argument.endArray();
    return first;
}

UniqueFd OpenPipeWireRemote(const QDBusConnection& bus, const QDBusObjectPath& session) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kObjectPath), QLatin1String(kScreenCast),
                                       QStringLiteral("OpenPipeWireRemote"));
    call.setArguments({QVariant::fromValue(session), QVariantMap()});
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        throw Exception(QStringLiteral("The desktop's screen-cast portal gave no PipeWire connection: %1")
                            .arg(reply.errorMessage()));
    const auto descriptor = qdbus_cast<QDBusUnixFileDescriptor>(reply.arguments().first());
    // The message's descriptor closes with it: this one is ours.
    const int fd = descriptor.isValid() ? ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 0) : -1;
    if (fd < 0)
        throw Exception(QStringLiteral("The desktop's screen-cast portal gave no PipeWire connection"));
    return UniqueFd(fd);
}

}  // namespace orvexa::platform::portal
