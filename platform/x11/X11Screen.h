#pragma once

#include "platform/Screen.h"

#include <memory>

namespace orvexa::platform::x11 {

class X11Connection;

// Pixels of the root window (a pixel inside the screen that cannot be read
// throws orvexa::Exception saying why), and the primary monitor's size: the XRandR
// primary output where there is one, else the whole screen. The size is
// kept until the server reports a change of the screen's configuration.
class X11Screen final : public Screen {
public:
    explicit X11Screen(std::shared_ptr<X11Connection> connection);
    ~X11Screen() override;

    std::uint32_t PixelColor(int x, int y) override;
    ScreenSize PrimarySize() override;

    // The size as last read, without looking for configuration changes
    // first: for a caller that has just asked PrimarySize.
    ScreenSize KnownPrimarySize();

    // The server is XWayland.
    bool XWayland() const { return xwayland_; }

private:
    ScreenSize QueryPrimarySize();

    std::shared_ptr<X11Connection> connection_;
    // The server is XWayland, which lets no pixel of the screen be read.
    bool xwayland_ = false;
    int handler_ = 0;
    bool randr_ = false;
    int randrEventBase_ = 0;
    bool sizeKnown_ = false;
    ScreenSize size_;
};

}  // namespace orvexa::platform::x11
