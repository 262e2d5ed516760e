#pragma once

#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvexa::platform {

// The modifiers that were down at the moment of one key event, as the
// capture tracked them from the events it saw. Naming a key press from this
// snapshot, rather than from the keyboard as it is when the press is finally
// handled, keeps a fast Ctrl+Shift+A typed while the GUI thread is busy
// named CONTROL-SHIFT-A.
struct KeyModifiers {
    bool shift = false;
    bool control = false;
    bool alt = false;
    // The Super (Windows) key: no KEY name has it, a HOTKEY may.
    bool super = false;

    friend bool operator==(const KeyModifiers&, const KeyModifiers&) = default;
};

// A key combination as hot keys are written: a key by its virtual-key code
// and the modifiers held with it.
struct KeyCombination {
    std::uint32_t virtualKey = 0;
    KeyModifiers modifiers;

    friend bool operator==(const KeyCombination&, const KeyCombination&) = default;
};

// One key event in Windows terms: the virtual-key code and the keystroke
// flags of a WM_KEYDOWN/WM_KEYUP lParam (repeat count 1, bit 29 Alt down,
// bit 30 the key's previous state, bit 31 set on release).
struct KeyEvent {
    std::uint32_t virtualKey = 0;
    std::uint32_t flags = 0;
    KeyModifiers modifiers;

    bool Released() const { return (flags & kReleasedBit) != 0; }
    bool WasDown() const { return (flags & kPreviousStateBit) != 0; }

    static constexpr std::uint32_t kRepeatCountOne = 1;
    static constexpr std::uint32_t kAltDownBit = 1u << 29;
    static constexpr std::uint32_t kPreviousStateBit = 1u << 30;
    static constexpr std::uint32_t kReleasedBit = 1u << 31;
};

// What one key press or mouse click of the user did to the text being typed,
// as a typing watch reports it (KeyCapture::SetTypingWatch).
struct Typing {
    enum class Kind {
        // A key press that typed `text`: the characters as the layout, its
        // levels and its dead keys make them ("\b" for BackSpace, "\r" for
        // Return); empty for a key that types nothing (an arrow, F5).
        Typed,
        // A modifier key, or a dead key waiting for the next: nothing typed
        // yet, the text as it was.
        Pending,
        // A mouse button pressed (not the wheel): the caret may be elsewhere.
        Click,
    };
    Kind kind = Kind::Typed;
    std::u32string text;
    // The modifiers held with the key (AltGr is none of them).
    KeyModifiers modifiers;
    // The top-level window that held the keyboard focus at the press (the
    // focus may lie on a window inside it); a change of it means the text
    // went elsewhere.
    std::uint64_t focus = 0;
};

// A global key capture: reports every key event on the desktop, whichever
// window it goes to. The keystrokes it reports are the user's typing: a
// backend never stores, logs or prints them, and holds nothing once stopped.
class KeyCapture {
public:
    using Callback = std::function<void(const KeyEvent&)>;

    KeyCapture() = default;
    KeyCapture(const KeyCapture&) = delete;
    KeyCapture& operator=(const KeyCapture&) = delete;
    virtual ~KeyCapture() = default;

    // Starts reporting every key event to callback, which may be called on a
    // thread of the backend's own and must return at once. When Start
    // returns true the capture is live: every later key event is reported.
    // False when no capture can be had (no display, no capture extension, or
    // already started); nothing is reported then.
    virtual bool Start(Callback callback) = 0;

    // Stops reporting. When Stop returns the callback is not called again
    // and the capture holds no key state. Stopping a stopped capture does
    // nothing.
    virtual void Stop() = 0;

    // The key names that the running script's KEY binds listen for
    // ("CONTROL-SHIFT-A", "F1"...); empty when no script runs. A capture
    // that sees every key needs no list; one that sees only the shortcuts it
    // registered with the desktop registers these.
    virtual void SetWantedKeys(const QStringList& keyNames) { (void)keyNames; }

    // What the user should be told about the keys last wanted (which ones
    // the desktop bound, which ones fire another way or not at all); empty
    // when there is nothing to tell.
    virtual QString WantedKeysNotice() const { return {}; }

    // Whether wanting keys makes the desktop ask the user (a portal's
    // dialog) instead of their being seen at once.
    virtual bool AsksTheDesktop() const { return false; }

    // The combinations the running script's HOTKEY binds take: while set,
    // a capture that can keeps them from the focused window (X11: a passive
    // grab), and reports their presses as every key's; empty gives them
    // back. Returns those another program holds, which the capture only
    // sees, as it sees every key. A capture that cannot take keys takes none
    // and returns none.
    virtual std::vector<KeyCombination> SetTakenKeys(const std::vector<KeyCombination>& combinations) {
        (void)combinations;
        return {};
    }

    // While set, each key press and mouse click of the user is also reported
    // as what it typed (callback called on a thread of the backend's own,
    // and must return at once); the keys the program itself synthesizes are
    // not. Unset (an empty callback) when no script with TEXT binds runs:
    // once this returns, the callback is not called again and the capture
    // holds nothing of what was typed. False when this capture cannot watch
    // typing (no capture running, or a desktop that shows it no key
    // stream); nothing is reported then.
    using TypingCallback = std::function<void(const Typing&)>;
    virtual bool SetTypingWatch(const TypingCallback& callback) {
        (void)callback;
        return false;
    }
};

}  // namespace orvexa::platform
