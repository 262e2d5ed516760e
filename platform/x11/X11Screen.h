#pragma once

#include "platform/Screen.h"

#include <cstddef>
#include <memory>

namespace orvexa::platform::x11 {

class X11Connection;
struct SharedSegment;

// Pixels of the root window (a pixel inside the screen that cannot be read
// throws orvexa::Exception saying why), read one at a time or a rectangle
// in one request (through a shared-memory segment kept for the next grab
// where the server has the MIT-SHM extension and can attach it; a plain
// image request elsewhere, as on a remote display), and the primary monitor's size: the XRandR
// primary output where there is one, else the whole screen. The size is
// kept until the server reports a change of the screen's configuration.
class X11Screen final : public Screen {
public:
    explicit X11Screen(std::shared_ptr<X11Connection> connection);
    ~X11Screen() override;

    std::uint32_t PixelColor(int x, int y) override;
    ScreenPixels Grab(ScreenRect rect) override;
    ScreenSize PrimarySize() override;

    // The size as last read, without looking for configuration changes
    // first: for a caller that has just asked PrimarySize.
    ScreenSize KnownPrimarySize();

    // The server is XWayland.
    bool XWayland() const { return xwayland_; }

    // Whether grabs go through shared memory (false until the first grab,
    // and where the server cannot share it).
    bool SharedMemoryInUse() const { return shared_ != nullptr; }

private:
    ScreenSize QueryPrimarySize();
    // A shared segment of at least `bytes` attached to the server, made or
    // grown as needed; nullptr where the server cannot share memory.
    SharedSegment* Segment(std::size_t bytes);
    // The grab through shared memory; false when the server refused it.
    bool GrabShared(const ScreenRect& rect, ScreenPixels& into);
    bool GrabPlain(const ScreenRect& rect, ScreenPixels& into);

    std::shared_ptr<X11Connection> connection_;
    // The server is XWayland, which lets no pixel of the screen be read.
    bool xwayland_ = false;
    int handler_ = 0;
    bool randr_ = false;
    int randrEventBase_ = 0;
    bool sizeKnown_ = false;
    ScreenSize size_;
    std::unique_ptr<SharedSegment> shared_;
    bool sharedUnavailable_ = false;
};

}  // namespace orvexa::platform::x11
