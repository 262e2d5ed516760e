#pragma once

#include "platform/Services.h"

namespace orvexa::platform::x11 {

// The X11 services of input synthesis and the screen, on one connection,
// and of the top-level windows, on another.
using X11InputServices = DisplayServices;

// Connects to the display named by DISPLAY, trying `attempts` times with a
// short pause between (an X server under load may refuse a connection for a
// moment). Without a display every service is left empty; without the
// XTEST extension the input is.
X11InputServices CreateX11InputServices(int attempts = 1);

// Whether the X server of the X11 screen service is XWayland (found when
// the service connected); false for any other screen.
bool ServerIsXWayland(const Screen& screen);

// As many attempts as a start-up may spend (about seven tenths of a second)
// when the display named does not answer.
inline constexpr int kStartupAttempts = 4;

}  // namespace orvexa::platform::x11
