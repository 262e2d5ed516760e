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

#include <atomic>
#include <chrono>
#include <thread>

using namespace orvexa;

namespace {
// The RECORD capture, counting the key events it has handed on.
class CountingCapture : public platform::KeyCapture {
public:
    bool Start(Callback callback) override {
        return capture_->Start([this, callback = std::move(callback)](const platform::KeyEvent& key) {
            callback(key);
            ++handedOn;
        });
    }
    void Stop() override { capture_->Stop(); }
    void SetWantedKeys(const QStringList& keyNames) override { capture_->SetWantedKeys(keyNames); }

    std::atomic<size_t> handedOn{0};

private:
    std::shared_ptr<platform::KeyCapture> capture_ = platform::CreateX11KeyCapture();
};

class HookKeystrokeX11 : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        services.keyCapture = capture;
        ASSERT_TRUE(keys.Ok());
    }
    // Waits, without handling any message, until the capture has posted n
    // key events to the window.
    bool HandedOn(size_t n) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (capture->handedOn < n && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return capture->handedOn >= n;
    }
    // Lets the window handle what was posted to it so far: a call posted now
    // comes after it.
    bool HandlePosted() {
        bool reached = false;
        QMetaObject::invokeMethod(
            main(), [&reached] { reached = true; }, Qt::QueuedConnection);
        QElapsedTimer clock;
        clock.start();
        while (!reached && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return reached;
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

    std::shared_ptr<CountingCapture> capture = std::make_shared<CountingCapture>();
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
    // The hook is installed right after the show.
    QCoreApplication::processEvents();
    ASSERT_NE(HookHandle, nullptr) << "the RECORD capture did not start";
    main()->SetRunning(true);

    Combination();
    // The GUI thread is busy while the keys go down and up again, until the
    // capture has posted all six.
    ASSERT_TRUE(HandedOn(6));
    ASSERT_EQ(RunsAfter(3), 3u);
    EXPECT_EQ(engine.executed[0], QStringList{"ctrl"});
    EXPECT_EQ(engine.executed[1], QStringList{"ctrl-shift"});
    EXPECT_EQ(engine.executed[2], QStringList{"combination"});

    // Stopped: the same keys run nothing.
    main()->SetRunning(false);
    Combination();
    ASSERT_TRUE(HandedOn(12));
    ASSERT_TRUE(HandlePosted());
    EXPECT_EQ(engine.executed.size(), 3u);

    // Destroyed: the capture is gone.
    windows = Windows();
    EXPECT_EQ(HookHandle, nullptr);
}
