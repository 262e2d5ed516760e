#pragma once

#include <functional>
#include <memory>
#include <thread>

namespace orvexa {

class TPythonInterface;

// A thread of the engine's own that works on the interpreter from outside
// while script code runs, so that the program stays in charge of it:
//
// - While the GUI thread executes script code, it asks the interpreter every
//   kPumpIntervalMs for a call on its main thread (the GUI thread), which
//   the interpreter makes between two instructions of that code: `pump`
//   runs there and processes the program's events. Windows repaint and
//   answer the window manager, and Stop, File > Exit and the close box take
//   effect, however long the code runs without returning.
// - When the program closes, the code on the main thread gets `interrupt`
//   through the same kind of call, wherever it is.
// - On Stop, every other Python thread (the script's threads) gets
//   SystemExit at its next instruction.
//
// No one who asks for any of this waits for the interpreter's lock: script
// threads may keep it busy for long (with 50 of them calling orvex in tight
// loops each gets it in turn for a switch interval), and the GUI thread must
// go on at once. This thread takes the lock instead: asking for it also
// makes the main thread stop at its next instruction and make the calls
// queued for it, which some interpreter releases do not do by themselves
// for a call queued from another thread.
//
// Armed between the interpreter's start and the beginning of its shutdown;
// calls queued before that may still come afterwards, and then do nothing.
class ExecutionWatch {
public:
    static constexpr int kPumpIntervalMs = 40;

    // Run on the main thread with the interpreter's lock held, from a call
    // the interpreter makes between two instructions; each returns false
    // after setting the exception the code is to get, true otherwise.
    struct Hooks {
        std::function<bool()> pump;
        std::function<bool()> interrupt;
    };

    ExecutionWatch(TPythonInterface& api, Hooks hooks);
    ExecutionWatch(const ExecutionWatch&) = delete;
    ExecutionWatch& operator=(const ExecutionWatch&) = delete;
    ~ExecutionWatch();

    // Starts the thread and listens for the program's quit request (when it
    // has been made already, the interrupt is asked for at once). On the
    // interpreter's main thread, with its lock held.
    void Arm();
    // Stops listening and ends the thread; once it returns, nothing reaches
    // the interpreter from here any more. Without the interpreter's lock: a
    // request under way needs it.
    void Disarm();

    // The GUI thread began or ended its outermost execution of code.
    void SetExecuting(bool executing);

    // Any thread; never waits. The code on the main thread gets `interrupt`.
    void InterruptMainThread();
    // Any thread; never waits. Every Python thread but the main thread gets
    // SystemExit at its next instruction.
    void StopOtherThreads();
    // Waits until the threads have been told of every StopOtherThreads made
    // before the call. Without the interpreter's lock.
    void AwaitThreadsStopped();

    // The state shared with the thread and the queued calls, which may run
    // after this object is gone.
    struct Shared;

private:
    void Run();

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    int listener_ = 0;
};

}  // namespace orvexa
