#pragma once

#include "platform/Screen.h"
#include "platform/UniqueFd.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orvexa::platform::pipewire {

// A consumer of one PipeWire video stream (a screen cast): raw video in a
// packed RGB format, received on PipeWire's own thread, so that frames keep
// coming whatever the program's threads do. The newest frame is kept out of
// the stream's queue until a newer one replaces it, and read in place (no
// copy of whole frames); the cursor's position comes from the buffers'
// cursor metadata where the producer sends it. Every reader is safe on any
// thread.
class PipeWireStream {
public:
    using Clock = std::chrono::steady_clock;

    // Connects to the node `node` over `connection` (taken), or to the
    // session's PipeWire daemon when it holds no descriptor. Throws
    // orvexa::Exception when PipeWire cannot be reached.
    PipeWireStream(UniqueFd connection, std::uint32_t node);
    ~PipeWireStream();
    PipeWireStream(const PipeWireStream&) = delete;
    PipeWireStream& operator=(const PipeWireStream&) = delete;

    // Waits up to `timeout` for a frame; true as soon as there is one, false
    // when the time ran out or the stream failed first (Failure() says why).
    bool WaitForFrame(std::chrono::milliseconds timeout) const;

    // The pixel (x, y) of the newest frame, in the frame's own pixels, as a
    // COLORREF; nothing when there is no frame yet or (x, y) lies outside it.
    enum class Read { Pixel, Outside, NoFrame };
    Read PixelColor(int x, int y, std::uint32_t& color) const;

    // The pixels of `rect` of the newest frame, in one copy under the
    // frame's lock. `rect` is given in a space of `space` pixels that
    // covers the whole frame (the desktop's coordinates on a scaled
    // monitor: each pixel is the frame's nearest one) and lies within it.
    // Pixels beyond a producer's short buffer read as 0.
    Read CopyRect(ScreenRect rect, ScreenSize space, ScreenPixels& out) const;

    // The newest frame's size; {0, 0} before the first.
    ScreenSize FrameSize() const;
    // When the newest frame arrived; nothing before the first.
    std::optional<Clock::time_point> FrameArrival() const;
    // The cursor in the frame's pixels, from the newest cursor metadata;
    // nothing when none came or the producer said the cursor is elsewhere.
    std::optional<ScreenPoint> Cursor() const;
    // Why the stream ended or never started; empty while it is well.
    std::string Failure() const;

    // The name of this consumer's node in the PipeWire graph.
    static const char* NodeName();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvexa::platform::pipewire
