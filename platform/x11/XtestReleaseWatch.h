#pragma once

#include <array>
#include <memory>

namespace orvexa::platform::x11 {

class X11Connection;

// Counts the key releases that the XTEST keyboard (the synthetic input of
// every program: ours, xdotool's, a VNC server's) sends while it watches,
// from XInput 2's raw events on the root window, which report a release
// even of a key that is up already. Lets its owner tell whether another
// program let go of a key that the owner released meanwhile itself. On the
// owner's connection, whose events the owner reads.
class XtestReleaseWatch {
public:
    explicit XtestReleaseWatch(std::shared_ptr<X11Connection> connection);
    ~XtestReleaseWatch();
    XtestReleaseWatch(const XtestReleaseWatch&) = delete;
    XtestReleaseWatch& operator=(const XtestReleaseWatch&) = delete;

    // Starts counting from zero; false without XInput 2 or an XTEST
    // keyboard. The server reports what it handles after this returns.
    bool Start();
    // Stops counting (what was counted stays readable).
    void Stop();
    // The releases of `keycode` counted, of the events read so far.
    int Releases(unsigned keycode) const;

private:
    std::shared_ptr<X11Connection> connection_;
    int handler_ = 0;
    int opcode_ = -1;
    int xtestKeyboard_ = -1;
    bool watching_ = false;
    std::array<int, 256> releases_{};
};

}  // namespace orvexa::platform::x11
