#pragma once

#include "platform/x11/X11Display.h"

#include <chrono>
#include <map>

namespace orvexa::platform::x11 {

// Asks the program that has the keyboard focus whether it has handled every
// event sent to it so far: a _NET_WM_PING to its top-level window, which the
// program answers from its event loop once it has handled all that came
// before (GTK, Qt, browsers... answer; xterm, Tk and plain Xlib programs do
// not). On a connection of its own, which reads nothing but the answers.
//
// Not thread-safe: its owner serialises the calls. `Descriptor` may be
// polled without that, to wait for an answer.
class FocusPing {
public:
    using Clock = std::chrono::steady_clock;

    FocusPing();  // connects to the display named by DISPLAY
    FocusPing(const FocusPing&) = delete;
    FocusPing& operator=(const FocusPing&) = delete;

    // Pings the program with the focus now. False when there is none, or it
    // answers no ping (nor this process, whose answers would wait for the
    // thread that types): nothing will tell when it has read its events.
    bool Send();
    // Reads what arrived: whether a ping sent at or after `since` was
    // answered.
    bool AnsweredSince(Clock::time_point since);
    // The connection's file descriptor, readable when something arrived;
    // -1 without a display.
    int Descriptor() const;

private:
    // The top-level window of the focus, when its program answers pings.
    unsigned long PingableFocus();

    X11Display display_;
    unsigned long root_ = 0;
    unsigned long protocolsAtom_ = 0;
    unsigned long pingAtom_ = 0;
    unsigned long pidAtom_ = 0;
    unsigned long nextId_ = 1;
    // The pings on their way: id -> when sent.
    std::map<unsigned long, Clock::time_point> unanswered_;
    Clock::time_point answeredSentAt_{};
};

}  // namespace orvexa::platform::x11
