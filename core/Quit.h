#pragma once

#include <chrono>
#include <functional>

namespace orvexa::quit {

// The program is closing. Requested once, from any thread (a window handler,
// the signal watcher), and never withdrawn: from then on no script code may
// start, waits end early, and whatever the listeners do to make running code
// end is done. Process-wide because the process quits as a whole.

// Marks the program as closing, wakes every SleepUntil, and runs each
// listener once on the calling thread. Later calls do nothing.
void Request();
bool Requested();

// Blocks the calling thread until `deadline` or until quitting is requested,
// whichever comes first. True when the deadline was reached.
bool SleepUntil(std::chrono::steady_clock::time_point deadline);

// A listener runs on the thread that requests quitting, at most once, so it
// must be safe to call from any thread and must not wait for another
// thread. A listener added after the request runs at once. Returns an id
// for RemoveListener, which waits for a listener that is running to finish.
int AddListener(std::function<void()> listener);
void RemoveListener(int id);

// The text of the exception that ends script code when the program closes.
inline constexpr const char* kClosingMessage = "Orvexa is closing";

}  // namespace orvexa::quit
