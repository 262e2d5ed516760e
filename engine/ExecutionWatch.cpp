#include "engine/ExecutionWatch.h"

#include "core/Quit.h"
#include "engine/PyRef.h"
#include "engine/PythonInterface.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace orvexa {

struct ExecutionWatch::Shared {
    Shared(TPythonInterface& a, Hooks h)
        : api(a),
          hooks(std::move(h)),
          wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
          tick(timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK)) {}
    ~Shared() {
        for (const int fd : {wake, tick})
            if (fd >= 0)
                close(fd);
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    // Wakes the thread for a request (the counts below, the end).
    void Wake() const {
        const std::uint64_t one = 1;
        (void)!write(wake, &one, sizeof one);
    }
    // Starts the pump ticks an interval from now, or stops them. With the
    // mutex held, so that a tick that found no execution never stops the
    // ticks of one that has just begun.
    void SetTicks(bool running) const {
        const timespec interval{0, static_cast<long>(kPumpIntervalMs) * 1000000};
        const itimerspec period{running ? interval : timespec{}, running ? interval : timespec{}};
        timerfd_settime(tick, 0, &period, nullptr);
    }

    TPythonInterface& api;
    const Hooks hooks;
    // The interpreter's identifier of the main thread.
    unsigned long mainThread = 0;

    std::mutex mutex;
    std::condition_variable changed;
    bool armed = false;
    bool ending = false;
    bool executing = false;
    bool pumpQueued = false;
    // When the execution under way began: its first pump is due an
    // interval later.
    std::chrono::steady_clock::time_point began;
    // The thread sleeps until one of these is readable. Starting an
    // execution arms the timer, a system call that wakes no one: code that
    // ends within the interval (a key's bind, a timer's tick) never makes
    // the thread run in its way.
    const int wake;
    const int tick;
    // Requests made and served, counted.
    std::uint64_t interruptsAsked = 0;
    std::uint64_t interruptsServed = 0;
    std::uint64_t threadStopsAsked = 0;
    std::uint64_t threadStopsServed = 0;
};

namespace {

using SharedPtr = std::shared_ptr<ExecutionWatch::Shared>;
using Hook = std::function<bool()> ExecutionWatch::Hooks::*;

// A call the interpreter makes on its main thread; it holds the shared
// state, and does nothing once the watch is disarmed.
template <Hook hook>
int QueuedCall(void* held) {
    const std::unique_ptr<SharedPtr> owned(static_cast<SharedPtr*>(held));
    ExecutionWatch::Shared& shared = **owned;
    {
        std::lock_guard lock(shared.mutex);
        if (hook == &ExecutionWatch::Hooks::pump)
            shared.pumpQueued = false;
        if (!shared.armed)
            return 0;
    }
    return (shared.hooks.*hook)() ? 0 : -1;
}

template <Hook hook>
bool Queue(const SharedPtr& shared) {
    auto* held = new SharedPtr(shared);
    if (shared->api.Py_AddPendingCall(&QueuedCall<hook>, held) == 0)
        return true;
    delete held;  // the queue is full: calls are on their way already
    return false;
}

// SystemExit for every thread the interpreter runs code on, but the main
// thread. With the interpreter's lock held.
void StopThreadsOtherThan(TPythonInterface& api, unsigned long mainThread) {
    PyObject* currentFrames = api.PySys_GetObject("_current_frames");
    const PyRef frames = currentFrames ? PyRef::Steal(api, api.PyObject_CallObject(currentFrames, nullptr)) : PyRef();
    Py_ssize_t position = 0;
    PyObject* thread = nullptr;
    PyObject* frame = nullptr;
    while (frames && api.PyDict_Next(frames.get(), &position, &thread, &frame)) {
        const unsigned long id = api.PyLong_AsUnsignedLong(thread);
        if (id != mainThread && !api.PyErr_Occurred())
            api.PyThreadState_SetAsyncExc(id, *api.PyExc_SystemExit);
    }
    api.PyErr_Clear();
}

}  // namespace

ExecutionWatch::ExecutionWatch(TPythonInterface& api, Hooks hooks)
    : shared_(std::make_shared<Shared>(api, std::move(hooks))) {}

ExecutionWatch::~ExecutionWatch() { Disarm(); }

void ExecutionWatch::Arm() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->armed = true;
        shared_->ending = false;
        shared_->mainThread = shared_->api.PyThread_get_thread_ident();
    }
    if (!thread_.joinable())
        thread_ = std::thread(&ExecutionWatch::Run, this);
    if (listener_ == 0)
        listener_ = quit::AddListener([this] { InterruptMainThread(); });
}

