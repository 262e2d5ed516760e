#pragma once

struct _XDisplay;
typedef struct _XDisplay Display;

namespace orvexa::platform::x11 {

// Plain window requests, for tests of the display guard and the error
// trap. Requests without a reply are only sent: their errors arrive once the
// connection is synced (Sync, or the end of an error trap).

// Creates a window of the root, unmapped; 0 without a display.
unsigned long CreateWindow(Display* display);
void DestroyWindow(Display* display, unsigned long window);
// Fails with BadWindow when the window does not exist.
void MapWindow(Display* display, unsigned long window);

// Whether the window exists now, asked with a round trip under an error
// trap of its own.
bool WindowExists(Display* display, unsigned long window);

// Returns once the server has handled every request sent so far.
void Sync(Display* display);

// The error code of a request on a window that does not exist.
int BadWindowError();

}  // namespace orvexa::platform::x11
