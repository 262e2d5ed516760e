// In a process of its own: once the application has been told to quit, Qt's
// event loops stay ended for the rest of the process.
#include "automation/Wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <chrono>

using namespace orvexa;
using Clock = std::chrono::steady_clock;

TEST(WaitQuit, QuittingTheApplicationEndsAWait) {
    QTimer::singleShot(20, [] { QCoreApplication::exit(0); });
    const auto start = Clock::now();
    WaitProcessingEvents(60 * 60 * 1000);
    EXPECT_LT(Clock::now() - start, std::chrono::minutes(1));
    // Later waits do not spin either: they return at once.
    WaitProcessingEvents(60 * 60 * 1000);
    EXPECT_LT(Clock::now() - start, std::chrono::minutes(1));
}
