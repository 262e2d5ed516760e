#pragma once

struct _XDisplay;
typedef struct _XDisplay Display;

namespace orvexa::platform::x11 {

// True when the X server is XWayland, the X server of a Wayland session:
// it names its extension XWAYLAND (from version 23) or its outputs
// XWAYLAND0, XWAYLAND1... (every version).
bool IsXWayland(Display* display);

}  // namespace orvexa::platform::x11
