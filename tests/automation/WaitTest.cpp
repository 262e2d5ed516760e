#include "automation/Wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <functional>
#include <thread>

using namespace orvexa;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

// Counts the passes of the event loop: a posted call that posts itself
// again runs once per pass.
class PassCounter {
public:
    PassCounter() { Post(); }
    ~PassCounter() { *alive_ = false; }
    int passes = 0;

private:
    void Post() {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, alive = alive_] {
                if (!*alive)
                    return;
                ++passes;
                Post();
            },
            Qt::QueuedConnection);
    }
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

std::int64_t Millis() { return std::chrono::duration_cast<milliseconds>(Clock::now().time_since_epoch()).count(); }

}  // namespace

TEST(Wait, NeverReturnsBeforeItsDeadline) {
    for (const int ms : {1, 2, 7, 30, 120}) {
        const auto start = Clock::now();
        EXPECT_TRUE(WaitProcessingEvents(ms));
        EXPECT_GE(Clock::now() - start, milliseconds(ms)) << ms;
    }
}

TEST(Wait, ZeroReturnsOnceTheClockHasMoved) {
    for (int i = 0; i < 20; ++i) {
        PassCounter counter;
        const std::int64_t before = Millis();
        EXPECT_TRUE(WaitProcessingEvents(0));
        EXPECT_GT(Millis(), before);
        EXPECT_GE(counter.passes, 1);
    }
}

TEST(Wait, ANegativeDelayReturnsAfterExactlyOnePass) {
    for (const int ms : {-1, -1000, INT_MIN}) {
        PassCounter counter;
        EXPECT_TRUE(WaitProcessingEvents(ms));
        EXPECT_EQ(counter.passes, 1) << ms;
    }
}

TEST(Wait, TimerTicksRunNestedInsideTheWait) {
    int ticks = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    EXPECT_TRUE(WaitProcessingEvents(105));
    EXPECT_GE(ticks, 5);
}

TEST(Wait, AWaitInsideATickEndsBeforeTheOuterOneResumes) {
    std::vector<std::string> order;
    QTimer::singleShot(5, [&] {
        order.push_back("inner start");
        EXPECT_TRUE(WaitProcessingEvents(60));
        order.push_back("inner end");
    });
    const auto start = Clock::now();
    EXPECT_TRUE(WaitProcessingEvents(20));
    order.push_back("outer end");
    // The outer wait cannot end while the inner one runs above it.
    EXPECT_EQ(order, (std::vector<std::string>{"inner start", "inner end", "outer end"}));
    EXPECT_GE(Clock::now() - start, milliseconds(60));
}

TEST(Wait, AnotherThreadSleepsItsDelayWithoutTheEventLoop) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    bool waited = false;
    Clock::duration took{};
    std::thread other([&] {
        const auto start = Clock::now();
        waited = WaitProcessingEvents(50);
        took = Clock::now() - start;
    });
    other.join();
    EXPECT_TRUE(waited);
    EXPECT_GE(took, milliseconds(50));
    EXPECT_EQ(ticks, 0) << "the application's events wait for its own thread";
}
