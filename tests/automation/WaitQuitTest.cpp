// One process per case: once the application has been told to quit, or the
// program has been asked to close, that lasts for the rest of the process.
#include "automation/Wait.h"
#include "core/Quit.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

#include <sys/syscall.h>
#include <unistd.h>

using namespace orvexa;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {
constexpr int kHour = 60 * 60 * 1000;

// Whether a thread of this process is blocked on a futex, as one waiting on a
// condition variable is.
bool BlockedOnFutex(pid_t thread) {
    QFile syscall(QStringLiteral("/proc/self/task/%1/syscall").arg(thread));
    return thread > 0 && syscall.open(QIODevice::ReadOnly) &&
           syscall.readAll().split(' ').constFirst().toLong() == SYS_futex;
}
}  // namespace

TEST(WaitQuit, QuittingTheApplicationEndsAWait) {
    QTimer::singleShot(20, [] { QCoreApplication::exit(0); });
    const auto start = Clock::now();
    EXPECT_FALSE(WaitProcessingEvents(kHour));
    EXPECT_LT(Clock::now() - start, std::chrono::minutes(1));
    // Later waits do not spin either: they say at once that they did not wait.
    EXPECT_FALSE(WaitProcessingEvents(kHour));
    EXPECT_LT(Clock::now() - start, std::chrono::minutes(1));
}

TEST(WaitQuit, ARequestFromAnotherThreadEndsTheApplicationThreadsWait) {
    // The requesting thread starts once the wait handles events.
    std::thread requester;
    QTimer::singleShot(0, [&requester] { requester = std::thread(quit::Request); });
    const auto start = Clock::now();
    EXPECT_FALSE(WaitProcessingEvents(kHour));
    ASSERT_TRUE(requester.joinable());
    requester.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));

    // Nothing is processed any more: a due timer does not fire.
    int ticks = 0;
    QTimer::singleShot(0, [&] { ++ticks; });
    EXPECT_FALSE(WaitProcessingEvents(50));
    EXPECT_EQ(ticks, 0);
}

TEST(WaitQuit, ARequestEndsTheWaitOfAnotherThread) {
    bool waited = true;
    Clock::duration took{};
    std::atomic<pid_t> sleeperId{0};
    std::thread sleeper([&] {
        sleeperId = gettid();
        const auto start = Clock::now();
        waited = WaitProcessingEvents(kHour);
        took = Clock::now() - start;
    });
    // The request comes once the thread is asleep in its wait.
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!BlockedOnFutex(sleeperId) && Clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(1));
    EXPECT_TRUE(BlockedOnFutex(sleeperId)) << "the thread never waited";
    quit::Request();
    sleeper.join();
    EXPECT_FALSE(waited);
    EXPECT_LT(took, std::chrono::seconds(10));
}
