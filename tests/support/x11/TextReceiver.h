#pragma once

#include "platform/x11/X11Display.h"

#include <QString>

#include <atomic>
#include <mutex>
#include <thread>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace orvexa::platform {

// A plain X client's window that takes the keyboard focus and collects the
// text typed into it, by a thread that reads each event as it arrives (as a
// program's event loop does). Keys are decoded as today's toolkits decode
// them: with the server's keymap read by libxkbcommon, read again whenever
// the server says that the keyboard or a key's mapping changed; BackSpace
// takes back the last character, as in a text field. For tests of
// typing: the receiving end of another program, on a connection of its own.
class TextReceiver {
public:
    TextReceiver();  // connects to the display named by DISPLAY, shows and focuses the window
    ~TextReceiver();
    TextReceiver(const TextReceiver&) = delete;
    TextReceiver& operator=(const TextReceiver&) = delete;

    bool Ok() const { return window_ != 0; }
    QString Text() const;
    // How many keys that type arrived with Control or Alt held.
    int KeysWithControlOrAlt() const;
    void Clear();

private:
    void Read();
    void ReadKeymap();
    QString Decode(unsigned keycode, unsigned state) const;

    x11::X11Display display_;
    int xkbEventBase_ = -1;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    unsigned long window_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    QString text_;
    int keysWithControlOrAlt_ = 0;
    std::thread reader_;
};

}  // namespace orvexa::platform
