#include "core/Quit.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <vector>

namespace orvexa::quit {
namespace {

struct State {
    // Held while the listeners run, so that a listener is never removed
    // (and what it refers to destroyed) halfway through its run.
    std::recursive_mutex running;
    std::mutex mutex;
    std::condition_variable wake;
    std::atomic<bool> requested{false};
    std::map<int, std::function<void()>> listeners;
    int nextId = 1;
};

// Never destroyed: threads a script left behind may still ask after the
// statics of the program have gone.
State& TheState() {
    static State* state = new State;
    return *state;
}

}  // namespace

void Request() {
    State& state = TheState();
    std::lock_guard run(state.running);
    std::vector<std::function<void()>> toRun;
    {
        std::lock_guard lock(state.mutex);
        if (state.requested.exchange(true))
            return;
        for (auto& [id, listener] : state.listeners)
            toRun.push_back(std::move(listener));
        state.listeners.clear();
    }
    state.wake.notify_all();
    for (const auto& listener : toRun)
        listener();
}

bool Requested() { return TheState().requested.load(); }

bool SleepUntil(std::chrono::steady_clock::time_point deadline) {
    State& state = TheState();
    std::unique_lock lock(state.mutex);
    return !state.wake.wait_until(lock, deadline, [&state] { return state.requested.load(); });
}

int AddListener(std::function<void()> listener) {
    State& state = TheState();
    {
        std::lock_guard lock(state.mutex);
        if (!state.requested) {
            const int id = state.nextId++;
            state.listeners.emplace(id, std::move(listener));
            return id;
        }
    }
    listener();
    return 0;
}

void RemoveListener(int id) {
    State& state = TheState();
    std::lock_guard run(state.running);
    std::lock_guard lock(state.mutex);
    state.listeners.erase(id);
}

}  // namespace orvexa::quit
