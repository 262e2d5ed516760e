// The error trap and the process's X error handler against the suite's X
// server: a trap catches the errors of its own display's requests, made
// while it lives, and no other; every other error is reported on standard
// error, and none ends the process.
#include "platform/x11/X11Display.h"
#include "platform/x11/X11ErrorTrap.h"
#include "tests/support/x11/WindowRequests.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

using namespace orvexa::platform::x11;

namespace {
// A window id that names no window any more: requests on it fail.
unsigned long DestroyedWindow(Display* display) {
    const unsigned long window = CreateWindow(display);
    DestroyWindow(display, window);
    return window;
}

// Whether standard error, captured since CaptureStderr, reports a BadWindow.
bool ReportedBadWindow() {
    const std::string said = testing::internal::GetCapturedStderr();
    return said.find("X error: BadWindow") != std::string::npos;
}
}  // namespace

class X11ErrorTrapTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(display) << "these tests need an X server (DISPLAY)"; }
    Display* get() const { return display.get(); }

    X11Display display = X11Display::Open();
};

TEST_F(X11ErrorTrapTest, CatchesTheBadWindowOfARequestOnADestroyedWindow) {
    const unsigned long window = DestroyedWindow(get());
    X11ErrorTrap trap(get());
    EXPECT_FALSE(trap.Failed()) << "no request failed yet";
    testing::internal::CaptureStderr();
    MapWindow(get(), window);  // sent; its error comes back later
    EXPECT_EQ(trap.FirstError(), BadWindowError());
    EXPECT_TRUE(trap.Failed());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a caught error is not reported";
}

TEST_F(X11ErrorTrapTest, AnErrorOutsideEveryTrapIsReported) {
    testing::internal::CaptureStderr();
    MapWindow(get(), DestroyedWindow(get()));
    Sync(get());
    EXPECT_TRUE(ReportedBadWindow());
    // The connection goes on working.
    X11ErrorTrap trap(get());
    CreateWindow(get());
    EXPECT_FALSE(trap.Failed());
}

TEST_F(X11ErrorTrapTest, TheErrorsStillOnTheirWayWhenItEndsAreItsOwn) {
    const unsigned long window = DestroyedWindow(get());
    testing::internal::CaptureStderr();
    {
        X11ErrorTrap trap(get());
        MapWindow(get(), window);  // never asked about
    }
    Sync(get());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(X11ErrorTrapTest, ARequestMadeBeforeTheTrapIsNotItsOwn) {
    const unsigned long window = DestroyedWindow(get());
    testing::internal::CaptureStderr();
    MapWindow(get(), window);  // its error is still on its way
    {
        X11ErrorTrap trap(get());
        EXPECT_FALSE(trap.Failed());
    }
    EXPECT_TRUE(ReportedBadWindow());
}

TEST_F(X11ErrorTrapTest, NestedTrapsEachCatchTheirOwnRequests) {
    const unsigned long window = DestroyedWindow(get());
    X11ErrorTrap outer(get());
    {
        X11ErrorTrap inner(get());
        MapWindow(get(), window);
        EXPECT_TRUE(inner.Failed());
    }
    EXPECT_FALSE(outer.Failed()) << "the inner trap's error";
    MapWindow(get(), window);
    EXPECT_TRUE(outer.Failed());
}

TEST_F(X11ErrorTrapTest, ATrapOnOneDisplayLeavesTheErrorsOfAnotherAlone) {
    const X11Display another = X11Display::Open();
    ASSERT_TRUE(another);
    X11ErrorTrap trap(get());
    testing::internal::CaptureStderr();
    MapWindow(another.get(), DestroyedWindow(another.get()));
    Sync(another.get());
    EXPECT_TRUE(ReportedBadWindow());
    EXPECT_FALSE(trap.Failed());
}

// Xlib's error handler is one for the whole process: each thread's trap must
// still get exactly the errors of its own display. The two threads fail in
// turn, each on its own connection.
TEST(X11ErrorTrapThreads, TrapsOnTwoDisplaysInTwoThreadsSeeOnlyTheirOwnErrors) {
    constexpr int kRounds = 300;
    std::atomic<int> wrong{0};
    std::atomic<int> caught{0};
    const auto run = [&](int failingParity) {
        const X11Display display = X11Display::Open();
        if (!display) {
            wrong += kRounds;
            return;
        }
        for (int round = 0; round < kRounds; ++round) {
            const unsigned long window = DestroyedWindow(display.get());
            X11ErrorTrap trap(display.get());
            const bool fails = round % 2 == failingParity;
            if (fails)
                MapWindow(display.get(), window);
            else
                DestroyedWindow(display.get());  // requests that succeed
            const int error = trap.FirstError();
            if (error != (fails ? BadWindowError() : 0))
                ++wrong;
            if (error != 0)
                ++caught;
        }
    };
    testing::internal::CaptureStderr();
    std::thread even(run, 0);
    std::thread odd(run, 1);
    even.join();
    odd.join();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "an error escaped its trap";
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(caught.load(), kRounds);
}
