#pragma once

#include "platform/Screen.h"
#include "platform/UniqueFd.h"

#include <cstdint>
#include <functional>

namespace orvexa::platform {

// A screen cast of the primary monitor as the desktop hands it out (its
// screen-cast portal): a connection to the PipeWire daemon that carries it,
// the stream's node there, and the monitor's size in the desktop's own
// coordinates, which pointer moves use too and which may differ from the
// stream's pixels on a scaled monitor.
struct ScreenCastStream {
    // The open PipeWire connection; none for the daemon of the session
    // (XDG_RUNTIME_DIR).
    UniqueFd pipeWire;
    std::uint32_t node = 0;
    // {0, 0} when the desktop did not say.
    ScreenSize size;
    // The cursor's position comes as metadata of the stream's buffers.
    bool cursorMetadata = false;
    // Whether the desktop still casts it (the session that carries it may
    // end: the user stopped the sharing); unset: as long as the stream runs.
    std::function<bool()> live;
};

// Starts a screen cast (asking the desktop, which may ask the user) and
// hands it out; throws orvexa::Exception with the reason when there is none.
using ScreenCastOpener = std::function<ScreenCastStream()>;

}  // namespace orvexa::platform
