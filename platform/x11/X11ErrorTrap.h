#pragma once

struct _XDisplay;
typedef struct _XDisplay Display;

namespace orvexa::platform::x11 {

// Xlib hands every X error of the process to one handler. Ours gives an
// error to the trap set on the display it happened on, if there is one,
// and writes any other to standard error; it never ends the process, as
// Xlib's own handler does.
//
// Puts that handler in place. Opening a display (X11Display) and setting a
// trap both do, so that a library that put a handler of its own there
// meanwhile (Qt's X11 platform does when it starts) cannot keep an error
// from its trap.
void InstallErrorHandler();

// Catches the X errors of the requests made on one display while it lives,
// so that a request that may fail can be tried: those errors are neither
// reported nor fatal, and the trap tells whether there was one. Errors of
// requests made before it was set are not its own, even when they arrive
// while it lives. Set it on the thread that makes the requests, on a
// display that stays open longer. Traps may nest on one display (a request
// belongs to the innermost trap set before it); traps on other displays, on
// other threads, never see its errors nor it theirs.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    // Waits for the answers to every request made so far: the errors of the
    // trap's requests still on their way are its own too.
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits until the server has answered every request made so far, then
    // gives the code of the first error caught (BadWindow, BadMatch...); 0
    // when none of the requests failed.
    int FirstError();
    bool Failed() { return FirstError() != 0; }

private:
    friend struct ErrorRouting;

    Display* display_;
    unsigned long firstRequest_;  // the serial number of its first request
    int firstError_ = 0;          // written by the handler, under the routing's lock
};

}  // namespace orvexa::platform::x11
