#pragma once

#include <memory>

struct _XDisplay;
typedef struct _XDisplay Display;

namespace orvexa::platform::x11 {

// One Xlib connection to the display, shared by the input synthesis and the
// screen. Used from the GUI thread only.
//
// Xlib's default error handler ends the process (a pixel read outside the
// screen raises BadMatch), so opening the first connection installs a
// handler of our own that reports errors instead.
class X11Connection {
public:
    // Opens the display named by DISPLAY; nullptr when there is none.
    static std::shared_ptr<X11Connection> Open();

    explicit X11Connection(Display* display);
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;
    ~X11Connection();

    Display* display() const { return display_; }

    // Number of X errors reported for this connection so far.
    unsigned long ErrorCount() const;

private:
    Display* display_;
};

}  // namespace orvexa::platform::x11
