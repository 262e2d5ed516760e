#include "platform/portal/PortalShortcutCapture.h"

#include "core/Strings.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/PortalSession.h"
#include "platform/portal/ShortcutNames.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>

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

std::optional<QStringList> ListedShortcutIds(const QVariant& listed) {
    if (!listed.isValid())
        return std::nullopt;
    RegisterTypes();
    QStringList ids;
    for (const Shortcut& shortcut : qdbus_cast<QList<Shortcut>>(listed.value<QDBusArgument>()))
        ids.append(shortcut.id);
    return ids;
}

PortalShortcutCapture::PortalShortcutCapture(QDBusConnection bus, std::shared_ptr<KeyCapture> fallback)
    : bus_(std::move(bus)), fallback_(std::move(fallback)) {
    RegisterTypes();
}

PortalShortcutCapture::~PortalShortcutCapture() { Stop(); }

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
    FallBack({});
    bus_.disconnect(QLatin1String(kService), QLatin1String(kObjectPath), QLatin1String(kGlobalShortcuts),
                    QStringLiteral("Activated"), this, SLOT(Activated(QDBusMessage)));
}

QString PortalShortcutCapture::EnsureSession() {
    if (session_ && session_->Ended()) {
        // The desktop ended it: its shortcuts are gone with it.
        session_.reset();
        const std::lock_guard lock(mutex_);
        bound_.clear();
    }
    if (session_)
        return QString();
    PortalRequest request(bus_);
    const PortalResponse created = request.Call(
        QLatin1String(kGlobalShortcuts), QStringLiteral("CreateSession"),
        {QVariantMap{{QStringLiteral("session_handle_token"), PortalRequest::NewToken()}}}, RequestTimeoutMs);
    const QString handle = SessionHandleOf(created.results);
    if (!created.Succeeded() || handle.isEmpty())
        return created.failure.isEmpty() ? QStringLiteral("it made no session") : created.failure;
    session_ = std::make_unique<PortalSession>(bus_, handle);
    return QString();
}

QString PortalShortcutCapture::Bind(const QStringList& keyNames) {
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
        return QString();
    if (QString failure = EnsureSession(); !failure.isEmpty())
        return failure;
    PortalRequest request(bus_);
    const PortalResponse bound =
        request.Call(QLatin1String(kGlobalShortcuts), QStringLiteral("BindShortcuts"),
                     {QVariant::fromValue(session_->Path()), QVariant::fromValue(shortcuts), QString(), QVariantMap()},
                     RequestTimeoutMs);
    if (!bound.Succeeded())
        return bound.failure.isEmpty() ? QStringLiteral("it did not bind them") : bound.failure;
    // The results list the shortcuts the desktop bound (KDE Plasma 5.27
    // answers success with none); a portal that lists nothing at all bound
    // what it was given.
    const std::optional<QStringList> listed = ListedShortcutIds(bound.results.value(QStringLiteral("shortcuts")));
    const std::lock_guard lock(mutex_);
    if (listed) {
        for (const QString& id : *listed)
            bound_.insert(id);
    } else {
        for (const Shortcut& shortcut : shortcuts)
            bound_.insert(shortcut.id);
    }
    return QString();
}

void PortalShortcutCapture::SetWantedKeys(const QStringList& keyNames) {
    {
        const std::lock_guard lock(mutex_);
        wanted_ = keyNames;
        notice_.clear();
        if (!started_)
            return;
    }
    if (keyNames.isEmpty()) {
        FallBack({});
        return;
    }
    const QString failure = Bind(keyNames);
    QStringList bound;
    QStringList unbound;
    for (const QString& name : keyNames)
        (bound_.contains(name) ? bound : unbound).append(name);
    FallBack(unbound);
    QString notice;
    if (!bound.isEmpty())
        notice += strings::ShortcutsBound(bound) + u'\n';
    if (!unbound.isEmpty())
        notice += strings::ShortcutsUnbound(unbound, failure, fallbackStarted_) + u'\n';
    const std::lock_guard lock(mutex_);
    notice_ = notice;
}

QString PortalShortcutCapture::WantedKeysNotice() const {
    const std::lock_guard lock(mutex_);
    return notice_;
}

void PortalShortcutCapture::FallBack(const QStringList& names) {
    {
        const std::lock_guard lock(mutex_);
        fallbackNames_ = names;
    }
    if (!fallback_)
        return;
    if (names.isEmpty()) {
        if (fallbackStarted_)
            fallback_->Stop();
        fallbackStarted_ = false;
        return;
    }
    if (!fallbackStarted_)
        fallbackStarted_ = fallback_->Start([this](const KeyEvent& event) { FallbackEvent(event); });
}

void PortalShortcutCapture::FallbackEvent(const KeyEvent& event) {
    // The keys of the names the desktop bound come through the portal: the
    // fallback's would fire them twice.
    Callback callback;
    {
        const std::lock_guard lock(mutex_);
        if (!started_)
            return;
        for (const QString& name : bound_) {
            const std::optional<NamedKey> key = ParseKeyName(name);
            if (key && key->virtualKey == event.virtualKey && key->modifiers == event.modifiers &&
                wanted_.contains(name))
                return;
        }
        callback = callback_;
    }
    if (callback)
        callback(event);
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
        if (!started_ || !session_ || session.path() != session_->Path().path() || !wanted_.contains(id))
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
