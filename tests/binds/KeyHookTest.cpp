// The keyboard hook: installed once, HookProc only posts the keystroke
// message, and RemoveHook leaves nothing behind.
#include "binds/keyhook.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/fake/FakeKeyCapture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>

#include <vector>

using namespace orvexa;
using platform::FakeKeyCapture;
using platform::KeyEvent;

namespace {
// A window stand-in that records the keystroke messages it receives.
class Receiver : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() != KeystrokeEvent::EventType())
            return QObject::event(event);
        messages.push_back(static_cast<KeystrokeEvent*>(event)->Message());
        return true;
    }
    std::vector<KeystrokeMessage> messages;
};

class KeyHook : public ::testing::Test {
protected:
    void TearDown() override { RemoveHook(); }
    std::shared_ptr<FakeKeyCapture> capture = std::make_shared<FakeKeyCapture>();
    Receiver window;
};
}  // namespace

TEST_F(KeyHook, InstallsOnceAndASecondCallChangesNothing) {
    InstallHook(&window, capture);
    EXPECT_EQ(HookHandle.get(), capture.get());
    EXPECT_EQ(TargetWindow.load(), &window);
    EXPECT_TRUE(capture->Started());

    Receiver other;
    InstallHook(&other, capture);
    EXPECT_EQ(capture->startCount, 1);
    EXPECT_EQ(TargetWindow.load(), &window) << "not even the target changes";
    capture->Feed("+A -A");
    QCoreApplication::processEvents();
    EXPECT_EQ(window.messages.size(), 2u);
    EXPECT_TRUE(other.messages.empty());
}

TEST_F(KeyHook, HookProcPostsTheMessageAndReturns) {
    InstallHook(&window, capture);
    capture->Feed("+CONTROL +SHIFT +A -A -SHIFT -CONTROL");
    EXPECT_TRUE(window.messages.empty()) << "posted, not delivered on the spot";
    QCoreApplication::processEvents();
    ASSERT_EQ(window.messages.size(), 6u);
    const KeystrokeMessage& a = window.messages[2];
    EXPECT_EQ(a.Msg, 1024);
    EXPECT_EQ(a.WParam, std::uint32_t('A'));
    EXPECT_EQ(a.LParam, 1u) << "a fresh press: repeat count 1, no other bit";
    EXPECT_TRUE(a.Modifiers.control);
    EXPECT_TRUE(a.Modifiers.shift);
    EXPECT_FALSE(a.Modifiers.alt);
    const KeystrokeMessage& up = window.messages[3];
    EXPECT_EQ(up.LParam, KeyEvent::kRepeatCountOne | KeyEvent::kPreviousStateBit | KeyEvent::kReleasedBit);
    EXPECT_EQ(window.messages[5].WParam, std::uint32_t(vk::Control));
}

TEST_F(KeyHook, RemoveHookStopsTheCaptureAndDropsWaitingKeystrokes) {
    InstallHook(&window, capture);
    capture->Feed("+CONTROL +B");
    RemoveHook();
    EXPECT_EQ(HookHandle, nullptr);
    EXPECT_EQ(TargetWindow.load(), nullptr);
    EXPECT_FALSE(capture->Started());
    EXPECT_FALSE(capture->HoldsKeyState());
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.messages.empty()) << "keystrokes queued before the removal are gone";
    capture->Feed("-B -CONTROL +C");
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.messages.empty());
    RemoveHook();  // nothing installed: nothing happens

    // Installed again, with a new target.
    Receiver other;
    InstallHook(&other, capture);
    EXPECT_EQ(capture->startCount, 2);
    capture->Feed("-C");
    QCoreApplication::processEvents();
    EXPECT_EQ(other.messages.size(), 1u);
    RemoveHook();  // while its target still lives
}

TEST_F(KeyHook, WithoutACaptureNothingIsInstalledAndNothingArrives) {
    capture->available = false;
    InstallHook(&window, capture);
    EXPECT_EQ(HookHandle, nullptr);
    EXPECT_EQ(TargetWindow.load(), &window) << "the target is stored all the same";
    capture->Feed("+A -A");
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.messages.empty());

    // A later call tries again: nothing was installed.
    capture->available = true;
    Receiver other;
    InstallHook(&other, capture);
    EXPECT_EQ(HookHandle.get(), capture.get());
    EXPECT_EQ(TargetWindow.load(), &other);
    RemoveHook();

    EXPECT_NO_THROW(InstallHook(&window, nullptr)) << "no capture at all";
    EXPECT_EQ(HookHandle, nullptr);
}
