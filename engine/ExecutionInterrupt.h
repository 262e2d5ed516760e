#pragma once

#include <functional>
#include <memory>

namespace orvexa {

class TPythonInterface;

// Makes script code that runs on the interpreter's main thread end when the
// program closes, wherever it is: a loop that never calls Sleep included.
// The interpreter is asked, from whichever thread requested quitting, to run
// `interrupt` on its main thread at its next instruction; `interrupt` raises
// there when script code runs (see TPythonEngine::InterruptScriptCode).
//
// Armed between the interpreter's start and the beginning of its shutdown:
// the interpreter accepts no such request once it has begun to stop.
class ExecutionInterrupt {
public:
    ExecutionInterrupt(TPythonInterface& api, std::function<bool()> interrupt);
    ExecutionInterrupt(const ExecutionInterrupt&) = delete;
    ExecutionInterrupt& operator=(const ExecutionInterrupt&) = delete;
    ~ExecutionInterrupt();

    // Listens for the program's quit request; when it has already been made,
    // the interrupt is requested at once.
    void Arm();
    // Stops listening; once it returns, no request reaches the interpreter
    // any more. Call it without holding the interpreter's lock: it waits for
    // a request under way on another thread, which needs that lock.
    void Disarm();

    // Asks for the interrupt. Any thread that does not hold the
    // interpreter's lock.
    void Request();

    // The state shared with the interpreter's queued calls, which may run
    // after this object is gone.
    struct Gate;
    // Run by the interpreter on its main thread, with its lock held.
    static int RunOnMainThread(void* gate);

private:
    std::shared_ptr<Gate> gate_;
    int listener_ = 0;
};

}  // namespace orvexa
