#pragma once

#include <cstdint>
#include <functional>

namespace orvexa::platform::x11 {

// Whether the keyboard map of the X server named by DISPLAY has a key that
// types `keysym` in the active group, on a level that needs at most Shift
// and AltGr. Under XWayland that map is the compositor's own, which is what
// a Wayland compositor types keysyms with. The check keeps a connection of
// its own and reads the map again when it may have changed (at most twice a
// second); it is safe on any thread. Empty where there is no X display.
std::function<bool(std::uint32_t keysym)> CreateKeysymCheck();

}  // namespace orvexa::platform::x11
