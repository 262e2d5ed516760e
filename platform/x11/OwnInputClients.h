#pragma once

#include <cstdint>

struct _XDisplay;

namespace orvexa::platform::x11 {

// The connections over which this process synthesizes input (XTEST), known
// by their resource-ID base, the number the X RECORD extension names a
// request's client by: the key capture tells the program's own keys from
// the user's by the client whose request made them. Safe from any thread.
void AddOwnInputClient(_XDisplay* display);
void RemoveOwnInputClient(_XDisplay* display);
bool IsOwnInputClient(std::uint32_t idBase);

}  // namespace orvexa::platform::x11
