#include "automation/Wait.h"

#include "core/Quit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>

namespace orvexa {

namespace {

constexpr std::int64_t kNanosPerMilli = 1000000;
constexpr std::int64_t kNanosPerSecond = 1000000000;

// The monotonic clock in nanoseconds: a wait across midnight or a change
// of the wall clock ends after its delay like any other.
std::int64_t NowNanos() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * kNanosPerSecond + now.tv_nsec;
}

std::int64_t NowMillis() { return NowNanos() / kNanosPerMilli; }

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// Ends a running event loop when quitting is requested from another thread
// (a signal), or a stop from one of the loop's own handlers: otherwise the
// loop would sleep on to its deadline.
class QuitWakesLoop {
public:
    explicit QuitWakesLoop(QEventLoop& loop)
        : quitId_(quit::AddListener([&loop] { QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection); })),
          stopId_(quit::AddStopListener([&loop] { loop.quit(); })) {}
    QuitWakesLoop(const QuitWakesLoop&) = delete;
    QuitWakesLoop& operator=(const QuitWakesLoop&) = delete;
    ~QuitWakesLoop() {
        quit::RemoveListener(stopId_);
        quit::RemoveListener(quitId_);
    }

private:
    int quitId_;
    int stopId_;
};

// Runs the event loop until the monotonic clock reaches `until`. The loop
// is woken by a timerfd armed for that instant: a QTimer counts whole
// milliseconds from when it starts, and the kernel lets a long poll sleep
// 0.1% past its timeout (a millisecond a second). False when the loop ended
// before the instant: the application is quitting its event loops, or
// quitting was requested.
bool RunEventLoopUntil(std::int64_t until) {
    QEventLoop loop;
    const QuitWakesLoop wake(loop);
    bool due = false;
    FileDescriptor timer(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
    if (timer.get() >= 0) {
        itimerspec at{};
        at.it_value.tv_sec = static_cast<time_t>(until / kNanosPerSecond);
        at.it_value.tv_nsec = static_cast<long>(std::max<std::int64_t>(until % kNanosPerSecond, 1));
        if (timerfd_settime(timer.get(), TFD_TIMER_ABSTIME, &at, nullptr) == 0) {
            QSocketNotifier notifier(timer.get(), QSocketNotifier::Read);
            QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
                std::uint64_t expirations = 0;
                [[maybe_unused]] const ssize_t n = read(timer.get(), &expirations, sizeof expirations);
                due = true;
                loop.quit();
            });
            loop.exec();
            return due;
        }
    }
    // No timerfd: a precise timer, rounded up to whole milliseconds.
    const std::int64_t remaining = (until - NowNanos() + kNanosPerMilli - 1) / kNanosPerMilli;
    QTimer fallback;
    fallback.setTimerType(Qt::PreciseTimer);
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, &loop, [&] {
        due = true;
        loop.quit();
    });
    fallback.start(static_cast<int>(std::clamp<std::int64_t>(remaining, 0, INT_MAX)));
    loop.exec();
    return due;
}

bool OnApplicationThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

}  // namespace

bool WaitProcessingEvents(int milliseconds) {
    if (quit::Requested())
        return false;
    // The clock counts whole milliseconds; the wait is over once it reads
    // strictly later than the deadline, at the start of the next one.
    const std::int64_t deadline = NowMillis() + milliseconds;
    const std::int64_t over = (deadline + 1) * kNanosPerMilli;
    if (!OnApplicationThread()) {
        const std::uint64_t tellings = quit::ThreadTellings();
        const auto left = std::chrono::nanoseconds(std::max<std::int64_t>(over - NowNanos(), 0));
        return quit::SleepUntil(std::chrono::steady_clock::now() + left, tellings);
    }
    const std::uint64_t stops = quit::Stops();
    const auto ended = [stops] { return quit::Requested() || quit::Stops() != stops; };
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    while (NowMillis() <= deadline) {
        if (ended() || !RunEventLoopUntil(over))
            return false;
    }
    return !ended();
}

}  // namespace orvexa
