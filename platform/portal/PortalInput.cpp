#include "platform/portal/PortalInput.h"

#include "core/Exception.h"
#include "platform/KeyStore.h"
#include "platform/portal/EvdevKeys.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/ScreenCastStreams.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QThread>

#include <cmath>

namespace orvexa::platform::portal {

namespace {

constexpr const char* kRemoteDesktop = "org.freedesktop.portal.RemoteDesktop";
constexpr uint kKeyboard = 1;
constexpr uint kPointer = 2;
constexpr uint kPersistUntilRevoked = 2;

QString RefusalText(const PortalResponse& response) {
    if (!response.answered)
        return QStringLiteral("The desktop's remote-desktop portal is not available: %1").arg(response.failure);
    if (response.code == 1)
        return QStringLiteral("Remote control of the desktop was not allowed; restart Orvexa to be asked again");
    return QStringLiteral("The desktop's remote-desktop portal ended the request");
}

}  // namespace

bool RemoteDesktopAvailable(const QDBusConnection& bus) {
    return PortalInterfaceVersion(bus, QLatin1String(kRemoteDesktop)) >= 1;
}

struct PortalInput::Session {
    QDBusObjectPath handle;
    std::optional<PortalStream> stream;
    bool cursorMetadata = false;
};

PortalInput::PortalInput(QDBusConnection bus, std::shared_ptr<KeyStore> keyStore)
    : bus_(std::move(bus)), keyStore_(std::move(keyStore)) {}

PortalInput::~PortalInput() {
    if (session_)
        CloseSession(bus_, session_->handle.path());
}

QString PortalInput::RestoreTokenKey() { return QStringLiteral("\\Software\\Orvexa\\RemoteDesktop\\RestoreToken"); }

PortalInput::Session& PortalInput::Started() {
    const std::lock_guard lock(mutex_);
    if (session_)
        return *session_;
    if (!refusal_.isEmpty())
        throw Exception(refusal_);
    // The desktop's answers arrive through the program's event loop, which
    // runs on its own thread: a script's thread cannot wait for them.
    if (const QCoreApplication* app = QCoreApplication::instance(); app && QThread::currentThread() != app->thread())
        throw Exception(
            QStringLiteral("The remote-desktop session starts with the first key or click of a bind's "
                           "own code, not of a thread the script started"));
    auto refuse = [this](const PortalResponse& response) -> Session& {
        refusal_ = RefusalText(response);
        throw Exception(refusal_);
    };

    PortalRequest request(bus_);
    const QString sessionToken = PortalRequest::NewToken();
    const PortalResponse created =
        request.Call(QLatin1String(kRemoteDesktop), QStringLiteral("CreateSession"),
                     {QVariantMap{{QStringLiteral("session_handle_token"), sessionToken}}}, RequestTimeoutMs);
    if (!created.Succeeded())
        return refuse(created);
    const QDBusObjectPath handle(created.results.value(QStringLiteral("session_handle")).toString());

    QVariantMap devices{{QStringLiteral("types"), kKeyboard | kPointer}};
    const bool persists = PortalInterfaceVersion(bus_, QLatin1String(kRemoteDesktop)) >= 2;
    if (persists) {
        devices.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
        if (keyStore_) {
            const QString token = keyStore_->ReadDefaultValue(RestoreTokenKey());
            if (!token.isEmpty())
                devices.insert(QStringLiteral("restore_token"), token);
        }
    }
    const PortalResponse selected = request.Call(QLatin1String(kRemoteDesktop), QStringLiteral("SelectDevices"),
                                                 {QVariant::fromValue(handle), devices}, RequestTimeoutMs);
    if (!selected.Succeeded())
        return refuse(selected);
    // The monitor, for the pointer's absolute moves and for the screen's
    // pixels (a remote desktop's screen cast cannot persist by itself: the
    // devices' permission carries it).
    bool cursorMetadata = false;
    const QVariantMap sourceOptions = MonitorSourceOptions(bus_, cursorMetadata);
    const PortalResponse sources = request.Call(QLatin1String(kScreenCast), QStringLiteral("SelectSources"),
                                                {QVariant::fromValue(handle), sourceOptions}, RequestTimeoutMs);
    if (!sources.Succeeded())
        return refuse(sources);
    const PortalResponse started =
        request.Call(QLatin1String(kRemoteDesktop), QStringLiteral("Start"),
                     {QVariant::fromValue(handle), QString(), QVariantMap()}, RequestTimeoutMs);
    if (!started.Succeeded())
        return refuse(started);
    if (persists && keyStore_) {
        const QString token = started.results.value(QStringLiteral("restore_token")).toString();
        if (!token.isEmpty()) {
            try {
                keyStore_->WriteDefaultValue(RestoreTokenKey(), token);
            } catch (const Exception&) {
                // Unkept, the user is asked again at the next run.
            }
        }
    }
    session_ = std::make_unique<Session>();
    session_->handle = handle;
    session_->stream = FirstStream(started.results.value(QStringLiteral("streams")));
    session_->cursorMetadata = cursorMetadata;
    return *session_;
}

void PortalInput::Notify(const QString& method, const QVariantList& arguments) {
    const std::lock_guard lock(mutex_);
    Session& session = Started();
    QVariantList all{QVariant::fromValue(session.handle), QVariantMap()};
    all.append(arguments);
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kObjectPath),
                                                       QLatin1String(kRemoteDesktop), method);
    call.setArguments(all);
    // In order on the one connection; no answer is waited for.
    bus_.send(call);
}

