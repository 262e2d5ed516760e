#include "platform/portal/PortalInput.h"

#include "core/Exception.h"
#include "core/Strings.h"
#include "platform/KeyStore.h"
#include "platform/portal/EvdevKeys.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/PortalSession.h"
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
// An input call is answered at once; more than this is a portal gone wrong.
constexpr int kNotifyTimeoutMs = 5000;
// The left Shift key's evdev code.
constexpr int kShiftKey = 42;

QString Permission() { return QStringLiteral("control the desktop and see the screen"); }

// Why there is no session; whether it stands for the rest of the program.
Exception Refusal(const PortalResponse& response, int timeoutMs, bool& stands) {
    stands = false;
    if (response.closing)
        return Exception(response.failure);
    if (response.unanswered)
        return Exception(strings::PortalUnanswered(Permission(), timeoutMs / 1000));
    stands = true;
    if (!response.answered)
        return Exception(
            QStringLiteral("The desktop's remote-desktop portal is not available: %1").arg(response.failure));
    if (response.code == 1)
        return Exception(
            QStringLiteral("Remote control of the desktop was not allowed; restart Orvexa to be asked again"));
    return Exception(QStringLiteral("The desktop's remote-desktop portal ended the request"));
}

// A character as the user reads it, with its code point.
QString Quoted(char32_t character) {
    QString code = QStringLiteral("U+%1").arg(static_cast<uint>(character), 4, 16, QChar(u'0')).toUpper();
    if (character < 0x20 || character == 0x7f)
        return code;
    return QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&character, 1), code);
}

}  // namespace

bool RemoteDesktopAvailable(const QDBusConnection& bus) {
    return PortalInterfaceVersion(bus, QLatin1String(kRemoteDesktop)) >= 1;
}

struct PortalInput::Session {
    std::unique_ptr<PortalSession> portal;
    std::optional<PortalStream> stream;
    bool cursorMetadata = false;
    // The device types the user allowed.
    uint devices = 0;
};

PortalInput::PortalInput(QDBusConnection bus, std::shared_ptr<KeyStore> keyStore, KeymapReader keymap)
    : bus_(std::move(bus)), keyStore_(std::move(keyStore)), keymap_(std::move(keymap)) {}

PortalInput::~PortalInput() = default;

QString PortalInput::RestoreTokenKey() { return QStringLiteral("\\Software\\Orvexa\\RemoteDesktop\\RestoreToken"); }

PortalInput::Session& PortalInput::Started() {
    const std::lock_guard lock(mutex_);
    if (session_ && session_->portal->Ended()) {
        session_.reset();
        ended_ = strings::PortalSessionEnded(Permission());
    }
    if (session_)
        return *session_;
    if (!refusal_.isEmpty())
        throw Exception(refusal_);
    if (!ended_.isEmpty())
        throw Exception(ended_);
    // A timer's code that presses while the desktop asks the user (the
    // answer is waited for in the program's event loop) makes no second
    // session.
    if (starting_)
        throw Exception(strings::PortalStillAsking(Permission()));
    // The desktop's answers arrive through the program's event loop, which
    // runs on its own thread: a script's thread cannot wait for them.
    if (const QCoreApplication* app = QCoreApplication::instance(); app && QThread::currentThread() != app->thread())
        throw Exception(
            QStringLiteral("The remote-desktop session starts with the first key or click of a bind's "
                           "own code, not of a thread the script started"));
    starting_ = true;
    try {
        Session& started = Start();
        starting_ = false;
        // GNOME drops the first key event of a new keyboard: a Shift
        // tapped now takes that place, not the script's first key.
        if (started.devices & kKeyboard) {
            Send(started, QStringLiteral("NotifyKeyboardKeycode"), {kShiftKey, 1u});
            Send(started, QStringLiteral("NotifyKeyboardKeycode"), {kShiftKey, 0u});
        }
        return started;
    } catch (...) {
        starting_ = false;
        throw;
    }
}

