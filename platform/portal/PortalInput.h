#pragma once

#include "platform/InputSynth.h"
#include "platform/ScreenCast.h"

#include <QDBusConnection>
#include <QString>

#include <memory>
#include <mutex>

namespace orvexa::platform {
class KeyStore;
}

namespace orvexa::platform::portal {

// Whether the session bus has the desktop portal with a RemoteDesktop
// interface (running, or started on demand by the bus).
bool RemoteDesktopAvailable(const QDBusConnection& bus);

// Input through the desktop's RemoteDesktop portal, for Wayland sessions: a
// remote-desktop session with the keyboard and the pointer and a screen
// cast of the monitor (the pointer's absolute moves are made on its
// stream). The session is asked for at the first input of a bind's code
// (on the program's own thread), once per run: the
// desktop asks the user then, and an answer of no stands until the program
// ends (every later input throws orvexa::Exception saying so, without
// asking again). Where the portal can remember the permission (version 2
// and later), the restore token is kept in the key store, so that the user
// is asked once.
class PortalInput final : public InputSynth {
public:
    PortalInput(QDBusConnection bus, std::shared_ptr<KeyStore> keyStore);
    ~PortalInput() override;

    void MouseEvent(unsigned flags, std::int64_t dx, std::int64_t dy) override;
    void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, unsigned flags) override;
    std::uint16_t VkKeyScan(char32_t character) override;
    void CharacterEvent(char32_t character, bool press) override;
    void TypeText(std::u32string_view text, const Between& between) override;
    // The portal tells no cursor position: the last absolute position sent.
    ScreenPoint CursorPosition() override;

    // The session's screen cast of the monitor, for the screen's pixels:
    // one session, and one question to the user, for input and screen.
    // Starts the session when it is not yet; throws orvexa::Exception when
    // there is none.
    ScreenCastStream OpenScreenCast();

    // Where the restore token is kept.
    static QString RestoreTokenKey();
    // How long the desktop may take to answer a request (the user may be
    // asked meanwhile).
    int RequestTimeoutMs = 120000;

private:
    struct Session;
    // The started session; throws orvexa::Exception when there is none.
    Session& Started();
    void Notify(const QString& method, const QVariantList& arguments);

    // Script threads may send input too: one session is made, and the
    // session and the cursor are read and written under this lock.
    std::recursive_mutex mutex_;
    QDBusConnection bus_;
    std::shared_ptr<KeyStore> keyStore_;
    std::unique_ptr<Session> session_;
    QString refusal_;
    ScreenPoint cursor_;
};

}  // namespace orvexa::platform::portal
