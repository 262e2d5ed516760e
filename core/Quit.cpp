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
    std::map<int, std::function<void()>> stopListeners;
    std::atomic<std::uint64_t> stops{0};
    std::atomic<std::uint64_t> tellings{0};
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

bool SleepUntil(std::chrono::steady_clock::time_point deadline, std::uint64_t tellings) {
    State& state = TheState();
    std::unique_lock lock(state.mutex);
    return !state.wake.wait_until(
        lock, deadline, [&state, tellings] { return state.requested.load() || state.tellings.load() != tellings; });
}

void ThreadsTold() {
    State& state = TheState();
    {
        std::lock_guard lock(state.mutex);
        ++state.tellings;
    }
    state.wake.notify_all();
}

std::uint64_t ThreadTellings() { return TheState().tellings.load(); }

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
    state.stopListeners.erase(id);
}

void RequestStop() {
    State& state = TheState();
    std::lock_guard run(state.running);
    std::vector<std::function<void()>> toRun;
    {
        std::lock_guard lock(state.mutex);
        ++state.stops;
        for (const auto& [id, listener] : state.stopListeners)
            toRun.push_back(listener);
    }
    for (const auto& listener : toRun)
        listener();
}

std::uint64_t Stops() { return TheState().stops.load(); }

int AddStopListener(std::function<void()> listener) {
    State& state = TheState();
    std::lock_guard lock(state.mutex);
    const int id = state.nextId++;
    state.stopListeners.emplace(id, std::move(listener));
    return id;
}

}  // namespace orvexa::quit