PortalInput::Session& PortalInput::Start() {
    auto refuse = [this](const PortalResponse& response) -> Session& {
        bool stands = false;
        Exception refusal = Refusal(response, RequestTimeoutMs, stands);
        if (stands)
            refusal_ = refusal.Message();
        throw refusal;
    };

    PortalRequest request(bus_);
    const QString sessionToken = PortalRequest::NewToken();
    const PortalResponse created =
        request.Call(QLatin1String(kRemoteDesktop), QStringLiteral("CreateSession"),
                     {QVariantMap{{QStringLiteral("session_handle_token"), sessionToken}}}, RequestTimeoutMs);
    if (!created.Succeeded())
        return refuse(created);
    auto session = std::make_unique<Session>();
    // Closed again when a later step fails (a request left open has been
    // closed before).
    session->portal = std::make_unique<PortalSession>(bus_, SessionHandleOf(created.results));
    const QDBusObjectPath handle = session->portal->Path();

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
    const QVariantMap sourceOptions = MonitorSourceOptions(bus_, session->cursorMetadata);
    const PortalResponse sources = request.Call(QLatin1String(kScreenCast), QStringLiteral("SelectSources"),
                                                {QVariant::fromValue(handle), sourceOptions}, RequestTimeoutMs);
    if (!sources.Succeeded())
        return refuse(sources);
    const PortalResponse started =
        request.Call(QLatin1String(kRemoteDesktop), QStringLiteral("Start"),
                     {QVariant::fromValue(handle), QString(), QVariantMap()}, RequestTimeoutMs);
    if (!started.Succeeded())
        return refuse(started);
    // A portal that does not say what it granted granted what was asked.
    const QVariant granted = started.results.value(QStringLiteral("devices"));
    session->devices = granted.isValid() ? granted.toUInt() : kKeyboard | kPointer;
    const bool complete = (session->devices & (kKeyboard | kPointer)) == (kKeyboard | kPointer);
    if (persists && keyStore_) {
        // A permission without keyboard and pointer is not kept: the next
        // run asks again, so that the user can give them.
        const QString token = complete ? started.results.value(QStringLiteral("restore_token")).toString() : QString();
        try {
            if (!token.isEmpty())
                keyStore_->WriteDefaultValue(RestoreTokenKey(), token);
            else if (!complete)
                keyStore_->WriteDefaultValue(RestoreTokenKey(), QString());
        } catch (const Exception&) {
            // Unkept, the user is asked again at the next run.
        }
    }
    session->stream = FirstStream(started.results.value(QStringLiteral("streams")));
    session_ = std::move(session);
    return *session_;
}

void PortalInput::NewRun() {
    const std::lock_guard lock(mutex_);
    ended_.clear();
    if (session_ &&
        (session_->portal->Ended() || (session_->devices & (kKeyboard | kPointer)) != (kKeyboard | kPointer)))
        session_.reset();
}

void PortalInput::Notify(unsigned device, const QString& method, const QVariantList& arguments) {
    const std::lock_guard lock(mutex_);
    Session& session = Started();
    if (!(session.devices & device))
        throw Exception(strings::RemoteInteractionOff(device == kKeyboard));
    Send(session, method, arguments);
}

