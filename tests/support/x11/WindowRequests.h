#pragma once

struct _XDisplay;
typedef struct _XDisplay Display;

namespace orvexa::platform::x11 {

// Plain window requests, for tests of the display guard and the error
// trap. Requests without a reply are only sent: their errors arrive once the
// connection is synced (Sync, or the end of an error trap).

// Creates a window of the root, unmapped; 0 without a display.
unsigned long CreateWindow(Display* display);
// Creates a window inside `parent`, unmapped, as toolkits make the window
// that takes the keyboard focus for their top-level one (GTK's).
unsigned long CreateChildWindow(Display* display, unsigned long parent);
void DestroyWindow(Display* display, unsigned long window);
// Fails with BadWindow when the window does not exist.
void MapWindow(Display* display, unsigned long window);

// Whether the window exists now, asked with a round trip under an error
// trap of its own.
bool WindowExists(Display* display, unsigned long window);

// Returns once the server has handled every request sent so far.
void Sync(Display* display);

// Gives the window (on the screen) the keyboard focus, and returns once the
// server has.
void SetFocus(Display* display, unsigned long window);

// Asks a top-level window to close as its close box does: the
// WM_DELETE_WINDOW message a window manager sends it.
void RequestClose(Display* display, unsigned long window);
// Whether the window is on the screen now (mapped, and its parents too).
bool OnScreen(Display* display, unsigned long window);
// The window's rectangle on the screen: left, top, width, height; all 0
// when it does not exist.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
ScreenRect RectOnScreen(Display* display, unsigned long window);
// The same with the window manager's frame: the rectangle of the window's
// ancestor that is a child of the root window, borders included.
ScreenRect FrameOnScreen(Display* display, unsigned long window);
// The default screen's rectangle (its root window's).
ScreenRect ScreenOf(Display* display);

// The error code of a request on a window that does not exist.
int BadWindowError();

}  // namespace orvexa::platform::x11
