#pragma once

#include "platform/KeyCapture.h"
#include "platform/x11/X11Display.h"

#include <memory>
#include <vector>

class QSocketNotifier;

namespace orvexa::platform::x11 {

// Key combinations taken from whichever window has the focus: a passive grab
// on the root window for each combination, on a connection of its own, once
// for every state of the lock modifiers (Num Lock, Caps Lock, Scroll Lock),
// so that a combination is taken whatever the locks are; on the keys that
// are that key in every keyboard group (a key that is another in some group
// is only watched). The key events the grabs bring are read and dropped
// (the key capture reports the presses); destroying it gives every
// combination back. Used on the thread that made it, which runs a Qt event
// loop.
class KeyGrabs {
public:
    // Connects to the display named by DISPLAY and takes `combinations`;
    // those another client holds are left to it, and listed by Refused.
    // Null without a display or a keyboard map.
    static std::unique_ptr<KeyGrabs> Take(const std::vector<KeyCombination>& combinations);

    ~KeyGrabs();
    KeyGrabs(const KeyGrabs&) = delete;
    KeyGrabs& operator=(const KeyGrabs&) = delete;

    const std::vector<KeyCombination>& Refused() const { return refused_; }

private:
    explicit KeyGrabs(X11Display display);
    void DropEvents();

    X11Display display_;
    std::vector<KeyCombination> refused_;
    std::unique_ptr<QSocketNotifier> events_;
};

}  // namespace orvexa::platform::x11
