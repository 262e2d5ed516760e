#pragma once

#include <chrono>
#include <cstdint>
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

// Stop (the Stop button, the stop hot key): the script code under way is
// told to end, as when the program closes, but nothing is kept: code that
// starts afterwards runs and waits as usual. Stops are counted; a wait on
// the application's thread that began before a stop ends early (it reads
// Stops() when it begins). Requested on the application's thread.
void RequestStop();
std::uint64_t Stops();
// A stop listener runs on the requesting thread at every stop until it is
// removed (RemoveListener); it must not wait for another thread.
int AddStopListener(std::function<void()> listener);

// The script's threads have been told to end (they get SystemExit at their
// next instruction): counted, by whoever told them. A thread's wait that
// began before ends early, so that the thread meets its SystemExit now.
void ThreadsTold();
std::uint64_t ThreadTellings();
// SleepUntil, ending early also when the threads are told after
// `tellings` was read (ThreadTellings() at the wait's start).
bool SleepUntil(std::chrono::steady_clock::time_point deadline, std::uint64_t tellings);

// The texts of the exception that ends script code when the program
// closes, and when the script is stopped.
inline constexpr const char* kClosingMessage = "Orvexa is closing";
inline constexpr const char* kStoppedMessage = "The script was stopped";

}  // namespace orvexa::quit
