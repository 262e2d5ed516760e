// The top-level windows of a real X server through the X11 backend: titles in
// every encoding a program may set, the visible windows in stacking order,
// the focus, and activation. Each case runs twice: with no window manager
// (the root's children and the server's input focus) and under openbox
// (the EWMH lists and activation through the window manager).
#include "platform/x11/X11Windows.h"
#include "tests/support/x11/TitledWindow.h"
#include "tests/support/x11/WindowManager.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using namespace orvexa;
using platform::WindowId;
using platform::WindowInfo;
using platform::x11::TitledWindow;

namespace {

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(10);
    }
    return true;
}

const QString kUnicodeTitle = QStringLiteral("Ünïcødé — 東京 ✓ Notes");
const QString kLatin1Title = QStringLiteral("Café Latin-1 Notes");

class X11WindowsTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_FALSE(test::WindowManager::Running()) << "another window manager runs on the display";
        if (WithWindowManager()) {
            ASSERT_TRUE(manager.Start()) << manager.Failure().toStdString();
        }
        windows = platform::x11::X11Windows::Open();
        ASSERT_NE(windows, nullptr) << "these tests need an X server (DISPLAY)";
    }
    bool WithWindowManager() const { return GetParam(); }

    std::vector<WindowInfo> Listed() { return windows->VisibleWindows(); }
    bool IsListed(WindowId id) {
        const std::vector<WindowInfo> listed = Listed();
        return std::any_of(listed.begin(), listed.end(), [id](const WindowInfo& w) { return w.id == id; });
    }
    // Activation as the method does it: a request, then the focus looked at.
    bool Activate(WindowId id) {
        return windows->RequestActivation(id) && WaitFor([&] { return windows->FocusedWindow() == id; }, 2000);
    }

    test::WindowManager manager;
    std::shared_ptr<platform::x11::X11Windows> windows;
};

}  // namespace

TEST_P(X11WindowsTest, TitlesInUtf8Latin1AndCompoundText) {
    TitledWindow unicode(kUnicodeTitle);
    TitledWindow latin1(kLatin1Title, TitledWindow::Naming::WmNameOnly);
    TitledWindow compound(QStringLiteral("Grüße Compound"), TitledWindow::Naming::CompoundText);
    ASSERT_TRUE(unicode.Ok() && latin1.Ok() && compound.Ok());
    EXPECT_EQ(windows->Title(unicode.Id()), kUnicodeTitle);
    EXPECT_EQ(windows->Title(latin1.Id()), kLatin1Title);
    EXPECT_EQ(windows->Title(compound.Id()), QStringLiteral("Grüße Compound"));
    unicode.SetTitle(QStringLiteral("Renamed ✓"));
    EXPECT_EQ(windows->Title(unicode.Id()), QStringLiteral("Renamed ✓"));
    // A window that is gone has no title, and asking is no error.
    const WindowId gone = compound.Id();
    compound.Destroy();
    EXPECT_EQ(windows->Title(gone), QString());
    EXPECT_FALSE(windows->RequestActivation(gone));
    EXPECT_EQ(windows->Title(0), QString());
}

TEST_P(X11WindowsTest, VisibleWindowsAreTheShownOnesTheOneInFrontFirst) {
    TitledWindow first(kUnicodeTitle);
    TitledWindow second(kLatin1Title, TitledWindow::Naming::WmNameOnly);
    TitledWindow never(QStringLiteral("Never shown"));
    first.Show();
    second.Show();
    ASSERT_TRUE(WaitFor([&] { return IsListed(first.Id()) && IsListed(second.Id()); }));
    const std::vector<WindowInfo> listed = Listed();
    const auto at = [&](WindowId id) {
        return std::find_if(listed.begin(), listed.end(), [id](const WindowInfo& w) { return w.id == id; });
    };
    EXPECT_LT(at(second.Id()), at(first.Id())) << "the window shown last is in front";
    EXPECT_EQ(at(first.Id())->title, kUnicodeTitle);
    EXPECT_EQ(at(second.Id())->title, kLatin1Title);
    EXPECT_FALSE(IsListed(never.Id()));

    second.Hide();
    EXPECT_TRUE(WaitFor([&] { return !IsListed(second.Id()); })) << "a withdrawn window is not visible";
    if (WithWindowManager()) {
        first.Minimise();
        EXPECT_TRUE(WaitFor([&] { return !IsListed(first.Id()); })) << "a minimised window is not visible";
    }
}

TEST_P(X11WindowsTest, ActivationMovesTheFocusBetweenWindows) {
    TitledWindow first(kUnicodeTitle);
    TitledWindow second(kLatin1Title, TitledWindow::Naming::WmNameOnly);
    first.Show();
    second.Show();
    ASSERT_TRUE(WaitFor([&] { return IsListed(first.Id()) && IsListed(second.Id()); }));
    // A window manager gives a new window the focus: that comes first.
    if (WithWindowManager()) {
        ASSERT_TRUE(WaitFor([&] { return windows->FocusedWindow() == second.Id(); }));
    }

    ASSERT_TRUE(Activate(first.Id()));
    EXPECT_EQ(windows->Title(windows->FocusedWindow()), kUnicodeTitle);
    EXPECT_EQ(Listed().front().id, first.Id()) << "the activated window is raised";
    ASSERT_TRUE(Activate(second.Id()));
    EXPECT_EQ(windows->Title(windows->FocusedWindow()), kLatin1Title);
    EXPECT_EQ(Listed().front().id, second.Id());

    // Another program takes the focus; with a window manager, through it.
    if (WithWindowManager())
        ASSERT_TRUE(Activate(first.Id()));
    else
        first.TakeFocus();
    EXPECT_TRUE(WaitFor([&] { return windows->FocusedWindow() == first.Id(); }));

    // The focused window goes: no window has the focus.
    first.Destroy();
    if (!WithWindowManager()) {
        EXPECT_TRUE(WaitFor([&] { return windows->FocusedWindow() == 0; }));
    } else {
        EXPECT_TRUE(WaitFor([&] { return windows->FocusedWindow() != first.Id(); }));
    }
}

TEST_P(X11WindowsTest, ScriptThreadsMayAskAtTheSameTime) {
    TitledWindow window(kUnicodeTitle);
    window.Show();
    ASSERT_TRUE(WaitFor([&] { return IsListed(window.Id()); }));
    ASSERT_TRUE(Activate(window.Id()));
    std::vector<std::thread> threads;
    std::vector<int> right(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i)
                right[t] +=
                    windows->Title(windows->FocusedWindow()) == kUnicodeTitle && !windows->VisibleWindows().empty();
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(right, std::vector<int>(4, 100));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11WindowsTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? std::string("Openbox") : std::string("NoWindowManager");
                         });
