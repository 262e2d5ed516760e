#pragma once

#include <vector>

struct _XDisplay;

namespace orvexa::platform::x11 {

// The parent (and, when asked, the children) of a window; false when the
// window is gone.
bool QueryTree(_XDisplay* display, unsigned long window, unsigned long* parent,
               std::vector<unsigned long>* children = nullptr);

// The child of the root that holds `window`: itself, or the window
// manager's frame around it. 0 when it is gone, or is the root itself.
unsigned long TopLevelOf(_XDisplay* display, unsigned long window);

}  // namespace orvexa::platform::x11
