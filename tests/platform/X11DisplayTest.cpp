// The display guard against the test's X server. Whether a connection is
// still open is seen from another one: the server destroys the windows of a
// client that has left.
#include "platform/x11/X11Display.h"
#include "tests/support/Layouts.h"
#include "tests/support/x11/WindowRequests.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

using namespace orvexa::platform::x11;
using orvexa::test::Eventually;

namespace {
// A window of a connection of its own, watched from the observer's.
unsigned long WindowOf(const X11Display& display) {
    const unsigned long window = CreateWindow(display.get());
    Sync(display.get());
    return window;
}
}  // namespace

class X11DisplayGuard : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(observer) << "these tests need an X server (DISPLAY)"; }
    bool Exists(unsigned long window) { return WindowExists(observer.get(), window); }
    bool Gone(unsigned long window) {
        return Eventually([&] { return !Exists(window); });
    }

    X11Display observer = X11Display::Open();
};

TEST_F(X11DisplayGuard, ClosesItsConnectionWhenItGoes) {
    unsigned long window = 0;
    {
        const X11Display display = X11Display::Open();
        ASSERT_TRUE(display);
        EXPECT_NE(display.get(), observer.get()) << "a connection of its own";
        window = WindowOf(display);
        ASSERT_TRUE(Exists(window));
    }
    EXPECT_TRUE(Gone(window));
}

TEST_F(X11DisplayGuard, MovingHandsTheConnectionOnAndCloseEndsIt) {
    auto first = std::make_unique<X11Display>(X11Display::Open());
    ASSERT_TRUE(*first);
    Display* const connection = first->get();
    const unsigned long window = WindowOf(*first);

    X11Display taken = std::move(*first);
    EXPECT_FALSE(*first) << "the moved-from guard holds nothing";
    EXPECT_EQ(taken.get(), connection);
    first.reset();
    Sync(taken.get());
    EXPECT_TRUE(Exists(window)) << "the moved-from guard closed the connection";

    // Moving onto a guard closes the connection it held.
    X11Display other = X11Display::Open();
    ASSERT_TRUE(other);
    const unsigned long otherWindow = WindowOf(other);
    other = std::move(taken);
    EXPECT_EQ(other.get(), connection);
    EXPECT_TRUE(Gone(otherWindow));
    EXPECT_TRUE(Exists(window));

    other.Close();
    EXPECT_FALSE(other);
    EXPECT_TRUE(Gone(window));
    other.Close();  // closing twice does nothing
}

TEST(X11DisplayUnreachable, HoldsNothingWithoutAServer) {
    const char* named = std::getenv("DISPLAY");
    const std::string display = named ? named : "";
    setenv("DISPLAY", ":4093", 1);  // no server there
    const X11Display none = X11Display::Open();
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_FALSE(none);
    EXPECT_EQ(none.get(), nullptr);
    EXPECT_FALSE(X11Display());
}
