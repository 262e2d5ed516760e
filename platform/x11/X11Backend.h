#pragma once

#include <memory>

namespace orvexa::platform {
class InputSynth;
class Screen;
}  // namespace orvexa::platform

namespace orvexa::platform::x11 {

// The X11 services of input synthesis and the screen, on one connection.
struct X11InputServices {
    std::shared_ptr<InputSynth> input;
    std::shared_ptr<Screen> screen;
};

// Connects to the display named by DISPLAY. Without a display both services
// are left empty; without the XTEST extension the input is.
X11InputServices CreateX11InputServices();

}  // namespace orvexa::platform::x11
