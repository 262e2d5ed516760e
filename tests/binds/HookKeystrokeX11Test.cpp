// The whole road of a key on a real X server: XTEST from a connection of its
// own, the RECORD capture installed by the main window's first show, the
// posted keystroke message, the name and the KEY bind.
#include "app/FormMain.h"
#include "binds/keyhook.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/x11/X11KeyCapture.h"
#include "tests/support/AppFixture.h"
#include "tests/support/FakeExecutor.h"
#include "tests/support/x11/KeyInjector.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <thread>

using namespace orvexa;

namespace {
class HookKeystrokeX11 : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        services.keyCapture = platform::CreateX11KeyCapture();
        ASSERT_TRUE(keys.Ok());
    }
    // Lets the window handle its messages until n bind runs are seen.
    size_t RunsAfter(size_t n, int timeoutMs = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (engine.executed.size() < n && clock.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return engine.executed.size();
    }
    void Combination() {
        for (auto [key, press] : {std::pair<int, bool>{vk::Control, true},
                                  {vk::Shift, true},
                                  {'A', true},
                                  {'A', false},
                                  {vk::Shift, false},
                                  {vk::Control, false}})
            keys.Key(key, press);
        keys.Sync();
    }

    platform::KeyInjector keys;
    test::FakeExecutor engine;
};
}  // namespace

TEST_F(HookKeystrokeX11, ControlShiftATypedWhileTheWindowIsBusyRunsItsBind) {
    dir.Write(QStringLiteral("keys.orx"),
              "//BIND KEY CONTROL-SHIFT-A\ncombination\n//BIND KEY A\nplain\n"
              "//BIND KEY CONTROL\nctrl\n//BIND KEY CONTROL-SHIFT\nctrl-shift\n");
    windows = CreateWindows(Context());
    main()->SetExecutor(&engine);
    main()->show();
    ASSERT_NE(HookHandle, nullptr) << "the RECORD capture did not start";
    main()->SetRunning(true);

    Combination();
    // The GUI thread is busy while the keys go down and up again.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ASSERT_EQ(RunsAfter(3), 3u);
    EXPECT_EQ(engine.executed[0], QStringList{"ctrl"});
    EXPECT_EQ(engine.executed[1], QStringList{"ctrl-shift"});
    EXPECT_EQ(engine.executed[2], QStringList{"combination"});

    // Stopped: the same keys run nothing.
    main()->SetRunning(false);
    Combination();
    EXPECT_EQ(RunsAfter(4, 300), 3u);

    // Destroyed: the capture is gone.
    windows = Windows();
    EXPECT_EQ(HookHandle, nullptr);
}
