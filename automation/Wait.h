#pragma once

#include <functional>

namespace orvexa {

// Runs the whole wait; the argument performs it. A caller that holds a lock
// which the code dispatched during the wait needs (the interpreter's) can
// release it around the call.
using AroundWait = std::function<void(const std::function<void()>& wait)>;

// Waits `milliseconds` while the application's events are processed, so
// windows repaint, timers tick and key events are handled, nested inside
// the caller. The event loop always runs at least once. The clock counts
// whole milliseconds on a monotonic clock: the wait ends after the first
// pass at which it reads strictly later than start + milliseconds, so 0
// returns once the clock has moved on and a negative delay after exactly
// one pass. Between passes the thread sleeps until an event arrives or the
// deadline is due, never returning before it. Nothing cuts the wait short
// except the application quitting its event loops.
void WaitProcessingEvents(int milliseconds, const AroundWait& around = {});

}  // namespace orvexa
