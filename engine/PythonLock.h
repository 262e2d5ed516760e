#pragma once

#include "engine/PythonTypes.h"

namespace orvexa {

class TPythonInterface;

// Between executions the GUI thread holds no interpreter lock, so that
// Python threads a script started keep running. C++ code that touches the
// interpreter outside an execution takes the lock for that time:
//
//     PythonLock lock(engine);
//     PyObject* list = engine.PyList_New(0);
//
// The lock may be taken again by a thread that holds it (nested executions
// do). Without a started interpreter it does nothing.
class PythonLock {
public:
    explicit PythonLock(const TPythonInterface& api);
    ~PythonLock();
    PythonLock(const PythonLock&) = delete;
    PythonLock& operator=(const PythonLock&) = delete;

private:
    const TPythonInterface& api_;
    bool held_ = false;
    PyGILState_STATE state_ = PyGILState_LOCKED;
};

// Gives the lock up for the time of a blocking wait of code called from the
// interpreter (the automation module's Sleep, while it runs the event
// loop), and takes it back with Relock(). Executions started by events
// during the wait take the lock themselves. Does nothing when the calling
// thread does not hold the lock.
//
// While the interpreter shuts down it ends every other thread that asks for
// the lock, by unwinding it from inside that request. So the normal path
// takes the lock back through Relock(), which such an unwinding may leave;
// the destructor takes it back only when an exception left the wait early.
class PythonUnlock {
public:
    explicit PythonUnlock(const TPythonInterface& api);
    ~PythonUnlock();
    void Relock();
    PythonUnlock(const PythonUnlock&) = delete;
    PythonUnlock& operator=(const PythonUnlock&) = delete;

private:
    const TPythonInterface& api_;
    PyThreadState* saved_ = nullptr;
};

}  // namespace orvexa
