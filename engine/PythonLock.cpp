#include "engine/PythonLock.h"

#include "engine/PythonInterface.h"

namespace orvexa {
namespace {
bool Started(const TPythonInterface& api) { return api.IsBound() && api.IsInitialized(); }
}  // namespace

PythonLock::PythonLock(const TPythonInterface& api) : api_(api) {
    if (Started(api_)) {
        state_ = api_.PyGILState_Ensure();
        held_ = true;
    }
}

PythonLock::~PythonLock() {
    if (held_)
        api_.PyGILState_Release(state_);
}

PythonUnlock::PythonUnlock(const TPythonInterface& api) : api_(api) {
    if (Started(api_) && api_.PyGILState_Check())
        saved_ = api_.PyEval_SaveThread();
}

PythonUnlock::~PythonUnlock() {
    if (saved_)
        api_.PyEval_RestoreThread(saved_);
}

void PythonUnlock::Relock() {
    PyThreadState* saved = saved_;
    saved_ = nullptr;
    if (saved)
        api_.PyEval_RestoreThread(saved);
}

}  // namespace orvexa
