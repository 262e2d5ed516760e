#include "engine/ExecutionInterrupt.h"

#include "core/Quit.h"
#include "engine/PythonInterface.h"

#include <condition_variable>
#include <mutex>

namespace orvexa {

struct ExecutionInterrupt::Gate {
    Gate(TPythonInterface& a, std::function<bool()> run) : api(a), interrupt(std::move(run)) {}
    TPythonInterface& api;
    const std::function<bool()> interrupt;
    std::mutex mutex;
    std::condition_variable idle;
    bool armed = false;
    int requestsUnderWay = 0;
};

namespace {

void Queue(const std::shared_ptr<ExecutionInterrupt::Gate>& gate) {
    {
        std::lock_guard lock(gate->mutex);
        if (!gate->armed)
            return;
        auto* held = new std::shared_ptr<ExecutionInterrupt::Gate>(gate);
        if (gate->api.Py_AddPendingCall(&ExecutionInterrupt::RunOnMainThread, held) != 0) {
            delete held;  // the queue is full: interrupts are already on their way
            return;
        }
        ++gate->requestsUnderWay;
    }
    // Queued from another thread, the call may wait for the main thread to
    // look, and a loop that never leaves the interpreter does not look
    // (some releases only note it for the queueing thread itself). Asking
    // for the interpreter's lock makes the main thread stop and look at
    // what is queued before it hands the lock over.
    if (!gate->api.PyGILState_Check()) {
        const PyGILState_STATE state = gate->api.PyGILState_Ensure();
        gate->api.PyGILState_Release(state);
    }
    {
        std::lock_guard lock(gate->mutex);
        --gate->requestsUnderWay;
    }
    gate->idle.notify_all();
}

}  // namespace

ExecutionInterrupt::ExecutionInterrupt(TPythonInterface& api, std::function<bool()> interrupt)
    : gate_(std::make_shared<Gate>(api, std::move(interrupt))) {}

ExecutionInterrupt::~ExecutionInterrupt() { Disarm(); }

void ExecutionInterrupt::Arm() {
    {
        std::lock_guard lock(gate_->mutex);
        gate_->armed = true;
    }
    if (listener_ == 0)
        listener_ = quit::AddListener([gate = gate_] { Queue(gate); });
}

void ExecutionInterrupt::Disarm() {
    if (listener_ != 0) {
        quit::RemoveListener(listener_);
        listener_ = 0;
    }
    std::unique_lock lock(gate_->mutex);
    gate_->armed = false;
    gate_->idle.wait(lock, [this] { return gate_->requestsUnderWay == 0; });
}

void ExecutionInterrupt::Request() { Queue(gate_); }

int ExecutionInterrupt::RunOnMainThread(void* held) {
    const std::unique_ptr<std::shared_ptr<Gate>> owned(static_cast<std::shared_ptr<Gate>*>(held));
    Gate& gate = **owned;
    {
        std::lock_guard lock(gate.mutex);
        if (!gate.armed)
            return 0;
    }
    return gate.interrupt() ? -1 : 0;
}

}  // namespace orvexa
