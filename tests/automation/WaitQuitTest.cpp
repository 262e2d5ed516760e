// One process per case: once the application has been told to quit, or the
// program has been asked to close, that lasts for the rest of the process.
#include "automation/Wait.h"
#include "core/Quit.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <thread>

using namespace orvexa;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {
constexpr int kHour = 60 * 60 * 1000;
}

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
    std::thread requester([] {
        std::this_thread::sleep_for(milliseconds(30));
        quit::Request();
    });
    const auto start = Clock::now();
    EXPECT_FALSE(WaitProcessingEvents(kHour));
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
    std::thread sleeper([&] {
        const auto start = Clock::now();
        waited = WaitProcessingEvents(kHour);
        took = Clock::now() - start;
    });
    std::this_thread::sleep_for(milliseconds(30));
    quit::Request();
    sleeper.join();
    EXPECT_FALSE(waited);
    EXPECT_LT(took, std::chrono::seconds(10));
}
