#pragma once

#include "platform/KeyCapture.h"

#include <memory>

namespace orvexa::platform {

// The global key capture of an X11 desktop, over the RECORD extension: it
// sees every client's key events, XTEST-injected ones included. Creating it
// connects to nothing; Start opens its connections to the display named by
// DISPLAY and fails (reporting nothing, ever) when there is no server or the
// server lacks RECORD. While started it can also take key combinations from
// the focused window (SetTakenKeys: passive grabs, x11::KeyGrabs).
std::shared_ptr<KeyCapture> CreateX11KeyCapture();

}  // namespace orvexa::platform
