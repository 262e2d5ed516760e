#pragma once

#include "platform/InputSynth.h"
#include "platform/ScreenCast.h"

#include <QDBusConnection>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace orvexa::platform {
class KeyStore;
}

namespace orvexa::platform::portal {

// Whether the session bus has the desktop portal with a RemoteDesktop
// interface (running, or started on demand by the bus).
bool RemoteDesktopAvailable(const QDBusConnection& bus);

// Whether the desktop's keyboard map types a keysym, from one reading of the
// map.
using KeysymCheck = std::function<bool(std::uint32_t keysym)>;
// Reads the desktop's keyboard map now (the user may change layouts); an
// empty check where it cannot be read.
using KeymapReader = std::function<KeysymCheck()>;

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
//
// Every input call waits for the portal's answer: calls sent without
// waiting may be forwarded out of order (a key's release before its
// press), and a call the desktop refuses raises its reason. Input of a kind
// the user did not allow (GNOME shares the screen alone unless "Allow
// remote interaction" is switched on) raises before anything is sent. A
// session the desktop ends (the user stopped the sharing) makes input raise
// until the next run (NewRun), which asks anew.
//
// The desktop types a character only where its keyboard map has a key for
// the character's keysym, and drops the others without a word: text with
// such characters raises, naming them, before any of it is typed (where
// the map can be read: `keymap`).
class PortalInput final : public InputSynth {
public:
    PortalInput(QDBusConnection bus, std::shared_ptr<KeyStore> keyStore, KeymapReader keymap = {});
    ~PortalInput() override;

    void MouseEvent(unsigned flags, std::int64_t dx, std::int64_t dy) override;
    void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, unsigned flags) override;
    std::uint16_t VkKeyScan(char32_t character) override;
    void CharacterEvent(char32_t character, bool press) override;
    void TypeText(std::u32string_view text, const Between& between) override;
    // The portal tells no cursor position: the last absolute position sent.
    ScreenPoint CursorPosition() override;
    bool KnowsCursor() override;

    // The session's screen cast of the monitor, for the screen's pixels:
    // one session, and one question to the user, for input and screen.
    // Starts the session when it is not yet; throws orvexa::Exception when
    // there is none.
    ScreenCastStream OpenScreenCast();

    // A run starts: a session the desktop ended, or one without keyboard and
    // pointer, is let go of, so that the next input asks the desktop anew.
    void NewRun();

    // Where the restore token is kept.
    static QString RestoreTokenKey();
    // How long the desktop may take to answer a request (the user may be
    // asked meanwhile).
    int RequestTimeoutMs = 120000;

private:
    struct Session;
    // The started session; throws orvexa::Exception when there is none.
    Session& Started();
    Session& Start();
    // Sends one input call and waits for its answer; `device` is the device
    // type it needs.
    void Notify(unsigned device, const QString& method, const QVariantList& arguments);
    // Sends one input call of the session and waits for its answer.
    void Send(Session& session, const QString& method, const QVariantList& arguments);
    // Starts the session (its keyboard first gives the desktop's seat a
    // keyboard map) and raises when the text has a character the map
    // cannot type, or when keys are not allowed.
    void CheckTypeable(std::u32string_view text);

    // Script threads may send input too: one session is made, and the
    // session and the cursor are read and written under this lock.
    std::recursive_mutex mutex_;
    QDBusConnection bus_;
    std::shared_ptr<KeyStore> keyStore_;
    KeymapReader keymap_;
    std::unique_ptr<Session> session_;
    // The session is being asked for (a timer's code may press meanwhile).
    bool starting_ = false;
    QString refusal_;
    // Why input stands still until the next run.
    QString ended_;
    // Where the last absolute move put the pointer (moves by an offset
    // from an unknown place leave it unknown).
    std::optional<ScreenPoint> cursor_;
};

}  // namespace orvexa::platform::portal