void PortalInput::Send(Session& session, const QString& method, const QVariantList& arguments) {
    QVariantList all{QVariant::fromValue(session.portal->Path()), QVariantMap()};
    all.append(arguments);
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kObjectPath),
                                                       QLatin1String(kRemoteDesktop), method);
    call.setArguments(all);
    // Each call waits for its answer: the portal may handle calls that
    // were not waited for out of order.
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kNotifyTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        if (session.portal->Ended())
            throw Exception(strings::PortalSessionEnded(Permission()));
        throw Exception(strings::PortalInputRefused(reply.errorMessage()));
    }
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
            Notify(kPointer, QStringLiteral("NotifyPointerMotionAbsolute"), {session.stream->node, x, y});
            cursor_ = {static_cast<int>(x), static_cast<int>(y)};
        } else {
            Notify(kPointer, QStringLiteral("NotifyPointerMotion"), {static_cast<double>(dx), static_cast<double>(dy)});
            if (cursor_)
                *cursor_ = {cursor_->x + static_cast<int>(dx), cursor_->y + static_cast<int>(dy)};
        }
    }
    const std::pair<unsigned, std::pair<int, uint>> buttons[] = {
        {kMouseLeftDown, {kButtonLeft, 1}},     {kMouseLeftUp, {kButtonLeft, 0}},
        {kMouseRightDown, {kButtonRight, 1}},   {kMouseRightUp, {kButtonRight, 0}},
        {kMouseMiddleDown, {kButtonMiddle, 1}}, {kMouseMiddleUp, {kButtonMiddle, 0}},
    };
    for (const auto& [flag, button] : buttons)
        if (flags & flag)
            Notify(kPointer, QStringLiteral("NotifyPointerButton"), {button.first, button.second});
}

void PortalInput::KeybdEvent(std::uint8_t virtualKey, std::uint8_t, unsigned flags) {
    const int key = EvdevKeyOf(virtualKey);
    if (key == 0)
        return;
    Notify(kKeyboard, QStringLiteral("NotifyKeyboardKeycode"), {key, (flags & kKeyUp) ? 0u : 1u});
}

std::uint16_t PortalInput::VkKeyScan(char32_t character) { return UsVkKeyScan(character); }

void PortalInput::CheckTypeable(std::u32string_view text) {
    {
        const std::lock_guard lock(mutex_);
        if (!(Started().devices & kKeyboard))
            throw Exception(strings::RemoteInteractionOff(true));
    }
    if (!keymap_)
        return;
    const KeysymCheck types = keymap_();
    if (!types)
        return;
    QStringList missing;
    for (const char32_t character : text) {
        const QString quoted = Quoted(character);
        if (!missing.contains(quoted) && !types(static_cast<std::uint32_t>(KeysymOf(character))))
            missing.append(quoted);
    }
    if (!missing.isEmpty())
        throw Exception(strings::UntypeableCharacters(missing));
}

void PortalInput::CharacterEvent(char32_t character, bool press) {
    CheckTypeable(std::u32string_view(&character, 1));
    Notify(kKeyboard, QStringLiteral("NotifyKeyboardKeysym"), {KeysymOf(character), press ? 1u : 0u});
}

void PortalInput::TypeText(std::u32string_view text, const Between& between) {
    CheckTypeable(text);
    int sinceLastCall = 0;
    for (const char32_t character : text) {
        if (between && ++sinceLastCall >= 16) {
            sinceLastCall = 0;
            if (!between())
                return;
        }
        Notify(kKeyboard, QStringLiteral("NotifyKeyboardKeysym"), {KeysymOf(character), 1u});
        Notify(kKeyboard, QStringLiteral("NotifyKeyboardKeysym"), {KeysymOf(character), 0u});
    }
}

ScreenCastStream PortalInput::OpenScreenCast() {
    const std::lock_guard lock(mutex_);
    Session& session = Started();
    if (!session.stream)
        throw Exception(QStringLiteral("The desktop gave no screen to cast"));
    ScreenCastStream cast;
    cast.pipeWire = OpenPipeWireRemote(bus_, session.portal->Path());
    cast.node = session.stream->node;
    cast.size = session.stream->size;
    cast.cursorMetadata = session.cursorMetadata;
    cast.live = [ended = session.portal->EndedFlag()] { return !*ended; };
    return cast;
}

ScreenPoint PortalInput::CursorPosition() {
    const std::lock_guard lock(mutex_);
    return cursor_.value_or(ScreenPoint{});
}

bool PortalInput::KnowsCursor() {
    const std::lock_guard lock(mutex_);
    return cursor_.has_value();
}

}  // namespace orvexa::platform::portal
