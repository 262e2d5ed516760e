#pragma once

namespace orvexa {

// Waits `milliseconds` while the application's events are processed, so
// windows repaint, timers tick and key events are handled, nested inside
// the caller. The event loop always runs at least once. The clock counts
// whole milliseconds on a monotonic clock: the wait ends after the first
// pass at which it reads strictly later than start + milliseconds, so 0
// returns once the clock has moved on and a negative delay after exactly
// one pass. Between passes the thread sleeps until an event arrives or the
// deadline is due, never returning before it.
//
// On a thread other than the application's nothing is processed: the
// thread only sleeps until the deadline, or until the script's threads are
// told to end (quit::ThreadsTold).
//
// True when the whole delay has passed. False when the program is closing
// (quitting was requested, or the application quit its event loops) or, on
// the application's thread, when the script was stopped meanwhile: the wait
// then ends at once, without processing anything more, and the caller must
// not go on as if it had waited.
[[nodiscard]] bool WaitProcessingEvents(int milliseconds);

}  // namespace orvexa
