#pragma once

#include "platform/InputSynth.h"

#include <functional>
#include <map>
#include <memory>

struct _XDisplay;
typedef struct _XDisplay Display;
union _XEvent;

namespace orvexa::platform::x11 {

// One Xlib connection to the display, shared by the input synthesis and the
// screen. Used from the GUI thread only.
//
// Xlib's default error handler ends the process (a pixel read outside the
// screen raises BadMatch), so opening the first connection installs a
// handler of our own that lets errors pass: a request that failed shows in
// its result (no image, for the pixel read). Qt's X11 platform, started
// later, installs a handler of the same kind in its place.
class X11Connection {
public:
    // Opens the display named by DISPLAY, trying `attempts` times, the pause
    // between doubling from 100 ms; nullptr when it cannot be reached (at
    // once when DISPLAY names none).
    static std::shared_ptr<X11Connection> Open(int attempts = 1);

    explicit X11Connection(Display* display);
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;
    ~X11Connection();

    Display* display() const { return display_; }

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
    Display* display_;
    std::map<int, EventHandler> handlers_;
    int nextHandler_ = 1;
};

// The pointer's position on the root window of the display's screen.
ScreenPoint PointerPosition(Display* display);

}  // namespace orvexa::platform::x11