void ExecutionWatch::Disarm() {
    if (listener_ != 0) {
        quit::RemoveListener(listener_);
        listener_ = 0;
    }
    {
        std::lock_guard lock(shared_->mutex);
        shared_->armed = false;
        shared_->ending = true;
    }
    shared_->Wake();
    shared_->changed.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void ExecutionWatch::SetExecuting(bool executing) {
    // An execution that ended is seen at its next tick, which stops the
    // ticks: ending one wakes no one either.
    std::lock_guard lock(shared_->mutex);
    shared_->executing = executing;
    if (executing) {
        shared_->began = std::chrono::steady_clock::now();
        shared_->SetTicks(true);
    }
}

void ExecutionWatch::InterruptMainThread() {
    {
        std::lock_guard lock(shared_->mutex);
        ++shared_->interruptsAsked;
    }
    shared_->Wake();
}

void ExecutionWatch::StopOtherThreads() {
    {
        std::lock_guard lock(shared_->mutex);
        ++shared_->threadStopsAsked;
    }
    shared_->Wake();
}

void ExecutionWatch::AwaitThreadsStopped() {
    std::unique_lock lock(shared_->mutex);
    const std::uint64_t asked = shared_->threadStopsAsked;
    shared_->changed.wait(lock, [&] { return !shared_->armed || shared_->threadStopsServed >= asked; });
}

void ExecutionWatch::Run() {
    Shared& shared = *shared_;
    TPythonInterface& api = shared.api;
    const auto interval = std::chrono::milliseconds(kPumpIntervalMs);
    std::unique_lock lock(shared.mutex);
    while (!shared.ending) {
        lock.unlock();
        // Without its descriptors (none left to the process) the thread
        // looks every interval instead.
        pollfd fds[] = {{shared.wake, POLLIN, 0}, {shared.tick, POLLIN, 0}};
        const bool described = shared.wake >= 0 && shared.tick >= 0;
        if (poll(fds, 2, described ? -1 : kPumpIntervalMs) < 0 && errno != EINTR)
            std::this_thread::sleep_for(interval);
        std::uint64_t count = 0;
        for (const pollfd& fd : fds)
            if (fd.revents & POLLIN)
                (void)!read(fd.fd, &count, sizeof count);
        lock.lock();
        if (shared.ending)
            break;
        // A tick of an execution that has ended stops the ticks; one read
        // just before a new execution re-armed them is too early for it.
        if (!shared.executing)
            shared.SetTicks(false);
        const bool pump = shared.executing && std::chrono::steady_clock::now() >= shared.began + interval;
        const std::uint64_t interrupts = shared.interruptsAsked;
        const std::uint64_t threadStops = shared.threadStopsAsked;
        const bool interrupt = interrupts != shared.interruptsServed;
        const bool stopThreads = threadStops != shared.threadStopsServed;
        if (!pump && !interrupt && !stopThreads)
            continue;
        const bool queuePump = pump && !shared.pumpQueued;
        if (queuePump)
            shared.pumpQueued = true;
        lock.unlock();

        if (interrupt)
            Queue<&Hooks::interrupt>(shared_);
        if (queuePump && !Queue<&Hooks::pump>(shared_)) {
            std::lock_guard relock(shared.mutex);
            shared.pumpQueued = false;
        }
        // Taking the lock makes the main thread look at its queued calls
        // before it lets go of the lock.
        const PyGILState_STATE state = api.PyGILState_Ensure();
        if (stopThreads)
            StopThreadsOtherThan(api, shared.mainThread);
        api.PyGILState_Release(state);
        if (stopThreads)
            quit::ThreadsTold();

        lock.lock();
        shared.interruptsServed = interrupts;
        shared.threadStopsServed = threadStops;
        shared.changed.notify_all();
    }
    // A stop asked for on the way to the interpreter's shutdown (closing
    // the program stops the script) still reaches the threads: they end now
    // instead of being waited for.
    if (shared.threadStopsAsked != shared.threadStopsServed) {
        lock.unlock();
        const PyGILState_STATE state = api.PyGILState_Ensure();
        StopThreadsOtherThan(api, shared.mainThread);
        api.PyGILState_Release(state);
        quit::ThreadsTold();
        lock.lock();
    }
    shared.threadStopsServed = shared.threadStopsAsked;
    shared.changed.notify_all();
}

}  // namespace orvexa
