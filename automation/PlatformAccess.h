#pragma once

namespace orvexa::platform {
class InputSynth;
class Screen;
}  // namespace orvexa::platform

namespace orvexa {

// The installed input and screen services. Without them (no X display) a
// primitive raises orvexa::Exception with a message saying so.
platform::InputSynth& InputService();
platform::Screen& ScreenService();

}  // namespace orvexa
