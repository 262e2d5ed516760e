// time.sleep on the main thread, in slices that let the program stay in
// charge of the code asleep there.
#include "engine/PythonEngine.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace orvexa {
namespace {

// How long the main thread sleeps between two looks at its queued calls.
constexpr std::chrono::milliseconds kSlice(20);

}  // namespace

PyObject* MainThreadSleep(PyObject*, PyObject* args) {
    try {
        return GetRunningEngine().SleepOnMainThread(args);
    } catch (const std::exception&) {
        // No engine to ask: nothing of Python may be touched any more.
        return nullptr;
    }
}

namespace {
PyMethodDef kSleepDefinition{"sleep", &MainThreadSleep, METH_VARARGS,
                             "sleep(seconds)\n\nDelay execution for a given number of seconds."};
}  // namespace

void TPythonEngine::InstallMainThreadSleep() {
    const PyRef time = py_.Steal(py_.PyImport_ImportModule("time"));
    PyRef sleep = time ? py_.Steal(py_.PyObject_GetAttrString(time.get(), "sleep")) : PyRef();
    const PyRef replacement = sleep ? py_.Steal(py_.PyCFunction_New(&kSleepDefinition, nullptr, nullptr)) : PyRef();
    if (replacement && py_.PyObject_SetAttrString(time.get(), "sleep", replacement.get()) == 0)
        interpreterSleep_ = std::move(sleep);
    py_.PyErr_Clear();
}

void TPythonEngine::RestoreInterpreterSleep() {
    if (!interpreterSleep_)
        return;
    const PyRef time = py_.Steal(py_.PyImport_ImportModule("time"));
    if (!time || py_.PyObject_SetAttrString(time.get(), "sleep", interpreterSleep_.get()) != 0)
        py_.PyErr_Clear();
    interpreterSleep_.reset();
}

PyObject* TPythonEngine::SleepOnMainThread(PyObject* args) {
    if (interpreterSleep_ && (!py_.OnMainThread() || executionDepth_ == 0))
        return py_.PyObject_CallObject(interpreterSleep_.get(), args);
    double seconds = 0;
    if (!py_.ParseArgs(args, "d:sleep", &seconds))
        return nullptr;
    if (seconds < 0) {
        py_.PyErr_SetString(*py_.PyExc_ValueError, "sleep length must be non-negative");
        return nullptr;
    }
    using Clock = std::chrono::steady_clock;
    if (!interpreterSleep_) {
        // Held by code that took the replacement before the interpreter's
        // own was put back: it still sleeps, without the lock.
        const PythonUnlock unlock(py_);
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        return py_.NewNoneRef();
    }
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    do {
        const Clock::duration left = std::max(deadline - Clock::now(), Clock::duration::zero());
        PythonUnlock unlock(py_);
        std::this_thread::sleep_for(std::min<Clock::duration>(left, kSlice));
        unlock.Relock();
        if (py_.Py_MakePendingCalls() < 0)
            return nullptr;
    } while (Clock::now() < deadline);
    return py_.NewNoneRef();
}

}  // namespace orvexa
