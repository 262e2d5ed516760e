#include "platform/portal/PortalShortcutCapture.h"

#include "platform/portal/PortalRequest.h"
#include "platform/portal/ShortcutNames.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>

#include <cstdio>

namespace {

// One entry of BindShortcuts' a(sa{sv}).
struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const Shortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Shortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

}  // namespace

Q_DECLARE_METATYPE(Shortcut)

namespace orvexa::platform::portal {

namespace {

constexpr const char* kGlobalShortcuts = "org.freedesktop.portal.GlobalShortcuts";

void RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<Shortcut>();
        qDBusRegisterMetaType<QList<Shortcut>>();
        return true;
    }();
    (void)registered;
}

}  // namespace

bool GlobalShortcutsAvailable(const QDBusConnection& bus) {
    return PortalInterfaceVersion(bus, QLatin1String(kGlobalShortcuts)) >= 1;
}

PortalShortcutCapture::PortalShortcutCapture(QDBusConnection bus) : bus_(std::move(bus)) { RegisterTypes(); }

PortalShortcutCapture::~PortalShortcutCapture() {
    Stop();
    CloseSession(bus_, session_.path());
}

bool PortalShortcutCapture::Start(Callback callback) {
    {
        const std::lock_guard lock(mutex_);
        if (started_ || !bus_.isConnected())
            return false;
    }
    if (!bus_.connect(QLatin1String(kService), QLatin1String(kObjectPath), QLatin1String(kGlobalShortcuts),
                      QStringLiteral("Activated"), this, SLOT(Activated(QDBusMessage))))
        return false;
    const std::lock_guard lock(mutex_);
    callback_ = std::move(callback);
    started_ = true;
    return true;
}

void PortalShortcutCapture::Stop() {
    {
        const std::lock_guard lock(mutex_);
        if (!started_)
            return;
        started_ = false;
        callback_ = nullptr;
    }
    bus_.disconnect(QLatin1String(kService), QLatin1String(kObjectPath), QLatin1String(kGlobalShortcuts),
                    QStringLiteral("Activated"), this, SLOT(Activated(QDBusMessage)));
}

bool PortalShortcutCapture::EnsureSession() {
    if (!session_.path().isEmpty())
        return true;
    PortalRequest request(bus_);
    const PortalResponse created = request.Call(
        QLatin1String(kGlobalShortcuts), QStringLiteral("CreateSession"),
        {QVariantMap{{QStringLiteral("session_handle_token"), PortalRequest::NewToken()}}}, RequestTimeoutMs);
    if (!created.Succeeded())
        return false;
    session_ = QDBusObjectPath(created.results.value(QStringLiteral("session_handle")).toString());
    return !session_.path().isEmpty();
}

void PortalShortcutCapture::SetWantedKeys(const QStringList& keyNames) {
    {
        const std::lock_guard lock(mutex_);
        wanted_ = keyNames;
        if (!started_)
            return;
    }
    // Shortcuts stay bound for the session; only names not bound before are
    // new to the desktop.
    QList<Shortcut> shortcuts;
    for (const QString& name : keyNames) {
        const QString trigger = TriggerOf(name);
        if (trigger.isEmpty() || bound_.contains(name))
            continue;
        shortcuts.append({name, QVariantMap{{QStringLiteral("description"), QStringLiteral("Orvexa: %1").arg(name)},
                                            {QStringLiteral("preferred_trigger"), trigger}}});
    }
    if (shortcuts.isEmpty())
        return;
    if (!EnsureSession()) {
        std::fprintf(stderr, "The desktop's global-shortcut portal made no session: KEY binds are not armed\n");
        return;
    }
    PortalRequest request(bus_);
    const PortalResponse bound = request.Call(
        QLatin1String(kGlobalShortcuts), QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(session_), QVariant::fromValue(shortcuts), QString(), QVariantMap()}, RequestTimeoutMs);
    if (!bound.Succeeded())
        return;
    for (const Shortcut& shortcut : shortcuts)
        bound_.append(shortcut.id);
}

void PortalShortcutCapture::Activated(const QDBusMessage& message) {
    // (session_handle o, shortcut_id s, timestamp t, options a{sv})
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    const QDBusObjectPath session = arguments.at(0).value<QDBusObjectPath>();
    const QString id = arguments.at(1).toString();
    Callback callback;
    {
        const std::lock_guard lock(mutex_);
        if (!started_ || session != session_ || !wanted_.contains(id))
            return;
        callback = callback_;
    }
    const std::optional<NamedKey> key = ParseKeyName(id);
    if (!key || !callback)
        return;
    KeyEvent press;
    press.virtualKey = key->virtualKey;
    press.flags = KeyEvent::kRepeatCountOne | (key->modifiers.alt ? KeyEvent::kAltDownBit : 0);
    press.modifiers = key->modifiers;
    callback(press);
    KeyEvent release = press;
    release.flags |= KeyEvent::kPreviousStateBit | KeyEvent::kReleasedBit;
    callback(release);
}

}  // namespace orvexa::platform::portal
