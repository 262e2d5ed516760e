#pragma once

#include "platform/InputSynth.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11ErrorTrap.h"

#include <functional>
#include <map>
#include <memory>

union _XEvent;

namespace orvexa::platform::x11 {

// One Xlib connection to the display, shared by the input synthesis and the
// screen. Used from the GUI thread only.
//
// Errors of its requests are expected where they happen and show in the
// requests' results (a pixel read outside the screen raises BadMatch and
// gives no image): an error trap that lives as long as the connection takes
// them all, so that none is reported or ends the process.
class X11Connection {
public:
    // Opens the display named by DISPLAY, trying `attempts` times, the pause
    // between doubling from 100 ms; nullptr when it cannot be reached (at
    // once when DISPLAY names none).
    static std::shared_ptr<X11Connection> Open(int attempts = 1);

    explicit X11Connection(X11Display display);
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    Display* display() const { return display_.get(); }

    // The users of the connection learn of configuration changes (screen
    // size, keyboard map, layout group) from events; each handler sees
    // every event read.
    using EventHandler = std::function<void(const _XEvent& event)>;
    int AddEventHandler(EventHandler handler);
    void RemoveEventHandler(int id);

    // Reads the events the server has sent so far, without waiting, and
    // hands each to every handler.
    void ProcessPendingEvents();

private:
    X11Display display_;
    // Set on the display after it opens; at the end it waits for the
    // answers still on their way, whose errors are its own too, before the
    // display closes.
    X11ErrorTrap expectedErrors_;
    std::map<int, EventHandler> handlers_;
    int nextHandler_ = 1;
};

// The pointer's position on the root window of the display's screen.
ScreenPoint PointerPosition(Display* display);

}  // namespace orvexa::platform::x11
