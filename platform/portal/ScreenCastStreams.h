#pragma once

#include "platform/ScreenCast.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace orvexa::platform::portal {

inline constexpr const char* kScreenCast = "org.freedesktop.portal.ScreenCast";

// What a screen-cast portal session shares, whether a screen-cast session of
// its own or the screen cast of a remote-desktop session.

// SelectSources's options for one monitor, with the cursor as metadata of
// the stream where the portal offers that (cursor_mode, from version 2);
// `cursorMetadata` says whether it was asked for.
QVariantMap MonitorSourceOptions(const QDBusConnection& bus, bool& cursorMetadata);

// The first stream of Start's `streams` results, a(ua{sv}): its node and
// its size in the desktop's coordinates.
struct PortalStream {
    uint node = 0;
    ScreenSize size;
};
std::optional<PortalStream> FirstStream(const QVariant& streams);

// The PipeWire connection that carries the session's streams
// (OpenPipeWireRemote); throws orvexa::Exception when the portal gives none.
UniqueFd OpenPipeWireRemote(const QDBusConnection& bus, const QDBusObjectPath& session);

}  // namespace orvexa::platform::portal
