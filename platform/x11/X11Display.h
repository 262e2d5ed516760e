#pragma once

struct _XDisplay;
typedef struct _XDisplay Display;

namespace orvexa::platform::x11 {

// One connection to an X display, closed when its owner lets go of it. It
// moves from owner to owner and is never copied, so that exactly one
// XCloseDisplay ends each XOpenDisplay.
//
// Opening it puts the program's X error handler in place (X11ErrorTrap.h):
// Xlib's own ends the process at the first failed request. Every error trap
// on the connection must end before the connection is closed.
class X11Display {
public:
    // Holds no connection.
    X11Display() = default;

    // Connects to the display named by DISPLAY; holds no connection when
    // there is none or it cannot be reached.
    static X11Display Open();

    X11Display(X11Display&& other) noexcept;
    X11Display& operator=(X11Display&& other) noexcept;
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;
    ~X11Display();

    Display* get() const { return display_; }
    explicit operator bool() const { return display_ != nullptr; }

    // Closes the connection now; the object holds none afterwards.
    void Close();

private:
    explicit X11Display(Display* display) : display_(display) {}

    Display* display_ = nullptr;
};

}  // namespace orvexa::platform::x11