void PortalInput::MouseEvent(unsigned flags, std::int64_t dx, std::int64_t dy) {
    const std::lock_guard lock(mutex_);
    if (flags & kMouseMove) {
        if (flags & kMouseAbsolute) {
            Session& session = Started();
            if (!session.stream || session.stream->size.width <= 0 || session.stream->size.height <= 0)
                throw Exception(QStringLiteral("The desktop gave no screen to move the pointer on"));
            const double x = std::round(static_cast<double>(dx) * session.stream->size.width / 65535.0);
            const double y = std::round(static_cast<double>(dy) * session.stream->size.height / 65535.0);
            Notify(QStringLiteral("NotifyPointerMotionAbsolute"), {session.stream->node, x, y});
            cursor_ = {static_cast<int>(x), static_cast<int>(y)};
        } else {
            Notify(QStringLiteral("NotifyPointerMotion"), {static_cast<double>(dx), static_cast<double>(dy)});
            cursor_ = {cursor_.x + static_cast<int>(dx), cursor_.y + static_cast<int>(dy)};
        }
    }
    const std::pair<unsigned, std::pair<int, uint>> buttons[] = {
        {kMouseLeftDown, {kButtonLeft, 1}},     {kMouseLeftUp, {kButtonLeft, 0}},
        {kMouseRightDown, {kButtonRight, 1}},   {kMouseRightUp, {kButtonRight, 0}},
        {kMouseMiddleDown, {kButtonMiddle, 1}}, {kMouseMiddleUp, {kButtonMiddle, 0}},
    };
    for (const auto& [flag, button] : buttons)
        if (flags & flag)
            Notify(QStringLiteral("NotifyPointerButton"), {button.first, button.second});
}

void PortalInput::KeybdEvent(std::uint8_t virtualKey, std::uint8_t, unsigned flags) {
    const int key = EvdevKeyOf(virtualKey);
    if (key == 0)
        return;
    Notify(QStringLiteral("NotifyKeyboardKeycode"), {key, (flags & kKeyUp) ? 0u : 1u});
}

std::uint16_t PortalInput::VkKeyScan(char32_t character) { return UsVkKeyScan(character); }

void PortalInput::CharacterEvent(char32_t character, bool press) {
    Notify(QStringLiteral("NotifyKeyboardKeysym"), {KeysymOf(character), press ? 1u : 0u});
}

void PortalInput::TypeText(std::u32string_view text, const Between& between) {
    int sinceLastCall = 0;
    for (const char32_t character : text) {
        if (between && ++sinceLastCall >= 16) {
            sinceLastCall = 0;
            if (!between())
                return;
        }
        CharacterEvent(character, true);
        CharacterEvent(character, false);
    }
}

ScreenCastStream PortalInput::OpenScreenCast() {
    const std::lock_guard lock(mutex_);
    Session& session = Started();
    if (!session.stream)
        throw Exception(QStringLiteral("The desktop gave no screen to cast"));
    ScreenCastStream cast;
    cast.pipeWire = OpenPipeWireRemote(bus_, session.handle);
    cast.node = session.stream->node;
    cast.size = session.stream->size;
    cast.cursorMetadata = session.cursorMetadata;
    return cast;
}

ScreenPoint PortalInput::CursorPosition() {
    const std::lock_guard lock(mutex_);
    return cursor_;
}

}  // namespace orvexa::platform::portal
